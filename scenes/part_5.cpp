// Part 5: a tunnel of ten ring copies advancing in 2000 ms steps under two
// moving lights, drifting background layers, a stream of sprites and two
// sliding text images; after 14000 ms it enters part 7.
#include "gl/gl_api.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "geometry/draw.h"
#include "geometry/fog.h"
#include "geometry/lit_area.h"
#include "geometry/mesh.h"
#include "geometry/sprites.h"
#include "runtime/clock.h"
#include "runtime/demo.h"
#include "runtime/ranrot.h"
#include "runtime/view.h"
#include "scenes/parts.h"

float beat_count;
float spin_angles[20];

namespace {

constexpr double pi = 3.1415926536;
constexpr GLuint background_texture = 5;
constexpr GLuint sprite_texture = 1000;
constexpr GLuint rising_text_texture = 3005;
constexpr GLuint sliding_text_texture = 3006;

float rand_float() { return float(ranrot_float()); }

void set_ring_sprite(int32_t i, double x, double y, float phase, int32_t centre)
{
    Sprite* s = &sprite_table[i];
    s->x = float(x);
    s->y = float(y);
    particle_phases[i] = phase;
    s->alpha = 255.0f;
    const int32_t off = std::abs(i - centre);
    s->r = s->g = float(off / 100.0 * 0.3);
    s->b = float((2 * off) / 100.0 * 0.6);
    s->aux[2].f = rand_float();
}

// The text images' boxes and the sprite image's outline, read when the part begins.
TextureBox rising_text_box{0, 0, 1, 1};
TextureBox sliding_text_box{0, 0, 1, 1};
TextureOutline sprite_outline = whole_texture_outline();

// A background layer's corners round its centre, as draw_background places it.
void layer_corners(const float centre[3], float corners[4][3])
{
    const float* c = centre;
    const float placed[4][3] = {{c[0] - 250.0f, c[1] - 250.0f, c[2] - 200.0f},
                                {c[0] - 250.0f, c[1] + 250.0f, c[2] - 200.0f},
                                {c[0] + 250.0f, c[1] + 250.0f, c[2] - 200.0f},
                                {c[0] + 250.0f, c[1] - 250.0f, c[2] - 200.0f}};
    for (int k = 0; k < 4; k++)
        for (int a = 0; a < 3; a++)
            corners[k][a] = placed[k][a];
}

// Which background layers cannot show. The layers are opaque, so a layer
// that covers the whole view paints over every layer drawn before it and,
// with the depth test on, hides every layer lying behind it: their
// fragments are painted over or rejected, and the depth left is the same.
void find_hidden_layers(const float centres[3][3], bool hidden[3])
{
    bool covers[3];
    double nearest[3], farthest[3];
    for (int32_t i = 0; i < 3; i++) {
        float corners[4][3];
        layer_corners(centres[i], corners);
        covers[i] = quad_covers_viewport(corners, &nearest[i], &farthest[i]);
    }
    const bool depth_test = glIsEnabled(GL_DEPTH_TEST);
    GLboolean depth_writes = GL_TRUE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depth_writes);
    GLint depth_func = GL_LEQUAL, depth_bits = 16;
    glGetIntegerv(GL_DEPTH_FUNC, &depth_func);
    glGetIntegerv(GL_DEPTH_BITS, &depth_bits);
    const bool nearer_passes = depth_test && (depth_func == GL_LESS || depth_func == GL_LEQUAL);
    // Nearer by more than a step of the depth buffer, so rounding cannot tie.
    const double step = 1.2 / (std::ldexp(1.0, std::max(depth_bits, 1)) - 1.0);
    for (int32_t j = 0; j < 3; j++) {
        hidden[j] = false;
        for (int32_t k = 0; k < 3; k++) {
            if (k == j || !covers[k])
                continue;
            const bool nearer = farthest[k] + step < nearest[j];
            if ((!depth_test && k > j) || (nearer_passes && nearer && (depth_writes || k > j)))
                hidden[j] = true;
        }
    }
}

void draw_background()
{
    glDisable(GL_LIGHTING);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glBindTexture(GL_TEXTURE_2D, background_texture);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA); // blending itself stays off
    float centres[3][3];
    for (int32_t i = 0; i < 3; i++) {
        const double a = frame_time / 5000.0 + particle_phases[i];
        centres[i][0] = float(std::cos(a) * 40.0 + scatter_positions[i][0]);
        centres[i][1] = float(std::sin(a) * 40.0 + scatter_positions[i][1]);
        centres[i][2] = scatter_positions[i][2];
    }
    bool hidden[3];
    find_hidden_layers(centres, hidden);
    for (int32_t i = 0; i < 3; i++) {
        if (hidden[i])
            continue;
        // Each layer lies at one eye depth: its fog goes into its colour (geometry/fog.h).
        float corners[4][3], colour[4];
        layer_corners(centres[i], corners);
        double eye_z = 0;
        const bool fogged_colour = flat_eye_depth(corners, 4, &eye_z) && fold_fog_into_colour(eye_z, colour);
        glPushMatrix();
        glTranslatef(centres[i][0], centres[i][1], centres[i][2]);
        glScalef(2.5f, 2.5f, 1.0f);
        // The right edge's s is the layer's mirror sign: layer 1 shows the image mirrored.
        const float s = float(mirror_signs[i]);
        glBegin(GL_QUADS);
        glTexCoord2f(0.0f, 0.0f);
        glVertex3f(-100.0f, -100.0f, -200.0f);
        glTexCoord2f(0.0f, -1.0f);
        glVertex3f(-100.0f, 100.0f, -200.0f);
        glTexCoord2f(s, -1.0f);
        glVertex3f(100.0f, 100.0f, -200.0f);
        glTexCoord2f(s, 0.0f);
        glVertex3f(100.0f, -100.0f, -200.0f);
        glEnd();
        glPopMatrix();
        if (fogged_colour)
            unfold_fog(colour);
    }
}

void draw_tunnel(float dt)
{
    for (int32_t g = 0; g < ring_mesh.group_count; g++) {
        // Groups outermost, so each texture is bound once a frame.
        glBindTexture(GL_TEXTURE_2D, GLuint(ring_mesh.texture_ids[g]));
        for (int32_t j = 0; j < 10; j++) {
            glPushMatrix();
            glTranslatef(0.0f, float(std::sin(j * pi * 3.0 / 10.0 + dt * pi / 2000.0 + beat_count * pi) * 1.5),
                         float(-10.0 * j + dt * 10.0 / 2000.0));
            glRotatef(spin_angles[j], 0.0f, 0.0f, 1.0f);
            draw_mesh_group(&ring_mesh, g);
            glPopMatrix();
        }
    }
}

void draw_stream(double elapsed, float dt)
{
    glBindTexture(GL_TEXTURE_2D, sprite_texture);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE_MINUS_SRC_COLOR, GL_ONE);
    glDepthMask(GL_FALSE);
    // Each sprite as it stands when its turn comes, bobbing included.
    static Sprite drawn[250];
    for (int32_t i = 0; i < 250; i++) {
        Sprite* s = &sprite_table[i];
        s->z = float(elapsed / 500.0 + particle_phases[i]);
        const float y = s->y;
        if (i < 200)
            s->y = float(s->y + std::sin(-s->z / 10.0 * pi * 3.0 / 10.0 + dt * pi / 2000.0 + beat_count * pi));
        // A sprite that reached the viewer reappears 15 units further back.
        if (s->z >= 0.0f)
            particle_phases[i] -= 15.0f;
        drawn[i] = *s;
        if (i < 200)
            s->y = y;
    }
    // Added blending of black changes nothing: each sprite is drawn only
    // round the lit part of its image.
    draw_sprites(drawn, 250, sprite_outline);
    glEnable(GL_DEPTH_TEST);
    glDepthMask(GL_TRUE);
    glDisable(GL_BLEND);
}

void draw_text_images()
{
    glColor3f(1.0f, 1.0f, 1.0f);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_COLOR, GL_ONE);

    glPushMatrix();
    glTranslatef(0.0f, float((demo_clock() - part_start_time) / 1000.0 - 20.0 + 5.0), 0.0f);
    glRotatef(90.0f, 0.0f, 0.0f, 1.0f);
    glBindTexture(GL_TEXTURE_2D, rising_text_texture);
    // Added blending of black changes nothing: only the lettering's part is drawn.
    static const float rising_corners[3][3] = {{-20.0f, -20.0f, -30.0f}, {20.0f, -20.0f, -30.0f}, {-20.0f, -10.0f, -30.0f}};
    draw_lit_quad(rising_corners[0], rising_corners[1], rising_corners[2], rising_text_box);
    glPopMatrix();

    glPushMatrix();
    const double y = -(demo_clock() - part_start_time) / 1000.0 + 5.0;
    const double x = 20.0 - (demo_clock() - part_start_time) / 1000.0 + 5.0;
    glTranslatef(float(x), float(y), 0.0f);
    glRotatef(45.0f, 0.0f, 0.0f, 1.0f);
    glBindTexture(GL_TEXTURE_2D, sliding_text_texture);
    static const float sliding_corners[3][3] = {{-20.0f, 10.0f, -30.0f}, {20.0f, 10.0f, -30.0f}, {-20.0f, 20.0f, -30.0f}};
    draw_lit_quad(sliding_corners[0], sliding_corners[1], sliding_corners[2], sliding_text_box);
    glPopMatrix();

    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
}

} // namespace

void enter_part_5()
{
    // Part 4's clip has been shown (and part 2's, should part 3 not have run).
    release_video_clip(&video_clips[0]);
    release_video_clip(&video_clips[1]);
    beat_count = 0.0f;
    current_part = 5;
    part_start_time = demo_clock();
    glDisable(GL_LIGHTING);
    glDisable(GL_NORMALIZE);
    glDisable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    glCullFace(GL_FRONT);
    glEnable(GL_CULL_FACE);
    phase_start_time = demo_clock();
    glInterleavedArrays(GL_T2F_N3F_V3F, 0, ring_mesh.interleaved);
    set_viewport(window_width, window_height, 80);

    LightRecord* blue = &light_records[0];
    *blue = LightRecord{{0.0f, 0.0f, 0.0f, 1.0f}, {0.4f, 0.4f, 0.8f, 1.0f}, 0.001f, 0.001f, 0.00004f};
    light_records[1] = *blue;
    light_records[1].colour[0] = 0.7f;
    light_records[1].colour[1] = 0.8f;
    light_records[1].colour[2] = 0.6f;
    light_records[1].colour[3] = 1.0f;
    glDisable(GL_LIGHT0);
    glDisable(GL_LIGHT1);
    glDisable(GL_LIGHT2);

    for (int32_t i = 0; i < 100; i++)
        set_ring_sprite(i, std::sin(i * pi / 25.0) * 1.15 + 0.38, std::cos(i * pi / 25.0) * 0.8 + 0.16,
                        float(i * 15 / 100.0), 50);
    for (int32_t i = 100; i < 200; i++)
        set_ring_sprite(i, std::cos((i - 100) * pi / 25.0) * 1.15 + 0.38,
                        std::sin((i - 100) * pi / 25.0) * 0.8 + 0.16, float((i * 15 - 100) / 100.0), 150);
    // Seven draws per loose sprite, in this order.
    for (int32_t i = 200; i < 250; i++) {
        Sprite* s = &sprite_table[i];
        s->x = float(double(ranrot_float()) * 2.5 - 1.25);
        s->y = float(double(ranrot_float()) * 2.5 - 1.25);
        particle_phases[i] = float(-double(ranrot_float()) * 15.0);
        s->alpha = 255.0f;
        s->r = rand_float();
        s->g = rand_float();
        s->b = rand_float();
        s->aux[2].f = rand_float();
    }

    glEnable(GL_FOG);
    glFogi(GL_FOG_MODE, GL_EXP2);
    glFogf(GL_FOG_DENSITY, 0.006f);
    glFogfv(GL_FOG_COLOR, fog_colour);

    rising_text_box = texture_lit_box(rising_text_texture);
    sliding_text_box = texture_lit_box(sliding_text_texture);
    sprite_outline = texture_lit_outline(sprite_texture);
}

void draw_part_5()
{
    draw_background();

    float dt = float(demo_clock() - phase_start_time);
    if (dt > 2000.0f) {
        phase_start_time += dt;
        beat_count += 1.0f;
        dt = 0.0f;
    }

    const double now = demo_clock();
    const double elapsed = now - part_start_time;
    const double run_time = now - demo_start_time;

    glPushMatrix();
    glEnable(GL_LIGHTING);
    const float bob = float(std::sin(dt * pi / 2000.0 + beat_count * pi));
    glTranslatef(0.0f, -2.0f * bob, 0.0f);
    glRotatef(float(elapsed * 90.0 / 6000.0), 0.0f, 0.0f, 1.0f);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glScalef(5.0f, 5.0f, 5.0f);

    light_records[0].position[2] = float(std::sin(run_time * pi / 1500.0) * 4.0 + 10.0);
    light_records[1].position[2] = float(-std::cos(run_time * pi / 1500.0) * 4.0 + 10.0);
    set_light(light_records[0], 0);
    set_light(light_records[1], 1);

    for (int32_t j = 0; j < 20; j++)
        spin_angles[j] = float(run_time * 360.0 / 20000.0 + (j + beat_count) * 20.0);

    draw_tunnel(dt);
    draw_stream(elapsed, dt);
    glPopMatrix();

    if (elapsed > 14000.0)
        enter_part_7();
    // Reads the clock afresh: after the hand-over it is part 7's time.
    draw_text_images();
}
