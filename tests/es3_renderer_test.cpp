// The ES 3.0 renderer against the desktop driver: small scenes that each
// stress rules of GL 1.x (provoking vertex, quad splitting, lighting with
// attenuation and unnormalised normals, fog, GL_CLAMP, the texture matrix,
// incomplete textures, blending, arrays, the attribute stack) must give the
// driver's pixels, and a run of refused calls the driver's errors and state.
// Where no ES 3.0 context can be made, the programs say so once and stop.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "gl/gl_api.h"
#include "runtime/images.h"
#include "tests/support.h"

namespace {
constexpr int width = 200, height = 150;

std::vector<uint8_t> draw_with(GlChoice gl, void (*scene)()) {
    ensure_gl_context(gl);
    glViewport(0, 0, width, height);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    scene();
    std::vector<uint8_t> rgb(size_t(width) * height * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR)) << gl_choice_name(gl);
    return rgb;
}

// Pixels more than 2 levels apart in a channel.
int pixels_apart(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    int apart = 0;
    for (size_t k = 0; k < a.size(); k += 3)
        for (int c = 0; c < 3; ++c)
            if (std::abs(int(a[k + c]) - int(b[k + c])) > 2) {
                ++apart;
                break;
            }
    return apart;
}

int lit_pixels(const std::vector<uint8_t>& a) {
    int lit = 0;
    for (size_t k = 0; k < a.size(); k += 3) lit += (a[k] | a[k + 1] | a[k + 2]) != 0;
    return lit;
}

void view(bool perspective) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    if (perspective) glFrustum(-1, 1, -0.75, 0.75, 1, 100);
    else glOrtho(0, 4, 0, 3, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

// A trapezoid, so that the diagonal a quad is split along shows.
const float trapezoid[4][2] = {{0, 0}, {1.8f, 0}, {1.8f, 1.4f}, {0, 0.5f}};
const float colours[4][4] = {{1, 0, 0, 1}, {0, 1, 0, 1}, {0, 0, 1, 1}, {1, 1, 1, 1}};

void coloured_primitives() {
    view(false);
    // Quads and strips of four colours, smooth and flat.
    for (int k = 0; k < 4; ++k) {
        glShadeModel(k < 2 ? GL_SMOOTH : GL_FLAT);
        const bool quads = k % 2 == 0;
        const float x = quads ? 0.0f : 2.0f, y = k < 2 ? 0.0f : 1.5f;
        static const int strip_order[4] = {0, 1, 3, 2};
        glBegin(quads ? GL_QUADS : GL_TRIANGLE_STRIP);
        for (int v = 0; v < 4; ++v) {
            const int c = quads ? v : strip_order[v];
            glColor4fv(colours[v]);
            glVertex2f(x + trapezoid[c][0], y + trapezoid[c][1]);
        }
        glEnd();
    }
}

void lit_quads() {
    view(true);
    glScalef(2, 2, 2); // normals come out half as long without GL_NORMALIZE
    glEnable(GL_LIGHTING);
    const float red[4] = {1, 0.3f, 0.2f, 1}, blue[4] = {0.2f, 0.4f, 1, 1};
    const float nearby[4] = {-0.5f, 0.5f, -1, 1}, sky[4] = {0, 1, 0.5f, 0};
    glLightfv(GL_LIGHT0, GL_POSITION, nearby);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, red);
    glLightfv(GL_LIGHT0, GL_AMBIENT, red);
    glLightf(GL_LIGHT0, GL_LINEAR_ATTENUATION, 0.1f);
    glLightf(GL_LIGHT0, GL_QUADRATIC_ATTENUATION, 0.05f);
    glLightfv(GL_LIGHT1, GL_POSITION, sky);
    glLightfv(GL_LIGHT1, GL_DIFFUSE, blue);
    glEnable(GL_LIGHT0);
    glEnable(GL_LIGHT1);
    static const float normals[4][3] = {{0, 0, 1}, {0.6f, 0, 0.8f}, {0, 0.6f, 0.8f}, {-0.8f, 0.6f, 0}};
    for (int k = 0; k < 3; ++k) {
        glShadeModel(k == 1 ? GL_FLAT : GL_SMOOTH);
        if (k == 2) glEnable(GL_NORMALIZE);
        const float x = -1.4f + 0.9f * k;
        glBegin(GL_QUADS);
        for (int v = 0; v < 4; ++v) {
            glNormal3fv(normals[v]);
            glVertex3f(x + trapezoid[v][0] * 0.45f, trapezoid[v][1] - 0.7f, -1.5f - 0.3f * v);
        }
        glEnd();
    }
}

void make_texture(GLuint id, GLint wrap) {
    uint8_t texels[4 * 4 * 3];
    for (int k = 0; k < 16; ++k) {
        texels[3 * k] = uint8_t(60 * (k % 4) + 40);
        texels[3 * k + 1] = uint8_t(200 - 12 * k);
        texels[3 * k + 2] = uint8_t(k % 3 == 0 ? 255 : 90);
    }
    upload_image_texture(int32_t(id), 4, 4, texels);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap);
}

void textured_quad(float x, float y, float z, float s0, float s1) {
    glBegin(GL_QUADS);
    glTexCoord2f(s0, s0);
    glVertex3f(x, y, z);
    glTexCoord2f(s1, s0);
    glVertex3f(x + 1.2f, y, z - 2);
    glTexCoord2f(s1, s1);
    glVertex3f(x + 1.2f, y + 1.2f, z - 2);
    glTexCoord2f(s0, s1);
    glVertex3f(x, y + 1.2f, z);
    glEnd();
}

void fog_and_textures() {
    view(true);
    make_texture(7, GL_CLAMP);
    make_texture(8, GL_REPEAT);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_FOG);
    const float grey[4] = {0.3f, 0.3f, 0.35f, 1};
    glFogfv(GL_FOG_COLOR, grey);
    glFogi(GL_FOG_MODE, GL_EXP2);
    glFogf(GL_FOG_DENSITY, 0.25f);
    glColor3f(1, 0.9f, 0.8f);
    glBindTexture(GL_TEXTURE_2D, 7);
    textured_quad(-1.3f, -0.6f, -2, -0.5f, 1.5f); // GL_CLAMP takes in the black border
    glFogi(GL_FOG_MODE, GL_LINEAR);
    glFogf(GL_FOG_START, 1);
    glFogf(GL_FOG_END, 6);
    glBindTexture(GL_TEXTURE_2D, 8);
    glMatrixMode(GL_TEXTURE);
    glTranslatef(0.5f, 0.5f, 0);
    glRotatef(30, 0, 0, 1);
    glTranslatef(-0.5f, -0.5f, 0);
    glMatrixMode(GL_MODELVIEW);
    textured_quad(0, -0.6f, -2, 0, 2);
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    // A texture without an image draws as if texturing were off.
    glDisable(GL_FOG);
    glBindTexture(GL_TEXTURE_2D, 9);
    textured_quad(-0.6f, 0.6f, -3, 0, 1);
}

void blending_and_arrays() {
    view(true);
    // GL_T2F_N3F_V3F records, drawn lit as triangles and as quads.
    static const float records[6][8] = {
        {0, 0, 0, 0, 1, -1.2f, -0.7f, -2}, {1, 0, 0.5f, 0, 0.8f, 0, -0.7f, -2.5f},
        {1, 1, 0, 0.5f, 0.8f, 0, 0.5f, -2.5f}, {0, 1, 0, 0, 1, -1.2f, 0.5f, -2},
        {0, 0, 0, 0, 1, 0.1f, -0.7f, -2}, {1, 0, 0.5f, 0, 0.8f, 1.2f, -0.7f, -3}};
    const float position[4] = {0, 0, 1, 1};
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glLightfv(GL_LIGHT0, GL_POSITION, position);
    glInterleavedArrays(GL_T2F_N3F_V3F, 0, records);
    glDrawArrays(GL_TRIANGLES, 3, 3);
    glDrawArrays(GL_QUADS, 0, 4);
    // Blending, with the state around it saved and put back.
    glPushAttrib(GL_ENABLE_BIT | GL_LIGHTING_BIT | GL_COLOR_BUFFER_BIT);
    glDisable(GL_LIGHTING);
    glEnable(GL_BLEND);
    glShadeModel(GL_FLAT);
    const GLenum factors[3][2] = {{GL_SRC_ALPHA_SATURATE, GL_ONE_MINUS_SRC_ALPHA},
                                  {GL_SRC_COLOR, GL_ONE_MINUS_SRC_COLOR},
                                  {GL_ONE_MINUS_SRC_COLOR, GL_ONE}};
    for (int k = 0; k < 3; ++k) {
        glBlendFunc(factors[k][0], factors[k][1]);
        glColor4f(0.9f, 0.5f - 0.2f * k, 0.3f, 1.6f - 0.6f * k); // alpha above 1 is clamped
        textured_quad(-1.4f + 0.8f * k, -0.2f, -2.2f, 0, 1);
    }
    glPopAttrib();
    // Lit and smooth again; blending off.
    glDrawArrays(GL_TRIANGLES, 1, 3);
}

struct Scene {
    const char* name;
    void (*draw)();
};
const Scene scenes[] = {{"coloured quads and strips", coloured_primitives},
                        {"lit quads", lit_quads},
                        {"fog and textures", fog_and_textures},
                        {"blending and arrays", blending_and_arrays}};

// Calls GL refuses, each followed by the error it raised and the state that
// should have stayed as it was.
std::vector<std::string> refused_calls() {
    std::vector<std::string> seen;
    auto note = [&](const char* what) { seen.push_back(std::string(what) + " " + std::to_string(glGetError())); };
    float value = 0;
    glLightf(GL_LIGHT1, GL_QUADRATIC_ATTENUATION, 0.5f);
    glLightf(GL_LIGHT1, GL_QUADRATIC_ATTENUATION, -0.25f);
    note("negative attenuation");
    glGetLightfv(GL_LIGHT1, GL_QUADRATIC_ATTENUATION, &value);
    seen.push_back("attenuation kept " + std::to_string(value));
    glFogf(GL_FOG_DENSITY, 0.5f);
    glFogf(GL_FOG_DENSITY, -1);
    note("negative density");
    glGetFloatv(GL_FOG_DENSITY, &value);
    seen.push_back("density kept " + std::to_string(value));
    glEnable(0x1234);
    note("unknown capability");
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    note("projection stack underflow");
    glMatrixMode(GL_MODELVIEW);
    for (int k = 0; k < 40; ++k) glPushMatrix();
    note("modelview stack overflow");
    GLint depth = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    seen.push_back("modelview depth " + std::to_string(depth));
    for (int k = 0; k < 40; ++k) glPushAttrib(GL_ENABLE_BIT);
    note("attribute stack overflow");
    glBegin(GL_TRIANGLES);
    glEnable(GL_BLEND);
    glEnd();
    note("state change between glBegin and glEnd");
    seen.push_back(glIsEnabled(GL_BLEND) ? "blend on" : "blend off");
    glEnd();
    note("glEnd without glBegin");
    glFrustum(-1, 1, -1, 1, 0, 10);
    note("frustum from the eye");
    glViewport(0, 0, -1, 5);
    note("negative viewport");
    note("cleared");
    return seen;
}
} // namespace

// Each draw switches the kind of context, so each starts from GL's initial state.
TEST(Es3Renderer, EverySceneGivesTheDriversPixels) {
    ensure_gl_context(GlChoice::es3);
    for (const Scene& scene : scenes) {
        const std::vector<uint8_t> driver = draw_with(GlChoice::compatibility, scene.draw);
        const std::vector<uint8_t> ours = draw_with(GlChoice::es3, scene.draw);
        // Something was drawn, and the same: a pixel or two on an edge may
        // round the other way.
        EXPECT_GT(lit_pixels(driver), width * height / 10) << scene.name;
        EXPECT_LE(pixels_apart(driver, ours), 4) << scene.name;
    }
}

TEST(Es3Renderer, RefusesWhatTheDriverRefusesAndKeepsItsState) {
    ensure_gl_context(GlChoice::es3);
    ensure_gl_context(GlChoice::compatibility);
    const std::vector<std::string> driver = refused_calls();
    ensure_gl_context(GlChoice::es3);
    const std::vector<std::string> ours = refused_calls();
    EXPECT_EQ(driver, ours);
    EXPECT_EQ(driver.front(), "negative attenuation " + std::to_string(GL_INVALID_VALUE));
}

TEST(Es3Renderer, WithoutAnEs3ContextOneMessageAndStatusOne) {
    // Mesa then offers OpenGL ES 2.0 at most.
    int status = 0;
    const std::string picture = scratch_path("never.png");
    const std::string err = command_output("cd " VAVURAVA_BUILD_DIR " && MESA_GLES_VERSION_OVERRIDE=2.0 "
                                           "./vavurava-capture --gl=es3 --frame 0 -o " + picture + " 2>&1 >/dev/null",
                                           &status);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << err;
    EXPECT_NE(err.find("cannot create an OpenGL ES 3.0 context"), std::string::npos) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_NE(access(picture.c_str(), F_OK), 0);
}
