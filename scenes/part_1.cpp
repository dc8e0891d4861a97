// The intro: the logo over the whole screen and the caption below it, added
// onto black, each shown in turn through a fading wave distortion.
#include "gl/gl_api.h"

#include <cmath>

#include "runtime/clock.h"
#include "runtime/demo.h"
#include "runtime/ranrot.h"
#include "scenes/parts.h"
#include "scenes/part_1.h"

float warp_columns[512];
float warp_rows[512];

void warp_image(const uint8_t* source, int32_t texture_id, int32_t width, int32_t height) {
    const float m = static_cast<float>(15.0 - (demo_clock() - demo_start_time) * 15.0 / 3500.0);
    for (int i = 0; i < 512; ++i) {
        const int dy = static_cast<int>(m * warp_rows[i]);
        // Rows outside 1..511 keep what the previous frame left there.
        if (!(0 < i + dy && i + dy < 512)) continue;
        uint8_t* out = image_pixels + static_cast<size_t>(i) * 512 * 3;
        for (int j = 0; j < 512; ++j) {
            const int dx = static_cast<int>(m * warp_columns[j]);
            // A column past the row's end runs on into the next row.
            const long offset = (static_cast<long>(i + dy) * 512 + j + dx) * 3;
            out[j * 3 + 0] = source[offset + 0];
            out[j * 3 + 1] = source[offset + 1];
            out[j * 3 + 2] = source[offset + 2];
        }
    }
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(texture_id));
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE, image_pixels);
}

void refresh_warp_tables(double t) {
    const float f = static_cast<float>(t * 3.1415926536 / 1600.0);
    for (int i = 0; i < 512; ++i) {
        warp_columns[i] = static_cast<float>(std::sin(i * 3.1415926536 / 10.0 + f));
        warp_rows[i] = static_cast<float>(std::cos(i * 3.1415926536 / 18.0 + f));
    }
}

void draw_part_1() {
    glViewport(0, 0, window_width, window_height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-100, 100, -100, 100, -100, 100);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_COLOR, GL_ONE);
    glDisable(GL_LIGHTING);

    if (demo_clock() - demo_start_time > 3500)
        warp_image(logo_pixels, 3000, 512, 512);
    else
        glBindTexture(GL_TEXTURE_2D, 3000);
    // Clockwise on screen; culling is off.
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0); glVertex2f(-100, -100);
    glTexCoord2f(0, 1); glVertex2f(-100, 100);
    glTexCoord2f(1, 1); glVertex2f(100, 100);
    glTexCoord2f(1, 0); glVertex2f(100, -100);
    glEnd();

    // The logo above used last frame's tables, the caption below uses these.
    refresh_warp_tables(demo_clock() - demo_start_time);

    if (demo_clock() - demo_start_time >= 3500)
        glBindTexture(GL_TEXTURE_2D, 3001);
    else
        warp_image(presents_pixels, 3001, 256, 128);

    float l = static_cast<float>(30.0 - (demo_clock() - demo_start_time) * 30.0 / 3500.0);
    if (l < 0) l = 0;
    // One random value every frame, also once the jitter has faded to 0.
    glScalef(static_cast<float>(ranrot_float() * l + 1), 1, 1);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0); glVertex2f(-70, -60);
    glTexCoord2f(0, -1); glVertex2f(-70, -100);
    glTexCoord2f(1, -1); glVertex2f(70, -100);
    glTexCoord2f(1, 0); glVertex2f(70, -60);
    glEnd();

    if (demo_clock() - demo_start_time > 7000) enter_part_2();
}
