// The video parts and part 10 drawn in a real GL context: entry clocks, the
// clip upright between the film bands, the sliding credits, the hand-over
// frame, and the title card's fade.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <vector>

#include "platform/platform.h"
#include "runtime/clock.h"
#include "runtime/demo.h"
#include "runtime/ranrot.h"
#include "runtime/view.h"
#include "scenes/parts.h"
#include "tests/support.h"
#include "tests/video_test_clips.h"
#include "video/clip.h"
#include "video/video_parts.h"


namespace {

const Rgb red{220, 30, 40};
const Rgb blue{20, 40, 210};

void solid_texture(GLuint id, uint8_t r, uint8_t g, uint8_t b) {
    std::vector<uint8_t> pixels(64 * 64 * 3);
    for (size_t i = 0; i < pixels.size(); i += 3) {
        pixels[i] = r;
        pixels[i + 1] = g;
        pixels[i + 2] = b;
    }
    glBindTexture(GL_TEXTURE_2D, id);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 64, 64, 0, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
}

// Band texture black (blends to nothing) unless a test wants to see it.
void make_part_textures(uint8_t band) {
    solid_texture(3003, band, band, band);
    solid_texture(4000, 255, 255, 0);
    solid_texture(4001, 0, 255, 255);
}

void frame_at(double ms, VideoClip* clip) {
    set_virtual_clock_ms(ms);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    draw_video_part(clip, 4000, 4001);
}

void expect_near(Rgb got, Rgb want, int tolerance) {
    EXPECT_NEAR(got.r, want.r, tolerance);
    EXPECT_NEAR(got.g, want.g, tolerance);
    EXPECT_NEAR(got.b, want.b, tolerance);
}

class VideoPart : public testing::Test {
protected:
    void SetUp() override {
        ensure_gl_context();
        glDisable(GL_FOG);
        glDisable(GL_CULL_FACE);
        video_test_clips::load_clip_bytes(video_test_clips::make_clip_file(64, 32, 6, red, blue), &clip);
    }
    VideoClip clip;
};

} // namespace

// --- entry functions ----------------------------------------------------------

TEST(VideoPartEntry, EnterPart2And4StampOneReadingIntoAllThreeClocks) {
    set_virtual_clock_ms(1234.5);
    clip_start_time = part_start_time = phase_start_time = 0;
    enter_part_2();
    EXPECT_EQ(current_part, 2);
    EXPECT_DOUBLE_EQ(clip_start_time, 1234.5);
    EXPECT_DOUBLE_EQ(part_start_time, 1234.5);
    EXPECT_DOUBLE_EQ(phase_start_time, 1234.5);
    set_virtual_clock_ms(2000.25);
    enter_part_4();
    EXPECT_EQ(current_part, 4);
    EXPECT_DOUBLE_EQ(clip_start_time, 2000.25);
    EXPECT_DOUBLE_EQ(part_start_time, 2000.25);
    EXPECT_DOUBLE_EQ(phase_start_time, 2000.25);
}

TEST(VideoPartEntry, EnterPart7TurnsLightingOffAndTheColourWhite) {
    ensure_gl_context();
    glEnable(GL_LIGHTING);
    glColor4f(0.25f, 0.5f, 0.75f, 0.5f);
    set_virtual_clock_ms(777);
    enter_part_7();
    EXPECT_EQ(current_part, 7);
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    for (float c : colour) EXPECT_FLOAT_EQ(c, 1.0f);
    EXPECT_DOUBLE_EQ(clip_start_time, 777);
    EXPECT_DOUBLE_EQ(phase_start_time, 777);
}

TEST(Part10Entry, EnterPart10StampsOnlyThePartClock) {
    set_virtual_clock_ms(4321);
    clip_start_time = phase_start_time = 5;
    enter_part_10();
    EXPECT_EQ(current_part, 10);
    EXPECT_DOUBLE_EQ(part_start_time, 4321);
    EXPECT_DOUBLE_EQ(clip_start_time, 5);
    EXPECT_DOUBLE_EQ(phase_start_time, 5);
}

// --- the video part's frame ---------------------------------------------------

TEST_F(VideoPart, ClipFillsTheMiddleUprightInItsOwnColours) {
    make_part_textures(0);
    set_virtual_clock_ms(1000);
    enter_part_2();
    frame_at(1000, &clip);
    frame_at(1010, &clip);
    EXPECT_EQ(clip.frame_count, 1);
    expect_near(read_pixel(400, 400), red, 16);
    expect_near(read_pixel(400, 200), blue, 16);
    expect_near(read_pixel(20, 300), read_pixel(780, 300), 4);
    // Above and below the clip only the credits may show; here, black.
    expect_near(read_pixel(400, 590), {0, 0, 0}, 2);
    expect_near(read_pixel(400, 10), {0, 0, 0}, 2);
}

TEST_F(VideoPart, CreditsSlideInOppositeDirectionsTwoUnitsASecond) {
    make_part_textures(0);
    set_virtual_clock_ms(1000);
    enter_part_2();
    frame_at(1000, &clip);
    // At the start the lower image sits at the left edge, the upper one just
    // beyond the right edge.
    // (The lower image spans x = -20 to -15: screen columns 0 to 100.)
    expect_near(read_pixel(5, 60), {255, 255, 0}, 2);
    expect_near(read_pixel(95, 60), {255, 255, 0}, 2);
    expect_near(read_pixel(105, 60), {0, 0, 0}, 2);
    expect_near(read_pixel(795, 540), {0, 0, 0}, 2);
    // Five seconds on: ten units, a quarter of the view.
    frame_at(6000, &clip);
    expect_near(read_pixel(50, 60), {0, 0, 0}, 2);
    expect_near(read_pixel(205, 60), {255, 255, 0}, 2);
    expect_near(read_pixel(295, 60), {255, 255, 0}, 2);
    expect_near(read_pixel(305, 60), {0, 0, 0}, 2);
    expect_near(read_pixel(605, 540), {0, 255, 255}, 2);
    expect_near(read_pixel(695, 540), {0, 255, 255}, 2);
    expect_near(read_pixel(595, 540), {0, 0, 0}, 2);
    expect_near(read_pixel(705, 540), {0, 0, 0}, 2);
}

TEST_F(VideoPart, FilmBandsCoverTheClipEdges) {
    make_part_textures(255);
    set_virtual_clock_ms(1000);
    enter_part_2();
    frame_at(1000, &clip);
    frame_at(1500, &clip);
    // y = -12 and y = 12 lie inside both bands wherever they ripple.
    for (int x : {5, 200, 400, 600, 795}) {
        expect_near(read_pixel(x, 120), {255, 255, 255}, 3);
        expect_near(read_pixel(x, 480), {255, 255, 255}, 3);
    }
}

TEST_F(VideoPart, FilmBandsRestartTheirScrollAfterEightSeconds) {
    set_virtual_clock_ms(20000);
    part_start_time = 20000 - 7999;
    draw_film_bands(12);
    EXPECT_DOUBLE_EQ(part_start_time, 20000 - 7999);
    part_start_time = 20000 - 8001;
    draw_film_bands(12);
    EXPECT_DOUBLE_EQ(part_start_time, 20000);
}

namespace {
// A nanosecond counter as SDL reads it on a machine up for 30 days.
std::atomic<uint64_t> uptime_ns{0};
uint64_t uptime_counter() { return uptime_ns.load(); }

// Scroll (units) and ripple phase (radians) of the lower band's first cell,
// read back through GL feedback: its left bottom corner lies at
// (-20 - scroll, -13 + f(-20 + T)) for the sine copy and the cosine copy.
struct BandPhase {
    double scroll, ripple;
};
BandPhase lower_band_phase() {
    std::vector<GLfloat> feedback(8192);
    glFeedbackBuffer(static_cast<GLsizei>(feedback.size()), GL_2D, feedback.data());
    glRenderMode(GL_FEEDBACK);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    // A quarter of the width keeps both bands whole in the view, so no cell
    // is clipped and the polygons come out in the order they were drawn.
    glScalef(0.25f, 1.0f, 1.0f);
    draw_film_bands(12);
    const GLint used = glRenderMode(GL_RENDER);
    EXPECT_GT(used, 0);
    std::vector<std::vector<std::pair<double, double>>> polygons;
    for (GLint i = 0; i < used;) {
        EXPECT_EQ(feedback[i], static_cast<GLfloat>(GL_POLYGON_TOKEN));
        const int n = static_cast<int>(feedback[i + 1]);
        std::vector<std::pair<double, double>> corners;
        for (int v = 0; v < n; ++v) {
            // Window to band coordinates: 800 x 600 over the 40 x 40 view.
            const double x = (feedback[i + 2 + 2 * v] / 20.0 - 20.0) * 4.0;
            const double y = feedback[i + 3 + 2 * v] / 15.0 - 20.0;
            corners.push_back({x, y});
        }
        polygons.push_back(corners);
        i += 2 + 2 * n;
    }
    // Two bands of 24 quads each.
    EXPECT_EQ(polygons.size() % 48, 0u);
    const size_t per_quad = polygons.size() / 48;
    auto corner = [&](size_t quad) {
        std::pair<double, double> low_left{1e9, 1e9};
        for (size_t p = quad * per_quad; p < (quad + 1) * per_quad; ++p)
            for (const auto& c : polygons[p])
                if (c.first < low_left.first - 1e-3 || (c.first < low_left.first + 1e-3 && c.second < low_left.second))
                    low_left = c;
        return low_left;
    };
    const auto with_sin = corner(0), with_cos = corner(1);
    const double scroll = -20.0 - with_sin.first;
    const double ripple = std::atan2(with_sin.second + 13.0, with_cos.second + 13.0);
    return {scroll, ripple};
}
} // namespace

// Scenes keep clock readings in floats, so the clock must stay small however
// long the machine has been up: a float of a month's milliseconds steps by
// 256 ms, and the bands would move in jerks.
TEST(VideoPartClock, FilmBandsMoveOneFrameAtATimeAfterAMonthOfUptime) {
    ensure_gl_context();
    const uint64_t ns_per_frame = 16666667;
    uptime_ns = 30ull * 24 * 3600 * 1000000000ull;
    platform_install_virtual_counter(nullptr, 0);
    platform_install_raw_counter(uptime_counter, 1000000000);
    uptime_ns += 5ull * 1000000000ull;  // the show starts a few seconds in
    set_flat_view();
    enter_part_2();
    EXPECT_LT(demo_clock(), 60000.0);

    const double step = ns_per_frame / 1e9;
    BandPhase last = lower_band_phase();
    int restarts = 0, uneven = 0, first_uneven = 0;
    // Ten seconds: one restart of the scroll, after 8 s.
    for (int frame = 1; frame <= 600; ++frame) {
        uptime_ns += ns_per_frame;
        const BandPhase now = lower_band_phase();
        bool even = std::fabs(std::remainder(now.ripple - last.ripple, 2 * 3.1415926536) - step) < 1e-3;
        if (now.scroll < last.scroll) {
            ++restarts;
            even = even && last.scroll + step > 8.0 && std::fabs(now.scroll) < 1e-3;
        } else {
            even = even && std::fabs(now.scroll - last.scroll - step) < 1e-3;
        }
        if (!even && uneven++ == 0) first_uneven = frame;
        last = now;
    }
    EXPECT_EQ(uneven, 0) << "first at frame " << first_uneven;
    EXPECT_EQ(restarts, 1);
    platform_install_raw_counter(nullptr, 0);
    set_virtual_clock_ms(0);
}

TEST_F(VideoPart, TheFrameThatEndsTheClipIsStillDrawn) {
    make_part_textures(0);
    set_virtual_clock_ms(1000);
    enter_part_2();
    double now = 1000;
    while (clip.read_pos < clip.data_len && now < 3000) {
        now += 40;
        frame_at(now, &clip);
    }
    ASSERT_EQ(current_part, 2);
    frame_at(now + 40, &clip);
    EXPECT_EQ(current_part, 10);
    EXPECT_DOUBLE_EQ(part_start_time, now + 40);
    // The credits of that frame are there all the same.
    const double d = (now + 40 - 1000) / 500;
    const int lower_x = static_cast<int>((d - 20 + 2.5 + 20) / 40 * 800);
    expect_near(read_pixel(lower_x, 60), {255, 255, 0}, 2);
}

// --- part 10 ------------------------------------------------------------------

TEST(Part10, TitleCardFadesInFromBlackAndHolds) {
    ensure_gl_context();
    solid_texture(3008, 200, 120, 60);
    set_virtual_clock_ms(50000);
    enter_part_10();
    auto centre_at = [](double ms) {
        set_virtual_clock_ms(ms);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        draw_part_10();
        return read_pixel(400, 300);
    };
    expect_near(centre_at(50000), {0, 0, 0}, 1);
    // cos(500 x 3.14 / 2000 + 3.14) + 1 = 0.293
    expect_near(centre_at(50500), {59, 35, 18}, 3);
    expect_near(centre_at(51000), {200, 120, 60}, 3);
    // Brightness above 1 is clamped: the card, not brighter.
    expect_near(centre_at(52000), {200, 120, 60}, 3);
    expect_near(read_pixel(2, 2), {200, 120, 60}, 3);
    expect_near(read_pixel(797, 597), {200, 120, 60}, 3);
}

TEST(Part10, HandsOverOnlyAfterMoreThanThreeSeconds) {
    ensure_gl_context();
    solid_texture(3008, 200, 120, 60);
    // Part 3's entry draws from the seeded generator.
    ranrot_init(0);
    set_virtual_clock_ms(10000);
    enter_part_10();
    set_virtual_clock_ms(13000);
    draw_part_10();
    EXPECT_EQ(current_part, 10);
    set_virtual_clock_ms(13000.5);
    draw_part_10();
    EXPECT_EQ(current_part, 3);
}
