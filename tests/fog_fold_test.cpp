// Fog to black folded into the colour of unlit sprites and flat quads gives
// the picture GL's own fog gives, colours above 1 included.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "geometry/fog.h"
#include "geometry/lit_area.h"
#include "geometry/sprites.h"
#include "tests/support.h"

namespace {

void fogged_view() {
    glViewport(0, 0, 800, 600);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(-0.5, 0.5, -0.375, 0.375, 1, 500);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClearColor(0.05f, 0.1f, 0.2f, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glClearColor(0, 0, 0, 1);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glEnable(GL_FOG);
    glFogi(GL_FOG_MODE, GL_EXP2);
    glFogf(GL_FOG_DENSITY, 0.02f);
    const float black[4] = {0, 0, 0, 1};
    glFogfv(GL_FOG_COLOR, black);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_COLOR, GL_ONE_MINUS_SRC_COLOR);
}

std::vector<uint8_t> screen() {
    std::vector<uint8_t> pixels(800 * 600 * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, 800, 600, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

} // namespace

TEST(FogFolding, UnlitSpritesAndFlatQuadsMatchGlFog) {
    ensure_gl_context();
    // Sprites from near to far (fog from 1 down to about 0.1), some with
    // colour components above 1 that GL clamps before its fog.
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
    auto picture = [&](bool folded) {
        fogged_view();
        if (folded) {
            draw_sprites(run.data(), int32_t(run.size()));
            glColor3f(1.2f, 0.7f, 0.3f);
            draw_lit_quad(origin, s_end, t_end, TextureBox{0, 0, 1, 1});
        } else {
            // One draw per sprite never folds the fog.
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
        glDisable(GL_BLEND);
        glDisable(GL_FOG);
        return screen();
    };
    double density = 0;
    fogged_view();
    EXPECT_TRUE(fog_foldable(&density));
    EXPECT_FLOAT_EQ(float(density), 0.02f);
    const std::vector<uint8_t> by_gl = picture(false);
    const std::vector<uint8_t> folded = picture(true);
    size_t differing = 0, lit = 0;
    int largest = 0;
    for (size_t i = 0; i < by_gl.size(); ++i) {
        const int d = std::abs(int(by_gl[i]) - int(folded[i]));
        differing += d != 0;
        largest = std::max(largest, d);
        lit += by_gl[i] > 60;
    }
    EXPECT_GT(lit, by_gl.size() / 20);
    EXPECT_LE(largest, 1);
    EXPECT_LE(differing, by_gl.size() / 10000);
    glDisable(GL_FOG);
    glDisable(GL_BLEND);
}
