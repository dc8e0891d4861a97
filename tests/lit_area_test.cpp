// Drawing only where a textured polygon can change the picture: sprites cut
// to their glow's outline, strips cut to their bolt and text quads kept to
// their lettering's box give the pictures the whole polygons give, with
// fewer fragments; the full-view test for opaque layers; fog folded into the
// colour gives GL's fog.
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <vector>

#include "geometry/fog.h"
#include "geometry/lit_area.h"
#include "geometry/sprites.h"
#include "geometry/strip.h"
#include "tests/support.h"

namespace {

GLuint make_texture(int w, int h, const std::function<void(int x, int y, uint8_t* rgb)>& texel) {
    std::vector<uint8_t> rgb(static_cast<size_t>(w) * h * 3, 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) texel(x, y, &rgb[(static_cast<size_t>(y) * w + x) * 3]);
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, w, h, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    return texture;
}

// A glow that is black, to the bit, beyond 0.8 of the half-width.
GLuint glow_texture() {
    return make_texture(64, 64, [](int x, int y, uint8_t* p) {
        const double d = std::hypot(x - 31.5, y - 31.5) / 32.0;
        const double k = std::max(0.0, 0.8 - d) / 0.8;
        p[0] = static_cast<uint8_t>(120 * k * k);
        p[1] = static_cast<uint8_t>(200 * k * k);
        p[2] = static_cast<uint8_t>(255 * k);
    });
}

void perspective_view() {
    glViewport(0, 0, 800, 600);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(-0.5, 0.5, -0.375, 0.375, 1, 500);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClearColor(0.1f, 0.2f, 0.3f, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glClearColor(0, 0, 0, 1);
}

std::vector<uint8_t> screen() {
    std::vector<uint8_t> pixels(800 * 600 * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, 800, 600, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

struct Difference {
    size_t bytes = 0;
    int largest = 0;
};
Difference compare(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    Difference d;
    for (size_t i = 0; i < a.size(); ++i) {
        const int diff = std::abs(int(a[i]) - int(b[i]));
        d.bytes += diff != 0;
        d.largest = std::max(d.largest, diff);
    }
    return d;
}

// Runs draw blended onto the view, with the depth test off, and returns the
// picture; *samples (when given) gets the fragments drawn. Leaves blending,
// fog, culling and texturing off and the depth test on.
std::vector<uint8_t> blended_picture(GLenum source, GLenum destination, const std::function<void()>& draw,
                                     GLuint* samples = nullptr) {
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(source, destination);
    GLuint query = 0;
    glGenQueries(1, &query);
    glBeginQuery(GL_SAMPLES_PASSED, query);
    draw();
    glEndQuery(GL_SAMPLES_PASSED);
    if (samples) glGetQueryObjectuiv(query, GL_QUERY_RESULT, samples);
    glDeleteQueries(1, &query);
    glDisable(GL_BLEND);
    glDisable(GL_FOG);
    glDisable(GL_CULL_FACE);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    return screen();
}

double outline_area(const TextureOutline& o) {
    double twice = 0;
    for (int k = 0; k < o.count; ++k) {
        const int n = (k + 1) % o.count;
        twice += o.st[k][0] * o.st[n][1] - o.st[n][0] * o.st[k][1];
    }
    return twice / 2;
}

} // namespace

TEST(LitArea, SpritesCutToTheGlowOutlineGiveThePictureOfWholeSquaresWithFewerFragments) {
    ensure_gl_context();
    const GLuint texture = glow_texture();
    const TextureOutline outline = texture_lit_outline(texture);
    EXPECT_EQ(outline.count, 8);
    // A disc of 0.8 half-widths, widened for filtering, in an octagon.
    EXPECT_GT(outline_area(outline), 0.5);
    EXPECT_LT(outline_area(outline), 0.65);

    // A stream of sprites as the tunnel draws it: fogged, additive, front
    // faces culled (the cut polygons must keep the squares' winding),
    // under a rotated and scaled matrix, some near enough to fill the view.
    std::vector<Sprite> run;
    for (int i = 0; i < 80; ++i) {
        Sprite s{};
        s.x = float(i % 9) * 0.4f - 1.6f;
        s.y = float(i % 7) * 0.3f - 0.9f;
        s.z = -0.2f - float(i) * 0.18f;
        s.alpha = 255;
        s.r = float(i % 3) / 2.0f;
        s.g = float(i % 5) / 4.0f;
        s.b = 0.6f;
        run.push_back(s);
    }
    auto picture = [&](bool cut, GLuint* samples) {
        perspective_view();
        glRotatef(20, 0, 0, 1);
        glScalef(5, 5, 5);
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, texture);
        glEnable(GL_CULL_FACE);
        glCullFace(GL_FRONT);
        glEnable(GL_FOG);
        glFogi(GL_FOG_MODE, GL_EXP2);
        glFogf(GL_FOG_DENSITY, 0.006f);
        return blended_picture(GL_ONE_MINUS_SRC_COLOR, GL_ONE, [&] {
            if (cut)
                draw_sprites(run.data(), int32_t(run.size()), outline);
            else
                draw_sprites(run.data(), int32_t(run.size()));
        }, samples);
    };
    GLuint whole_samples = 0, cut_samples = 0;
    const std::vector<uint8_t> whole = picture(false, &whole_samples);
    const std::vector<uint8_t> cut = picture(true, &cut_samples);
    glDeleteTextures(1, &texture);

    EXPECT_GT(whole_samples, 800u * 600u) << "the run covers the view more than once";
    EXPECT_LT(cut_samples, whole_samples * 3 / 4) << whole_samples << " " << cut_samples;
    const Difference d = compare(whole, cut);
    // Only the rounding of texture coordinates across other triangles.
    EXPECT_LE(d.largest, 1);
    EXPECT_LE(d.bytes, whole.size() / 1000);
}

TEST(LitArea, StripsCutToTheBoltGiveThePictureOfWholeStripsWithFewerFragments) {
    ensure_gl_context();
    // A bolt down columns 20..43 of a 64-wide band image, black beside it.
    const GLuint texture = make_texture(64, 32, [](int x, int y, uint8_t* p) {
        if (x >= 20 && x < 44) {
            p[0] = static_cast<uint8_t>(100 + y * 4);
            p[1] = static_cast<uint8_t>(x * 3);
            p[2] = 255;
        }
    });
    const TextureBox box = texture_lit_box(texture);
    EXPECT_EQ(box.t0, 0.0f) << "lit rows at the edges wrap round";
    EXPECT_EQ(box.t1, 1.0f);
    // A jagged ring in a level plane, seen from above at a slant, with the
    // front faces culled as the room culls them.
    static float points[60][3];
    for (int j = 0; j < 60; ++j) {
        const double b = j * 3.1415926536 / 10.0;
        points[j][0] = float(3 * std::sin(b));
        points[j][1] = float((j * 7 % 5) * 0.1 - 0.2);
        points[j][2] = float(3 * std::cos(b));
    }
    auto picture = [&](bool cut, GLuint* samples) {
        perspective_view();
        glTranslatef(0, 0, -12);
        glRotatef(50, 1, 0, 0);
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, texture);
        glEnable(GL_CULL_FACE);
        glCullFace(GL_FRONT);
        glColor3f(0.5f, 0.3f, 0.9f);
        return blended_picture(GL_SRC_COLOR, GL_ONE, [&] {
            if (cut)
                draw_strip_lit(57, points[2], 0.2f, box);
            else
                draw_strip(57, points[2], 0.2f);
        }, samples);
    };
    GLuint whole_samples = 0, cut_samples = 0;
    const std::vector<uint8_t> whole = picture(false, &whole_samples);
    const std::vector<uint8_t> cut = picture(true, &cut_samples);
    glDeleteTextures(1, &texture);
    EXPECT_GT(whole_samples, 10000u);
    EXPECT_LT(cut_samples, whole_samples * 3 / 4) << whole_samples << " " << cut_samples;
    // Rounding of the cut corners: a level here and there, and a pixel or
    // two where a band folds over at a sharp corner.
    const Difference d = compare(whole, cut);
    EXPECT_LE(d.bytes, whole.size() / 5000) << "largest difference " << d.largest;
}

TEST(LitArea, TextQuadKeptToItsLetteringBoxGivesTheSamePicture) {
    ensure_gl_context();
    // Lettering in texels 30..89 by 20..39 of a 128 x 64 image, black around.
    const GLuint texture = make_texture(128, 64, [](int x, int y, uint8_t* p) {
        if (x >= 30 && x < 90 && y >= 20 && y < 40) {
            p[0] = static_cast<uint8_t>(x * 2);
            p[1] = static_cast<uint8_t>(y * 5);
            p[2] = static_cast<uint8_t>(255 - x);
        }
    });
    const TextureBox box = texture_lit_box(texture);
    // Filtering reaches texel x from s = (x - 0.5) / 128 to (x + 1.5) / 128:
    // the box holds that reach, with at most a texel to spare.
    EXPECT_LE(box.s0, 29.5 / 128);
    EXPECT_GE(box.s0, 28.5 / 128);
    EXPECT_GE(box.s1, 90.5 / 128);
    EXPECT_LE(box.s1, 91.5 / 128);
    EXPECT_LE(box.t0, 19.5 / 64);
    EXPECT_GE(box.t0, 18.5 / 64);
    EXPECT_GE(box.t1, 40.5 / 64);
    EXPECT_LE(box.t1, 41.5 / 64);

    const float origin[3] = {-20, -20, -30}, s_end[3] = {20, -20, -30}, t_end[3] = {-20, 10, -30};
    auto picture = [&](const TextureBox& drawn) {
        perspective_view();
        glTranslatef(3, 1, 0);
        glRotatef(45, 0, 0, 1);
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, texture);
        glDisable(GL_DEPTH_TEST);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_COLOR, GL_ONE);
        glColor3f(1, 1, 1);
        draw_lit_quad(origin, s_end, t_end, drawn);
        EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST));
        glDisable(GL_BLEND);
        glDisable(GL_TEXTURE_2D);
        glEnable(GL_DEPTH_TEST);
        return screen();
    };
    const std::vector<uint8_t> whole = picture(TextureBox{0, 0, 1, 1});
    const std::vector<uint8_t> kept = picture(box);
    const Difference d = compare(whole, kept);
    EXPECT_EQ(d.bytes, 0u) << "largest difference " << d.largest;
    size_t lettering = 0;
    for (size_t i = 0; i < whole.size(); i += 3) lettering += whole[i] > 30;
    EXPECT_GT(lettering, 1000u);
    glDeleteTextures(1, &texture);

    // A lit texel on an edge wraps round: the whole image counts.
    const GLuint edge = make_texture(16, 16, [](int x, int y, uint8_t* p) { p[1] = x == 15 && y == 8 ? 200 : 0; });
    const TextureBox all = texture_lit_box(edge);
    EXPECT_EQ(all.s0, 0.0f);
    EXPECT_EQ(all.s1, 1.0f);
    glDeleteTextures(1, &edge);
}

TEST(LitArea, QuadCoversTheViewOnlyWithEveryEdgeOutsideItAndWhenNotCulled) {
    ensure_gl_context();
    perspective_view();
    auto covers = [](float x, float y, float half, double* near_depth, double* far_depth) {
        const float corners[4][3] = {{x - half, y - half, -200}, {x - half, y + half, -200},
                                     {x + half, y + half, -200}, {x + half, y - half, -200}};
        return quad_covers_viewport(corners, near_depth, far_depth);
    };
    double near_depth = 0, far_depth = 0;
    // The view is 200 wide and 150 high at a distance of 200.
    EXPECT_TRUE(covers(0, 0, 110, &near_depth, &far_depth));
    EXPECT_NEAR(near_depth, far_depth, 1e-9);
    EXPECT_GT(near_depth, 0.99);
    EXPECT_FALSE(covers(0, 0, 99, &near_depth, &far_depth));
    EXPECT_FALSE(covers(15, 0, 110, &near_depth, &far_depth));
    // These corners run clockwise on the screen: a back face.
    glEnable(GL_CULL_FACE);
    glCullFace(GL_FRONT);
    EXPECT_TRUE(covers(0, 0, 110, &near_depth, &far_depth));
    glCullFace(GL_BACK);
    EXPECT_FALSE(covers(0, 0, 110, &near_depth, &far_depth));
    glDisable(GL_CULL_FACE);
}

TEST(LitArea, FogFoldedIntoTheColourOfUnlitSpritesAndFlatQuadsMatchesGlFog) {
    ensure_gl_context();
    // Sprites from near to far (fog from 1 down to about 0.1), some with
    // colour components above 1, which GL clamps before its fog.
    std::vector<Sprite> run;
    for (int i = 0; i < 60; ++i) {
        Sprite s{};
        s.x = float(i % 10) * 1.6f - 7.2f;
        s.y = float(i / 10) * 1.2f - 3.0f;
        s.z = -2.0f - float(i) * 1.2f;
        s.alpha = 255;
        s.r = 0.2f + float(i % 4) * 0.4f;
        s.g = 1.4f - float(i % 3) * 0.5f;
        s.b = float(i % 5) * 0.3f;
        run.push_back(s);
    }
    const float origin[3] = {-6, -4, -25}, s_end[3] = {6, -4, -25}, t_end[3] = {-6, 4, -25};
    auto fogged_view = [] {
        perspective_view();
        glDisable(GL_LIGHTING);
        glDisable(GL_TEXTURE_2D);
        glEnable(GL_FOG);
        glFogi(GL_FOG_MODE, GL_EXP2);
        glFogf(GL_FOG_DENSITY, 0.02f);
        const float black[4] = {0, 0, 0, 1};
        glFogfv(GL_FOG_COLOR, black);
    };
    auto picture = [&](bool folded) {
        fogged_view();
        return blended_picture(GL_SRC_COLOR, GL_ONE_MINUS_SRC_COLOR, [&] {
            if (folded) {
                draw_sprites(run.data(), int32_t(run.size()));
                glColor3f(1.2f, 0.7f, 0.3f);
                draw_lit_quad(origin, s_end, t_end, TextureBox{0, 0, 1, 1});
            } else {
                // One draw per sprite and a plain quad leave the fog to GL.
                for (const Sprite& s : run) draw_sprite(s);
                glColor3f(1.2f, 0.7f, 0.3f);
                glBegin(GL_QUADS);
                glVertex3fv(origin);
                glVertex3fv(t_end);
                glVertex3f(6, 4, -25);
                glVertex3fv(s_end);
                glEnd();
            }
            EXPECT_TRUE(glIsEnabled(GL_FOG));
        });
    };
    double density = 0;
    fogged_view();
    EXPECT_TRUE(fog_foldable(&density));
    EXPECT_FLOAT_EQ(float(density), 0.02f);
    const std::vector<uint8_t> by_gl = picture(false);
    const std::vector<uint8_t> folded = picture(true);
    size_t lit = 0;
    for (uint8_t v : by_gl) lit += v > 60;
    EXPECT_GT(lit, by_gl.size() / 20);
    const Difference d = compare(by_gl, folded);
    EXPECT_LE(d.largest, 1);
    EXPECT_LE(d.bytes, by_gl.size() / 10000);
}
