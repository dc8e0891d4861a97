// The finale: four spark helices falling down the screen edges, six purple
// bolts, and the 18 greetings images rising in turn. It never ends by itself.
#include "gl/gl_api.h"

#include <cmath>
#include <cstdio>

#include "geometry/sprites.h"
#include "geometry/strip.h"
#include "runtime/clock.h"
#include "runtime/demo.h"
#include "runtime/images.h"
#include "runtime/ranrot.h"
#include "scenes/part_100.h"
#include "scenes/parts.h"

GreetsEntry greets_table[greets_count];
int32_t greets_shown;
int32_t sprite_count;

namespace {
constexpr double pi = 3.1415926536;

// Spawn times live in the first aux word as part time, not as an absolute
// clock reading in alpha: a float keeps a part-relative time exact to well
// under a millisecond for hours, where a counter-since-boot would not be.
float& spawn_time(Sprite& spark) { return spark.aux[0].f; }

void place_spark(Sprite& spark, double part_time) {
    const float age = static_cast<float>(part_time - spawn_time(spark));
    spark.y = static_cast<float>(50.0 - age * 50.0 / 3000.0);
    const double psi = (age + static_cast<double>(spark.aux[2].f)) * pi * 6.0 / 2000.0;
    const double swing = 1.5 * std::sin(psi);
    switch (spark.aux[1].i) {
    case 0: spark.x = static_cast<float>(35.0 - swing); break;
    case 1: spark.x = static_cast<float>(35.0 + swing); break;
    case 2: spark.x = static_cast<float>(-35.0 - swing); break;
    default: spark.x = static_cast<float>(-35.0 + swing); break;
    }
    spark.z = static_cast<float>(-10.0 - 1.5 * std::cos(psi));
}

// Ids 3000 to 3008 held other pictures earlier in the show, so an image that
// cannot be loaded gets a plain white texture: its band shows white rather
// than a stale picture.
void load_greeting(const char* path, int32_t texture_id) {
    if (load_image(path, texture_id)) return;
    static const uint8_t white[3] = {255, 255, 255};
    upload_image_texture(texture_id, 1, 1, white);
}

void remove_spark(int32_t j) {
    for (int32_t i = j; i + 1 < sprite_count; ++i) sprite_table[i] = sprite_table[i + 1];
    --sprite_count;
}
} // namespace

void move_sparks(double part_time) {
    for (int32_t j = 0; j < sprite_count; ++j) {
        place_spark(sprite_table[j], part_time);
        // The spark that slides into j is judged by last frame's position and
        // is not moved this frame if it stays.
        while (j < sprite_count && sprite_table[j].y < spark_floor) remove_spark(j);
    }
}

void spawn_sparks(double now, double part_time) {
    if (now - phase_start_time <= spawn_interval) return;
    if (sprite_count < spark_cap) {
        const double w = part_time * 2.0 * pi / 1000.0;
        for (int32_t type = 0; type < 4; ++type) {
            Sprite& spark = sprite_table[sprite_count++];
            spark.aux[2].f = static_cast<float>(80.0 * static_cast<double>(ranrot_float()));
            spark.x = 0;
            spark.y = 40;
            spark.z = 0;
            if (type % 2 == 0) {
                spark.r = 0.2f;
                spark.g = static_cast<float>(0.8 + 0.5 * std::cos(w));
                spark.b = static_cast<float>(0.8 + 0.6 * std::sin(w));
            } else {
                spark.r = static_cast<float>(0.8 + 0.6 * std::cos(w));
                spark.g = static_cast<float>(0.8 + 0.5 * std::sin(w));
                spark.b = 0.2f;
            }
            spawn_time(spark) = static_cast<float>(part_time);
            spark.alpha = 255;
            spark.aux[1].i = type;
        }
    }
    // No catch-up: a slow frame still gives one tick.
    phase_start_time = now;
}

void schedule_greets(double part_time) {
    const int32_t old = greets_shown;
    if (greets_shown < greets_count) {
        const int32_t due = static_cast<int32_t>(part_time / 2000.0);
        greets_shown = due < greets_count ? due : greets_count;
    }
    for (int32_t k = old; k < greets_shown; ++k) greets_table[k].appearance_time = static_cast<float>(part_time);
}

void draw_spark_pass(bool back) {
    static Sprite pass[sprite_table_size];
    int32_t n = 0;
    for (int32_t j = 0; j < sprite_count; ++j)
        if ((sprite_table[j].z <= -10.0f) == back) pass[n++] = sprite_table[j];
    draw_sprites(pass, n);
}

void draw_bolts(double show_time) {
    for (int side = 0; side < 2; ++side) {
        for (int l = 0; l < 3; ++l) {
            for (int m = 0; m <= 20; ++m) {
                const double psi = show_time * pi / 500.0 + l * pi + m * pi * 4.0 / 20.0;
                const double r = static_cast<double>(ranrot_float());
                const double x = side == 0 ? 0.5 * std::sin(psi) - 35.0 + 2.0 * r - 1.0
                                           : 35.0 - 0.5 * std::sin(psi) - 2.0 * r + 1.0;
                ring_points[m][0] = static_cast<float>(x);
                ring_points[m][1] = static_cast<float>(4 * m - 40);
                ring_points[m][2] = -10.0f;
            }
            draw_strip(20, &ring_points[0][0], 0.15f);
        }
    }
}

void draw_greets(double part_time) {
    for (int32_t k = 0; k < greets_shown; ++k) {
        const double a = part_time - greets_table[k].appearance_time;
        glPushMatrix();
        glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(greets_table[k].texture_id));
        glTranslatef(0, static_cast<float>(a / 700.0), 0);
        // The first image, the greetings title, rises without turning.
        if (k > 0) glRotatef(static_cast<float>(a / 100.0), 0, 1, 0);
        glBegin(GL_QUADS);
        glTexCoord2f(0, 0); glVertex2f(-20, -40);
        glTexCoord2f(0, 1); glVertex2f(-20, -30);
        glTexCoord2f(1, 1); glVertex2f(20, -30);
        glTexCoord2f(1, 0); glVertex2f(20, -40);
        glEnd();
        glPopMatrix();
    }
}

void enter_part_100() {
    sprite_count = 0;
    current_part = 100;
    glDisable(GL_CULL_FACE);
    greets_table[0].texture_id = 10000;
    load_greeting("dats/greets.jpg", 10000);
    for (int k = 1; k < greets_count; ++k) {
        char name[32];
        std::snprintf(name, sizeof name, "dats/%2.2d.jpg", k);
        greets_table[k].texture_id = 2999 + k;
        load_greeting(name, 2999 + k);
    }
    // The part's clock starts after the loading.
    part_start_time = demo_clock();
    greets_shown = 0;
    sprite_count = 0;
    current_part = 100;
}

void draw_part_100() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-40, 40, -40, 40, -40, 40);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    move_sparks(demo_clock() - part_start_time);

    glDisable(GL_LIGHTING);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_COLOR, GL_ONE_MINUS_SRC_COLOR);
    glPushMatrix();
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
    glBindTexture(GL_TEXTURE_2D, 1000);
    draw_spark_pass(true);

    glBlendFunc(GL_SRC_COLOR, GL_ONE);
    glColor3f(0.5f, 0.3f, 0.9f);
    glBindTexture(GL_TEXTURE_2D, 1001);
    glDisable(GL_TEXTURE_2D);
    draw_bolts(demo_clock() - demo_start_time);

    glBlendFunc(GL_SRC_COLOR, GL_ONE_MINUS_SRC_COLOR);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, 1000);
    draw_spark_pass(false);

    const double now = demo_clock();
    spawn_sparks(now, now - part_start_time);

    glEnable(GL_TEXTURE_2D);
    glColor3f(1, 1, 1);
    glPopMatrix();

    draw_greets(demo_clock() - part_start_time);
    schedule_greets(demo_clock() - part_start_time);
    glColor3f(1, 1, 1);
}
