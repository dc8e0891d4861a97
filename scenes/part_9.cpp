// Part 9: title quads turning under the texture matrix, the looping clip on
// a lit rippling surface rebuilt every frame, and the scroller; after 15 s
// it hands over to the finale.
#include "gl/gl_api.h"

#include <cmath>

#include "geometry/draw.h"
#include "geometry/fog.h"
#include "geometry/lit_area.h"
#include "geometry/sprites.h"
#include "runtime/clock.h"
#include "runtime/demo.h"
#include "runtime/ranrot.h"
#include "runtime/view.h"
#include "scenes/part_9.h"
#include "scenes/parts.h"
#include "video/clip.h"

namespace {
constexpr double pi = 3.1415926536;

double ripple_phase(int x, int y) { return std::sqrt(static_cast<double>(x * x + y * y)) * pi * 10.0 / 40.0; }

float ripple_height(double p, float c) {
    const float wave = static_cast<float>(1.5 * std::sin(p + c));
    return static_cast<float>(-40.0 + wave);
}

void put_vertex(float* positions, float* texcoords, int v, int x, int y, float z, float s, float t) {
    positions[3 * v + 0] = static_cast<float>(x);
    positions[3 * v + 1] = static_cast<float>(y);
    positions[3 * v + 2] = z;
    texcoords[3 * v + 0] = s;
    texcoords[3 * v + 1] = t;
}

// Drawn after the surface, with the depth test on and depth writes off: the
// surface is nearer everywhere (its depth lies in front of z = -80), so the
// title fragments it covers are rejected before they are shaded instead of
// being painted over. The uncovered pixels get exactly what they always got.
void draw_title_quads(GLint shade_model) {
    glShadeModel(static_cast<GLenum>(shade_model));
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    set_perspective(45, 1, 1, 500);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_LIGHTING);
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_CULL_FACE);
    glBindTexture(GL_TEXTURE_2D, 3002);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_COLOR, GL_ONE);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glDepthMask(GL_FALSE);

    // The quads lie at one eye depth: their fog goes into their colour
    // (geometry/fog.h), which the surface left white.
    float colour[4];
    const bool fold_fog = fold_fog_into_colour(-80.0, colour);
    const double q = (demo_clock() - part_start_time) / 2000.0;
    for (int k = 0; k < 5; ++k) {
        glMatrixMode(GL_TEXTURE);
        glPushMatrix();
        glTranslatef(0.5f, 0.5f, 0);
        glRotatef(static_cast<float>(q * 36.0), 0, 0, 1);
        glTranslatef(-0.5f, -0.5f, 0);
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        glTranslatef(static_cast<float>(scatter_positions[k][0] + 5.0 * std::cos(q * pi / 4000.0)),
                     static_cast<float>(scatter_positions[k][1] + 5.0 * std::sin(q * pi / 4000.0)), 0);
        glScalef(2.5f, 2.5f, 1);
        glBegin(GL_QUADS);
        glTexCoord2f(0, 0); glVertex3f(-15, -15, -80);
        glTexCoord2f(0, 1); glVertex3f(-15, 15, -80);
        glTexCoord2f(1, 1); glVertex3f(15, 15, -80);
        glTexCoord2f(1, 0); glVertex3f(15, -15, -80);
        glEnd();
        glPopMatrix();
        glMatrixMode(GL_TEXTURE);
        glPopMatrix();
        glMatrixMode(GL_MODELVIEW);
    }
    if (fold_fog) unfold_fog(colour);
    glDepthMask(GL_TRUE);
    glDepthFunc(GL_LEQUAL);
    glDisable(GL_DEPTH_TEST);
}

double surface_fov(float a) { return 45.0 + 30.0 * std::sin(a / 3.0); }

// The state the surface leaves for the scroller, as it was before the
// titles moved behind it.
void restore_surface_state(float a) {
    glEnable(GL_LIGHTING);
    glDisable(GL_BLEND);
    glEnable(GL_CULL_FACE);
    glShadeModel(GL_FLAT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    set_perspective(surface_fov(a), 1, 1, 500);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

// The built triangles from vertex arrays, each vertex with its triangle's
// normal: one draw instead of 22,400 calls, which the renderer's front end
// would work through on the main thread before it can start rasterising.
// Leaves the current normal and texture coordinate as drawing the triangles
// one call at a time leaves them, for the scroller, which is lit.
void draw_surface_arrays() {
    static float vertex_normals[3 * ripple_vertex_count];
    for (int t = 0; t < ripple_triangle_count; ++t)
        for (int v = 3 * t; v < 3 * t + 3; ++v)
            for (int k = 0; k < 3; ++k) vertex_normals[3 * v + k] = ripple_normals[3 * t + k];
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_INDEX_ARRAY);
    glDisableClientState(GL_EDGE_FLAG_ARRAY);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, ripple_positions);
    glNormalPointer(GL_FLOAT, 0, vertex_normals);
    glTexCoordPointer(2, GL_FLOAT, 3 * sizeof(float), ripple_texcoords);
    glDrawArrays(GL_TRIANGLES, 0, ripple_vertex_count);
    glPopClientAttrib();
    glNormal3fv(ripple_normals + 3 * (ripple_triangle_count - 1));
    glTexCoord2fv(ripple_texcoords + 3 * (ripple_vertex_count - 1));
}

void draw_surface(float a) {
    glEnable(GL_LIGHTING);
    glDisable(GL_BLEND);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_FRONT);
    glEnable(GL_NORMALIZE);
    glColor4f(1, 1, 1, 1);
    glShadeModel(GL_FLAT);
    // Painted in order as without a depth test, but leaving its depth for
    // the titles drawn behind it.
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_ALWAYS);
    glDepthMask(GL_TRUE);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    set_perspective(surface_fov(a), 1, 1, 500);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    decode_clip_frame(&video_clips[3], video_texture_id);

    glPushMatrix();
    glTranslatef(0, 0, -40);
    glRotatef(-30, 1, 0, 0);
    glRotatef(static_cast<float>((demo_clock() - part_start_time) * 360.0 / 16000.0), 0, 0, 1);
    glTranslatef(0, 0, 40);
    // Set after the transformation: the lights circle in the surface's own frame.
    set_light(light_records[0], 0);
    set_light(light_records[1], 1);
    draw_surface_arrays();
    glPopMatrix();
}

// Texture box of the scroller's image, read when the part begins.
TextureBox scroller_box{0, 0, 1, 1};

void draw_scroller() {
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_COLOR, GL_ONE);
    glTranslatef(static_cast<float>(10.0 - (demo_clock() - part_start_time) / 1000.0), 0, 0);
    glBindTexture(GL_TEXTURE_2D, 3007);
    // Added blending of black changes nothing: only the lettering's part is drawn.
    static const float corners[3][3] = {{-20, -20, -30}, {20, -20, -30}, {-20, 10, -30}};
    draw_lit_quad(corners[0], corners[1], corners[2], scroller_box);
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
}
} // namespace

void triangle_normal(const float* p, const float* q, const float* r, float* normal) {
    const double qx = q[0] - static_cast<double>(p[0]), qy = q[1] - static_cast<double>(p[1]),
                 qz = q[2] - static_cast<double>(p[2]);
    const double rx = r[0] - static_cast<double>(p[0]), ry = r[1] - static_cast<double>(p[1]),
                 rz = r[2] - static_cast<double>(p[2]);
    normal[0] = static_cast<float>(qy * rz - qz * ry);
    normal[1] = static_cast<float>(qz * rx - rz * qx);
    normal[2] = static_cast<float>(ry * qx - qy * rx);
}

void build_ripple_surface(float c, float w, float h, float* positions, float* texcoords,
                          float* normals) {
    const float ds = w / ripple_cells;
    const float dt = h / ripple_cells;
    int yl = -15;
    int yh = static_cast<int>(-15 + 1.5);
    float tl = 0, th = dt;
    int v = 0, n = 0;
    for (int row = 0; row < ripple_cells; ++row) {
        int xl = -20, xh = -19;
        float sl = 0, sh = ds;
        for (int column = 0; column < ripple_cells; ++column) {
            const double jitter = std::sin(c / 15.0);
            const double r1 = static_cast<double>(ranrot_float());
            const double r2 = static_cast<double>(ranrot_float());
            const float p1 = static_cast<float>(jitter * r1 * 0.3 + ripple_phase(xh, yl));
            const float p2 = static_cast<float>(-jitter * r2 * 0.3 + ripple_phase(xl, yh));
            const float z1 = ripple_height(p1, c);
            const float z2 = ripple_height(p2, c);
            const float z_low = ripple_height(ripple_phase(xl, yl), c);
            const float z_high = ripple_height(ripple_phase(xh, yh), c);

            put_vertex(positions, texcoords, v + 0, xh, yl, z1, sh, tl);
            put_vertex(positions, texcoords, v + 1, xl, yl, z_low, sl, tl);
            put_vertex(positions, texcoords, v + 2, xl, yh, z2, sl, th);
            triangle_normal(positions + 3 * v, positions + 3 * (v + 1), positions + 3 * (v + 2),
                            normals + 3 * n);
            put_vertex(positions, texcoords, v + 3, xh, yl, z1, sh, tl);
            put_vertex(positions, texcoords, v + 4, xl, yh, z2, sl, th);
            put_vertex(positions, texcoords, v + 5, xh, yh, z_high, sh, th);
            triangle_normal(positions + 3 * (v + 3), positions + 3 * (v + 4), positions + 3 * (v + 5),
                            normals + 3 * (n + 1));
            v += 6;
            n += 2;

            xh = static_cast<int>(xh + 1);
            xl = static_cast<int>(xl + 1);
            sh += ds;
            sl += ds;
        }
        // Truncation toward zero: rows below y = 0 are 2 units high, the rest 1.
        yh = static_cast<int>(yh + 1.5);
        yl = static_cast<int>(yl + 1.5);
        th += dt;
        tl += dt;
    }
}

void enter_part_9() {
    // Part 7's clip has been shown.
    release_video_clip(&video_clips[2]);
    current_part = 9;
    clip_start_time = demo_clock();
    part_start_time = demo_clock();
    glDisable(GL_LIGHT0);
    glDisable(GL_LIGHT1);
    glDisable(GL_LIGHT2);

    LightRecord& first = light_records[0];
    first.position[0] = 0.5f; first.position[1] = 1.0f; first.position[2] = 0.5f; first.position[3] = 1.0f;
    first.colour[0] = 0.4f; first.colour[1] = 0.4f; first.colour[2] = 0.8f; first.colour[3] = 1.0f;
    first.constant_attenuation = 0.00001f;
    first.linear_attenuation = 0.0001f;
    first.quadratic_attenuation = 0.00023f;
    light_records[1] = first;
    light_records[1].colour[0] = 0.8f;
    light_records[1].colour[1] = 0.8f;
    light_records[1].colour[2] = 0.7f;

    const float centres[5][2] = {{-15, -25}, {10, -25}, {-15, 25}, {15, 25}, {0, 0}};
    for (int k = 0; k < 5; ++k) {
        scatter_positions[k][0] = centres[k][0];
        scatter_positions[k][1] = centres[k][1];
    }
    scroller_box = texture_lit_box(3007);
}

void draw_part_9() {
    const float a = static_cast<float>((demo_clock() - demo_start_time) * pi / 2000.0);
    const float c = static_cast<float>((demo_clock() - part_start_time) * pi / 500.0);
    const float w = static_cast<float>(video_clips[3].width) / 1024.0f;
    const float h = static_cast<float>(video_clips[3].height) / 512.0f;
    light_records[0].position[0] = static_cast<float>(20.0 * std::sin(a));
    light_records[0].position[1] = static_cast<float>(20.0 * std::cos(a));
    light_records[1].position[0] = static_cast<float>(-20.0 * std::sin(a));
    light_records[1].position[1] = static_cast<float>(20.0 * std::cos(a));
    glDisable(GL_LIGHT2);

    build_ripple_surface(c, w, h, ripple_positions, ripple_texcoords, ripple_normals);
    // The titles are drawn under the shade model the frame began with.
    GLint shade_model = GL_SMOOTH;
    glGetIntegerv(GL_SHADE_MODEL, &shade_model);
    draw_surface(a);
    draw_title_quads(shade_model);
    restore_surface_state(a);

    // The scroller is still drawn in the frame of the hand-over.
    if (demo_clock() - part_start_time > part_9_length_ms) {
        enter_part_100();
        // The finale shows no clip.
        release_video_clip(&video_clips[3]);
    }
    draw_scroller();
}
