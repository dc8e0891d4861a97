// Part 3: the lit room under a three-phase camera (orbit, descent, rise),
// swirling sprites, four lightning rings and drifting text; it closes on a
// white frame and enters part 4.
#include "gl/gl_api.h"

#include <cmath>

#include "geometry/draw.h"
#include "geometry/lit_area.h"
#include "geometry/mesh.h"
#include "geometry/sprites.h"
#include "geometry/strip.h"
#include "runtime/clock.h"
#include "runtime/demo.h"
#include "runtime/ranrot.h"
#include "runtime/view.h"
#include "scenes/parts.h"

int32_t camera_phase;
float orbit_angle;
float yaw_offset;
float yaw_rate;
float pitch_angle;
float orbit_radius;
float camera_offset[3];
float swirl_radii[800];
float swirl_speeds[800];

namespace {

constexpr double pi = 3.1415926536;
constexpr GLuint sprite_texture = 1000;
constexpr GLuint lightning_texture = 1001;
constexpr GLuint text_texture = 3004;
constexpr GLuint blank_texture_id = 800000;

double radians(double degrees) { return degrees * pi / 180.0; }

// Where the text, lightning and sprite images can be lit, read when the part begins.
TextureBox text_box{0, 0, 1, 1};
TextureBox lightning_box{0, 0, 1, 1};
TextureOutline sprite_outline = whole_texture_outline();

void set_record(LightRecord* record, float x, float y, float z, float w, float r, float g, float b,
                float constant, float linear, float quadratic)
{
    record->position[0] = x;
    record->position[1] = y;
    record->position[2] = z;
    record->position[3] = w;
    record->colour[0] = r;
    record->colour[1] = g;
    record->colour[2] = b;
    record->colour[3] = 1.0f;
    record->constant_attenuation = constant;
    record->linear_attenuation = linear;
    record->quadratic_attenuation = quadratic;
}

// The three phase tests run in sequence, so an entered phase already runs
// its own formulas in the frame of the change.
void move_camera(double now, double t)
{
    if (camera_phase == 0) {
        camera_offset[1] = 0.0f;
        orbit_angle = float(t * 360.0 / 12000.0);
        camera_offset[2] = float(std::cos(radians(orbit_angle)) * orbit_radius);
        pitch_angle = float(40.0 * std::sin(t / 3000.0));
        // Uses the previous frame's radius: 0 on the part's first frame.
        camera_offset[0] = float(-2.0 * orbit_radius * std::sin(radians(orbit_angle)));
        orbit_radius = float(50.0 - 30.0 * std::sin(t * pi / 40000.0));
        yaw_rate = float((220.0 - yaw_offset) / 4.0);
        if (t < 8000.0) {
            yaw_offset = float(yaw_offset + (now - phase_start_time) * yaw_rate / 1000.0);
            phase_start_time = now;
        } else {
            yaw_offset = 180.0f;
            phase_start_time = now;
            camera_phase = 1;
        }
    }
    if (camera_phase == 1) {
        const double e = now - phase_start_time;
        double u = (8000.0 - e) / 8000.0;
        if (u < 0.0)
            u = 0.0;
        camera_offset[2] = 2.0f;
        camera_offset[1] = float(40.0 - e * 80.0 / 10000.0);
        orbit_radius = 65.0f;
        camera_offset[0] = float(-orbit_radius * u * std::sin(radians(orbit_angle)) - 1.7);
        pitch_angle = float(e * 45.0 / 8000.0 +
                            (-std::asin(double(camera_offset[1]) / orbit_radius) * 180.0 / pi + 35.0));
        if (e > 8000.0) {
            phase_start_time = now;
            camera_phase = 2;
        }
    }
    if (camera_phase == 2) {
        // The one frame-rate dependent motion: the rise per frame is the
        // square of the frame time.
        const double d = now - phase_start_time;
        camera_offset[1] = float(camera_offset[1] + d * d * 0.00016);
        phase_start_time = now;
    }
}

void place_swirl(double g)
{
    for (int32_t i = 0; i < 400; i++) {
        const double a = particle_phases[i];
        const double r = swirl_radii[i];
        const double phi = g * swirl_speeds[i] / 500.0 + i + a * pi / 180.0;
        Sprite* s = &sprite_table[i];
        s->x = float(std::cos(phi) * r);
        s->z = float(std::sin(phi) * r);
        if (i < 300)
            s->y = float(i / 600.0 * 4.2 - 2.1 + 1.0);
        else
            s->y = float(30.0 * std::cos((g + a) / 2000.0 + a + 1.0)); // a in radians here
    }
}

void draw_rings()
{
    glDisable(GL_BLEND);
    glDisable(GL_LIGHTING);
    glEnable(GL_DEPTH_TEST);
    glBindTexture(GL_TEXTURE_2D, lightning_texture);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_COLOR, GL_ONE);
    glColor3f(0.5f, 0.3f, 0.9f);
    for (int32_t k = 0; k < 4; k++) {
        glPushMatrix();
        for (int32_t j = 0; j < 100; j++) {
            const double b = 2.0 * j * pi / 20.0;
            ring_points[j][0] = float(3.0 * std::sin(b));
            ring_points[j][1] = float(0.7 * double(ranrot_float()) - 0.35);
            ring_points[j][2] = float(3.0 * std::cos(b));
        }
        glTranslatef(0.0f, float(k), 0.0f);
        // Only the bands' lit middle: added blending of black changes nothing.
        draw_strip_lit(97, ring_points[2], 0.2f, lightning_box);
        glPopMatrix();
    }
}

void draw_cover(double t)
{
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glEnable(GL_BLEND);
    glBindTexture(GL_TEXTURE_2D, blank_texture_id);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    cover_level = float((t - 15000.0) / 4000.0);
    glColor4f(1.0f, 1.0f, 1.0f, cover_level);
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(-500.0f, -500.0f, -10.0f);
    glVertex3f(-500.0f, 500.0f, -10.0f);
    glVertex3f(500.0f, 500.0f, -10.0f);
    glVertex3f(500.0f, -500.0f, -10.0f);
    glEnd();
    glEnable(GL_LIGHTING);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
}

void draw_text(double t)
{
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_COLOR, GL_ONE);
    glTranslatef(float(10.0 - t / 1000.0), 0.0f, 0.0f);
    glBindTexture(GL_TEXTURE_2D, text_texture);
    // Added blending of black changes nothing: only the lettering's part is drawn.
    static const float corners[3][3] = {{-20.0f, -20.0f, -30.0f}, {20.0f, -20.0f, -30.0f}, {-20.0f, 10.0f, -30.0f}};
    draw_lit_quad(corners[0], corners[1], corners[2], text_box);
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
}

} // namespace

void enter_part_3()
{
    // Part 2's clip has been shown.
    release_video_clip(&video_clips[0]);
    current_part = 3;
    yaw_offset = 90.0f;
    yaw_rate = 0.0f;
    camera_phase = 0;
    glEnable(GL_CULL_FACE);
    glCullFace(GL_FRONT);
    glEnable(GL_FOG);
    glFogi(GL_FOG_MODE, GL_EXP2);
    glFogf(GL_FOG_DENSITY, 0.006f);
    glFogfv(GL_FOG_COLOR, fog_colour);
    part_start_time = demo_clock();
    phase_start_time = part_start_time;

    for (int32_t i = 0; i < 600; i++) {
        particle_phases[i] = float(360.0 * double(ranrot_float()));
        swirl_radii[i] = float(0.8 * double(ranrot_float()));
        swirl_speeds[i] = float(1.5 * double(ranrot_float()));
        Sprite* s = &sprite_table[i];
        s->alpha = 255.0f;
        s->r = 0.6f;
        s->g = 1.0f;
        s->b = 0.8f;
    }
    // Never drawn by this part, but they take their share of the sequence.
    for (int32_t i = 600; i < 800; i++) {
        particle_phases[i] = float(180.0 * double(ranrot_float()));
        swirl_radii[i] = float((i < 700 ? 0.6 : 50.0) * double(ranrot_float()));
        swirl_speeds[i] = float(ranrot_float());
        sprite_table[i].r = sprite_table[i].g = sprite_table[i].b = 1.0f;
    }

    set_record(&light_records[0], 0, 0, 0, 1, 1.0f, 0.4f, 0.4f, 0.01f, 0.01f, 0.00008f);
    set_record(&light_records[1], 0, 0, 0, 1, 0.2f, 1.0f, 0.2f, 1e-18f, 1e-17f, 0.0003f);
    // The directional light keeps the attenuation it had: it has no effect on it.
    LightRecord* sky = &light_records[2];
    set_record(sky, 0, -1, 0, 0, 0.4f, 0.5f, 0.8f, sky->constant_attenuation, sky->linear_attenuation,
               sky->quadratic_attenuation);

    text_box = texture_lit_box(text_texture);
    lightning_box = texture_lit_box(lightning_texture);
    sprite_outline = texture_lit_outline(sprite_texture);
}

void draw_part_3()
{
    // One clock reading serves the whole frame.
    const double now = demo_clock();
    const double t = now - part_start_time;
    const double g = now - demo_start_time;

    set_viewport(window_width, window_height, 45);
    place_swirl(g);

    set_record(&light_records[0], 0, 0, 0, 1, 1.0f, 0.4f, 0.4f, 0.01f, 0.01f,
               float(std::cos(g * pi / 800.0) / 10000.0 + 0.00008));
    set_record(&light_records[1], 0, 0, 0, 1, 0.2f, 1.0f, 0.2f, 1e-18f, 1e-17f,
               float(std::sin(g * pi / 1000.0) / 10000.0 + 0.0003));

    glEnable(GL_LIGHTING);
    glEnable(GL_TEXTURE_2D);
    glPushMatrix();
    move_camera(now, t);
    glRotatef(orbit_angle + yaw_offset, 0.0f, 1.0f, 0.0f);
    // The axis's z uses the orbit angle alone.
    glRotatef(pitch_angle, float(std::cos(radians(double(orbit_angle) + yaw_offset))), 0.0f,
              float(-std::sin(radians(orbit_angle))));
    glTranslatef(camera_offset[0], camera_offset[1], camera_offset[2]);
    glScalef(5.0f, 5.0f, 5.0f);

    set_light(light_records[0], 0);
    set_light(light_records[1], 1);
    set_light(light_records[2], 2);
    draw_mesh(&room_mesh, 1, 0, 1, 0);

    glBindTexture(GL_TEXTURE_2D, sprite_texture);
    glTranslatef(0.0f, -6.0f, 0.0f);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_COLOR, GL_ONE);
    glDepthMask(GL_FALSE);
    // Added blending of black changes nothing: each sprite is drawn only
    // round the lit part of its image.
    draw_sprites(sprite_table, 400, sprite_outline);

    draw_rings();

    glDepthMask(GL_TRUE);
    glDisable(GL_BLEND);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glPopMatrix();

    if (t > 20000.0) {
        draw_cover(t);
        if (cover_level > 1.2f)
            enter_part_4();
    }
    draw_text(t);
}
