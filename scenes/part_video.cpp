// The video parts 2, 4 and 7: the clip across the screen between two rippling
// film bands, with two credit images sliding past. A part lasts as long as
// its clip; the decoding step enters the next part.
#include "gl/gl_api.h"

#include <cmath>

#include "runtime/clock.h"
#include "runtime/demo.h"
#include "runtime/view.h"
#include "scenes/parts.h"
#include "video/video_parts.h"
#include "video/clip.h"

namespace {
constexpr GLuint band_texture = 3003;

// One clock reading stamps all three clocks of a video part.
void stamp_video_clocks() {
    const double now = demo_clock();
    clip_start_time = now;
    part_start_time = now;
    phase_start_time = now;
}

// One row of 12 cells; each cell twice, with sine and with cosine offsets.
void emit_band(float bottom, float top, float seconds) {
    float s = 1.0f;
    for (int i = 0; i < 12; ++i) {
        const float xl = static_cast<float>(4 * i - 20);
        const float xr = static_cast<float>(4 * i - 16);
        for (int f = 0; f < 2; ++f) {
            const double al = static_cast<double>(xl) + seconds;
            const double ar = static_cast<double>(xr) + seconds;
            const float wl = static_cast<float>(f == 0 ? std::sin(al) : std::cos(al));
            const float wr = static_cast<float>(f == 0 ? std::sin(ar) : std::cos(ar));
            glTexCoord2f(0.0f, 0.0f);
            glVertex3f(xl, bottom + wl, 0.0f);
            glTexCoord2f(s, 0.0f);
            glVertex3f(xr, bottom + wr, 0.0f);
            glTexCoord2f(s, 1.0f);
            glVertex3f(xr, top + wr, 0.0f);
            glTexCoord2f(0.0f, 1.0f);
            glVertex3f(xl, top + wl, 0.0f);
        }
        s = -s;
    }
}
} // namespace

void enter_part_2() {
    current_part = 2;
    stamp_video_clocks();
}

void enter_part_4() {
    current_part = 4;
    stamp_video_clocks();
}

void enter_part_7() {
    glDisable(GL_LIGHTING);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    current_part = 7;
    stamp_video_clocks();
}

void draw_film_bands(int32_t edge) {
    const float now = static_cast<float>(demo_clock());
    const float seconds = static_cast<float>(static_cast<double>(now) / 1000.0);
    // The scroll restarts every 8 s, two cells' length, so the pattern repeats.
    if ((static_cast<double>(now) - part_start_time) / 1000.0 > 8.0) part_start_time = demo_clock();
    const float e = static_cast<float>((static_cast<double>(now) - part_start_time) / 1000.0);
    const float low_edge = static_cast<float>(-edge);
    const float high_edge = static_cast<float>(edge);

    glPushMatrix();
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    glTranslatef(-e, 0.0f, 0.0f);
    glBindTexture(GL_TEXTURE_2D, band_texture);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_COLOR, GL_ONE_MINUS_SRC_COLOR);
    glBegin(GL_QUADS);
    emit_band(low_edge - 1.0f, low_edge + 1.0f, seconds);
    glEnd();
    glPopMatrix();

    glPushMatrix();
    glTranslatef(e - 8.0f, 0.0f, 0.0f);
    glBegin(GL_QUADS);
    emit_band(high_edge - 1.0f, high_edge + 1.0f, seconds);
    glEnd();
    glPopMatrix();
    glDisable(GL_BLEND);
}

void draw_credit_slides(int32_t lower_texture, int32_t upper_texture) {
    glColor3f(1.0f, 1.0f, 1.0f);
    glPushMatrix();
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_COLOR, GL_ONE);
    // Two units a second from the part's start.
    float d = static_cast<float>((demo_clock() - phase_start_time) / 500.0);
    glTranslatef(d - 20.0f, 0.0f, 0.0f);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(lower_texture));
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(0.0f, -18.0f);
    glTexCoord2f(0.0f, 1.0f);
    glVertex2f(0.0f, -12.0f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex2f(5.0f, -12.0f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex2f(5.0f, -18.0f);
    glEnd();
    glPopMatrix();

    glPushMatrix();
    d = static_cast<float>((demo_clock() - phase_start_time) / 500.0);
    glTranslatef(20.0f - d, 0.0f, 0.0f);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(upper_texture));
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(0.0f, 12.0f);
    glTexCoord2f(0.0f, 1.0f);
    glVertex2f(0.0f, 18.0f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex2f(5.0f, 18.0f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex2f(5.0f, 12.0f);
    glEnd();
    glPopMatrix();
    // Blending stays on; the next frame's draw turns it off.
}

void draw_video_part(VideoClip* clip, int32_t lower_texture, int32_t upper_texture) {
    set_flat_view();

    // May enter the next part; this frame is finished all the same.
    decode_clip_frame(clip, video_texture_id);

    const float w = static_cast<float>(static_cast<double>(clip->width) / 1024.0);
    const float h = static_cast<float>(static_cast<double>(clip->height) / 512.0);
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(-20.0f, -12.0f);
    glTexCoord2f(0.0f, h);
    glVertex2f(-20.0f, 12.0f);
    glTexCoord2f(w, h);
    glVertex2f(20.0f, 12.0f);
    glTexCoord2f(w, 0.0f);
    glVertex2f(20.0f, -12.0f);
    glEnd();

    draw_film_bands(12);
    draw_credit_slides(lower_texture, upper_texture);
}
