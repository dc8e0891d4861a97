// The final act: part 9's rebuilt surface and hand-over, and the finale's
// sparks, spawning ticks and greetings schedule.
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "geometry/draw.h"
#include "geometry/sprites.h"
#include "geometry/strip.h"
#include "runtime/demo.h"
#include "runtime/images.h"
#include "runtime/ranrot.h"
#include "runtime/view.h"
#include "scenes/part_100.h"
#include "scenes/part_9.h"
#include "scenes/parts.h"
#include "tests/support.h"
#include "video/clip.h"

namespace {
constexpr double pi = 3.1415926536;
constexpr int cell_floats = 18; // six vertices of three floats

struct Surface {
    std::vector<float> positions = std::vector<float>(3 * ripple_vertex_count);
    std::vector<float> texcoords = std::vector<float>(3 * ripple_vertex_count);
    std::vector<float> normals = std::vector<float>(3 * ripple_triangle_count);
};

Surface build(float c, float w, float h) {
    Surface s;
    ranrot_init(0);
    build_ripple_surface(c, w, h, s.positions.data(), s.texcoords.data(), s.normals.data());
    return s;
}

// Vertex v of cell (row, column).
const float* vertex(const std::vector<float>& a, int row, int column, int v) {
    return a.data() + (row * ripple_cells + column) * cell_floats + 3 * v;
}

double unjittered_height(int x, int y, float c) {
    const double p = std::sqrt(double(x * x + y * y)) * pi * 10.0 / 40.0;
    return -40.0 + static_cast<float>(1.5 * std::sin(p + c));
}

Rgb white(int, int) { return {255, 255, 255}; }
Rgb black(int, int) { return {0, 0, 0}; }

void load_test_texture(int32_t id, Rgb (*pixel)(int, int)) {
    const std::vector<uint8_t> jpeg = make_jpeg(64, 16, pixel);
    ASSERT_EQ(load_image_from_memory(jpeg.data(), jpeg.size(), id, "test image"), 1);
}

// A finale already under way at virtual time `start`, with no sparks.
void start_finale_at(double start) {
    ensure_gl_context();
    set_virtual_clock_ms(start);
    demo_start_time = 0;
    part_start_time = start;
    phase_start_time = start;
    current_part = 100;
    sprite_count = 0;
    greets_shown = 0;
    ranrot_init(0);
}

// No sparks, a tick due at once, the generator freshly seeded.
void fresh_sparks() {
    ranrot_init(0);
    sprite_count = 0;
    phase_start_time = -1000;
}

bool lit(Rgb p) { return p.r + p.g + p.b > 60; }
} // namespace

// --- part 9: the surface -------------------------------------------------

TEST(RippleSurface, RowEdgesStepByTwoBelowZeroThenByOne) {
    const Surface s = build(0, 0.625f, 0.9375f);
    std::vector<int> lower, upper;
    for (int y = -15; y < 0; y += 2) lower.push_back(y);
    for (int y = 0; y <= 31; ++y) lower.push_back(y);
    for (int y = -13; y < 0; y += 2) upper.push_back(y);
    for (int y = 0; y <= 32; ++y) upper.push_back(y);
    ASSERT_EQ(lower.size(), 40u);
    ASSERT_EQ(upper.size(), 40u);
    for (int row = 0; row < ripple_cells; ++row) {
        for (int column = 0; column < ripple_cells; ++column) {
            EXPECT_EQ(vertex(s.positions, row, column, 1)[1], lower[row]) << "row " << row;
            EXPECT_EQ(vertex(s.positions, row, column, 2)[1], upper[row]) << "row " << row;
            EXPECT_EQ(vertex(s.positions, row, column, 1)[0], column - 20);
            EXPECT_EQ(vertex(s.positions, row, column, 0)[0], column - 19);
        }
    }
}

TEST(RippleSurface, TextureRowsStayEvenlySpacedWhileGeometryRowsDoNot) {
    const float w = 0.625f, h = 0.9375f;
    const Surface s = build(0, w, h);
    for (int row = 0; row < ripple_cells; ++row) {
        const float tl = vertex(s.texcoords, row, 0, 1)[1];
        const float th = vertex(s.texcoords, row, 0, 2)[1];
        EXPECT_NEAR(tl, row * 0.0234375, 1e-5) << "row " << row;
        EXPECT_NEAR(th - tl, 0.0234375, 1e-5) << "row " << row;
        for (int column = 0; column < ripple_cells; ++column) {
            EXPECT_NEAR(vertex(s.texcoords, row, column, 1)[0], column * w / 40, 1e-5);
            EXPECT_NEAR(vertex(s.texcoords, row, column, 5)[0], (column + 1) * w / 40, 1e-5);
        }
    }
}

TEST(RippleSurface, DrawsExactlyThirtyTwoHundredRandomNumbers) {
    Surface s;
    ranrot_init(0);
    ranrot_float();
    const RanrotState before = ranrot_state;
    build_ripple_surface(1.0f, 0.625f, 0.9375f, s.positions.data(), s.texcoords.data(), s.normals.data());
    const RanrotState after = ranrot_state;
    ranrot_state = before;
    for (int i = 0; i < 3200; ++i) ranrot_next();
    EXPECT_EQ(std::memcmp(after.buffer, ranrot_state.buffer, sizeof after.buffer), 0);
    EXPECT_EQ(after.p1, ranrot_state.p1);
    EXPECT_EQ(after.p2, ranrot_state.p2);
}

TEST(RippleSurface, JitterTouchesOnlyTheTwoCrackCornersOfACell) {
    // sin(c / 15) = 1: the jitter is at its peak.
    const float c = static_cast<float>(15 * pi / 2);
    const Surface s = build(c, 0.625f, 0.9375f);
    int cracked = 0;
    for (int row = 0; row < ripple_cells; ++row) {
        for (int column = 0; column < ripple_cells; ++column) {
            const float* a0 = vertex(s.positions, row, column, 0);
            const float* a1 = vertex(s.positions, row, column, 1);
            const float* b2 = vertex(s.positions, row, column, 5);
            EXPECT_FLOAT_EQ(a1[2], unjittered_height(int(a1[0]), int(a1[1]), c));
            EXPECT_FLOAT_EQ(b2[2], unjittered_height(int(b2[0]), int(b2[1]), c));
            // Both triangles share the jittered corners.
            EXPECT_EQ(a0[2], vertex(s.positions, row, column, 3)[2]);
            EXPECT_EQ(vertex(s.positions, row, column, 2)[2], vertex(s.positions, row, column, 4)[2]);
            const double off = std::fabs(a0[2] - unjittered_height(int(a0[0]), int(a0[1]), c));
            EXPECT_LE(off, 1.5 * 0.3 + 1e-4);
            if (off > 1e-3) ++cracked;
        }
    }
    EXPECT_GT(cracked, 800);
}

TEST(RippleSurface, NoJitterWhenTheEnvelopeIsZero) {
    const Surface s = build(0, 0.625f, 0.9375f);
    for (int row = 0; row < ripple_cells; ++row)
        for (int column = 0; column < ripple_cells; ++column) {
            const float* a0 = vertex(s.positions, row, column, 0);
            EXPECT_FLOAT_EQ(a0[2], unjittered_height(int(a0[0]), int(a0[1]), 0));
        }
}

TEST(TriangleNormal, IsTheUnnormalisedCrossProductOfTheTwoEdges) {
    const float p[3] = {1, 2, 3}, q[3] = {4, 2, 3}, r[3] = {1, 5, 7};
    float n[3];
    triangle_normal(p, q, r, n);
    // (3, 0, 0) x (0, 3, 4) = (0, -12, 9)
    EXPECT_FLOAT_EQ(n[0], 0);
    EXPECT_FLOAT_EQ(n[1], -12);
    EXPECT_FLOAT_EQ(n[2], 9);
    triangle_normal(p, r, q, n);
    EXPECT_FLOAT_EQ(n[1], 12);
    EXPECT_FLOAT_EQ(n[2], -9);
}

TEST(TriangleNormal, SurfaceTrianglesFaceAwayFromTheViewer) {
    const Surface s = build(7.0f, 0.625f, 0.9375f);
    for (int t = 0; t < ripple_triangle_count; ++t) EXPECT_LT(s.normals[3 * t + 2], 0) << "triangle " << t;
}

// --- part 9: entry and hand-over ------------------------------------------

TEST(PartNine, EntrySetsClocksLightsAndTitleCentres) {
    ensure_gl_context();
    set_virtual_clock_ms(5000);
    enter_part_9();
    EXPECT_EQ(current_part, 9);
    EXPECT_EQ(clip_start_time, 5000);
    EXPECT_EQ(part_start_time, 5000);
    EXPECT_FLOAT_EQ(light_records[0].colour[2], 0.8f);
    EXPECT_FLOAT_EQ(light_records[1].colour[0], 0.8f);
    EXPECT_FLOAT_EQ(light_records[1].colour[2], 0.7f);
    EXPECT_FLOAT_EQ(light_records[1].colour[3], 1.0f);
    EXPECT_FLOAT_EQ(light_records[1].quadratic_attenuation, 0.00023f);
    EXPECT_EQ(scatter_positions[1][0], 10);
    EXPECT_EQ(scatter_positions[3][1], 25);
    EXPECT_EQ(scatter_positions[4][0], 0);
}

TEST(PartNine, ContinuesAtExactlyFifteenSecondsAndHandsOverJustAfter) {
    ensure_gl_context();
    std::memset(&video_clips[3], 0, sizeof video_clips[3]);
    set_virtual_clock_ms(100000);
    demo_start_time = 0;
    enter_part_9();
    set_virtual_clock_ms(115000);
    draw_part_9();
    EXPECT_EQ(current_part, 9);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    set_virtual_clock_ms(115000.5);
    draw_part_9();
    EXPECT_EQ(current_part, 100);
    EXPECT_EQ(part_start_time, 115000.5);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// The titles are drawn behind the surface with the depth test; the frame
// must still end in the state the surface used to leave.
TEST(PartNine, TitlesBehindTheSurfaceLeaveTheSurfaceStateForTheScroller) {
    ensure_gl_context();
    std::memset(&video_clips[3], 0, sizeof video_clips[3]);
    set_virtual_clock_ms(100000);
    demo_start_time = 0;
    enter_part_9();
    glShadeModel(GL_SMOOTH);
    set_virtual_clock_ms(104000);
    draw_part_9();
    ASSERT_EQ(current_part, 9);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    GLint depth_func = 0, shade = 0;
    GLboolean depth_mask = GL_FALSE;
    glGetIntegerv(GL_DEPTH_FUNC, &depth_func);
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depth_mask);
    glGetIntegerv(GL_SHADE_MODEL, &shade);
    EXPECT_EQ(depth_func, GL_LEQUAL);
    EXPECT_EQ(depth_mask, GL_TRUE);
    EXPECT_EQ(shade, GL_FLAT);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    float projection[16], expected[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    const float a = static_cast<float>(104000.0 * 3.1415926536 / 2000.0);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    set_perspective(45.0 + 30.0 * std::sin(a / 3.0), 1, 1, 500);
    glGetFloatv(GL_PROJECTION_MATRIX, expected);
    glMatrixMode(GL_MODELVIEW);
    for (int k = 0; k < 16; ++k) EXPECT_EQ(projection[k], expected[k]) << k;
}

// --- finale: sparks --------------------------------------------------------

TEST(FinaleSparks, SparkAtExactlyMinusFortyStaysAndGoesJustBelow) {
    fresh_sparks();
    spawn_sparks(0, 0);
    sprite_count = 1;
    move_sparks(5400);
    ASSERT_EQ(sprite_count, 1);
    EXPECT_EQ(sprite_table[0].y, -40.0f);
    move_sparks(5400.5);
    EXPECT_EQ(sprite_count, 0);
}

TEST(FinaleSparks, HelicesWindAroundBothEdgesAtDepthMinusTen) {
    fresh_sparks();
    spawn_sparks(0, 0);
    move_sparks(777);
    const float centres[4] = {35, 35, -35, -35};
    for (int j = 0; j < 4; ++j) {
        const Sprite& s = sprite_table[j];
        EXPECT_EQ(s.aux[1].i, j);
        const double dx = s.x - centres[j], dz = s.z + 10.0;
        EXPECT_NEAR(dx * dx + dz * dz, 1.5 * 1.5, 1e-4);
        EXPECT_NEAR(s.y, 50 - 777 * 50.0 / 3000, 1e-4);
    }
    // Types 0 and 1 turn in opposite senses around the same line.
    for (int j = 0; j < 4; ++j) {
        const double swing = 1.5 * std::sin((777 + sprite_table[j].aux[2].f) * pi * 6 / 2000);
        EXPECT_NEAR(sprite_table[j].x - centres[j], j % 2 == 0 ? -swing : swing, 1e-4);
    }
}

TEST(FinaleSparks, SparkMovedIntoAFreedPlaceIsJudgedByItsOldPosition) {
    fresh_sparks();
    spawn_sparks(0, 0);    // A0..A3, spawned at 0
    spawn_sparks(30, 10);  // B0..B3, spawned at 10
    ASSERT_EQ(sprite_count, 8);
    move_sparks(5400);     // A at exactly -40, B just above
    std::vector<Sprite> previous(sprite_table, sprite_table + 8);
    move_sparks(5415);     // all eight are now below -40 where they stand
    // Each removal slides the next spark in; that one is tested with last
    // frame's y (-40 or above), so it stays, unmoved.
    ASSERT_EQ(sprite_count, 4);
    const int kept[4] = {1, 3, 5, 7};
    for (int j = 0; j < 4; ++j) {
        EXPECT_EQ(sprite_table[j].aux[1].i, previous[kept[j]].aux[1].i);
        EXPECT_EQ(sprite_table[j].y, previous[kept[j]].y);
        EXPECT_EQ(sprite_table[j].x, previous[kept[j]].x);
    }
    // The backlog clears over the next frames, one slid-in spark kept each time.
    move_sparks(5416);
    EXPECT_EQ(sprite_count, 2);
    move_sparks(5417);
    EXPECT_EQ(sprite_count, 1);
    move_sparks(5418);
    EXPECT_EQ(sprite_count, 0);
}

TEST(FinaleSparks, RemovalKeepsTheOrderOfTheSparksBehind) {
    fresh_sparks();
    spawn_sparks(0, 0);
    for (int i = 1; i <= 5; ++i) spawn_sparks(1000.0 * i, 1000.0 * i);
    ASSERT_EQ(sprite_count, 24);
    move_sparks(5000);
    // Only the four spawned at 0 go; the slid-in ones leave a frame later.
    move_sparks(5500);
    move_sparks(5501);
    move_sparks(5502);
    ASSERT_EQ(sprite_count, 20);
    move_sparks(5503);
    for (int j = 0; j < 20; ++j) {
        EXPECT_EQ(sprite_table[j].aux[1].i, j % 4);
        EXPECT_NEAR(sprite_table[j].y, 50 - (5503 - 1000.0 * (1 + j / 4)) * 50 / 3000, 1e-3);
    }
}

TEST(FinaleSpawning, CountNeverExceedsNineHundredNinetyThree) {
    fresh_sparks();
    phase_start_time = 0;
    int32_t highest = 0;
    for (int tick = 1; tick <= 400; ++tick) {
        spawn_sparks(21.0 * tick, 21.0 * tick);
        highest = std::max(highest, sprite_count);
    }
    EXPECT_EQ(highest, 992);
    sprite_count = 989;
    spawn_sparks(1e6, 1e6);
    EXPECT_EQ(sprite_count, 993);
    spawn_sparks(2e6, 2e6);
    EXPECT_EQ(sprite_count, 993);
    // The tick still happens at the cap.
    EXPECT_EQ(phase_start_time, 2e6);
}

TEST(FinaleSpawning, ASlowFrameStillSpawnsOnlyFourSparks) {
    fresh_sparks();
    phase_start_time = 1000;
    spawn_sparks(1050, 50);
    EXPECT_EQ(sprite_count, 4);
    EXPECT_EQ(phase_start_time, 1050);
    spawn_sparks(1070, 70); // exactly 20 ms later: not yet a tick
    EXPECT_EQ(sprite_count, 4);
    spawn_sparks(1070.5, 70.5);
    EXPECT_EQ(sprite_count, 8);
}

TEST(FinaleSpawning, ColoursCycleOnceASecondWithTheTimeOfBirth) {
    fresh_sparks();
    spawn_sparks(0, 250); // w = pi / 2
    EXPECT_FLOAT_EQ(sprite_table[0].r, 0.2f);
    EXPECT_NEAR(sprite_table[0].b, 1.4, 1e-6);
    EXPECT_NEAR(sprite_table[1].g, 1.3, 1e-6);
    EXPECT_FLOAT_EQ(sprite_table[1].b, 0.2f);
    EXPECT_EQ(sprite_table[2].r, sprite_table[0].r);
    EXPECT_EQ(sprite_table[3].g, sprite_table[1].g);
    for (int j = 0; j < 4; ++j) {
        EXPECT_GE(sprite_table[j].aux[2].f, 0);
        EXPECT_LT(sprite_table[j].aux[2].f, 80);
    }
}

TEST(FinaleSparks, SparkAtExactlyMinusTenIsDrawnInTheBackPass) {
    ensure_gl_context();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-40, 40, -40, 40, -40, 40);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    sprite_count = 1;
    Sprite& s = sprite_table[0];
    s.x = 0;
    s.y = 0;
    s.z = -10;
    s.r = s.g = s.b = 1;
    s.alpha = 255;
    glClear(GL_COLOR_BUFFER_BIT);
    draw_spark_pass(false);
    EXPECT_FALSE(lit(read_pixel(400, 300)));
    draw_spark_pass(true);
    EXPECT_TRUE(lit(read_pixel(400, 300)));
    s.z = -9.999f;
    glClear(GL_COLOR_BUFFER_BIT);
    draw_spark_pass(true);
    EXPECT_FALSE(lit(read_pixel(400, 300)));
    draw_spark_pass(false);
    EXPECT_TRUE(lit(read_pixel(400, 300)));
    sprite_count = 0;
}

TEST(FinaleSparks, FallIsSmoothOnAClockFarFromZero) {
    // A counter that has run for days: the part's own times stay exact.
    const double start = 5e8;
    start_finale_at(start);
    ensure_gl_context();
    load_test_texture(1000, white);
    for (int i = 0; i <= 100; ++i) {
        set_virtual_clock_ms(start + i * 16.5);
        glClear(GL_COLOR_BUFFER_BIT);
        draw_part_100();
    }
    ASSERT_GT(sprite_count, 0);
    // The newest sparks were born at the last tick; their falls follow the clock.
    const double now = 100 * 16.5;
    for (int j = 0; j < sprite_count - 4; ++j) {
        const double age = now - sprite_table[j].aux[0].f;
        EXPECT_NEAR(sprite_table[j].y, 50 - age * 50 / 3000, 1e-3);
        EXPECT_NEAR(std::fmod(sprite_table[j].aux[0].f, 16.5), 0, 1e-3);
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// --- finale: the greetings ------------------------------------------------

TEST(FinaleSchedule, FirstImageDueAtTwoSecondsAndShownFromTheNextFrame) {
    start_finale_at(10000);
    load_test_texture(1000, black);
    load_test_texture(10000, white);
    greets_table[0].texture_id = 10000;
    set_virtual_clock_ms(11999);
    glClear(GL_COLOR_BUFFER_BIT);
    draw_part_100();
    EXPECT_EQ(greets_shown, 0);
    EXPECT_FALSE(lit(read_pixel(400, 20)));

    set_virtual_clock_ms(12000);
    glClear(GL_COLOR_BUFFER_BIT);
    draw_part_100();
    EXPECT_EQ(greets_shown, 1);
    EXPECT_EQ(greets_table[0].appearance_time, 2000.0f);
    EXPECT_FALSE(lit(read_pixel(400, 20)));

    set_virtual_clock_ms(12016);
    glClear(GL_COLOR_BUFFER_BIT);
    draw_part_100();
    EXPECT_TRUE(lit(read_pixel(400, 20)));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(FinaleSchedule, OneImageEveryTwoSecondsUntilEighteen) {
    greets_shown = 0;
    schedule_greets(1999);
    EXPECT_EQ(greets_shown, 0);
    schedule_greets(2000);
    EXPECT_EQ(greets_shown, 1);
    schedule_greets(7000);
    EXPECT_EQ(greets_shown, 3);
    EXPECT_EQ(greets_table[1].appearance_time, 7000.0f);
    EXPECT_EQ(greets_table[2].appearance_time, 7000.0f);
    schedule_greets(36000);
    EXPECT_EQ(greets_shown, 18);
    const float last = greets_table[17].appearance_time;
    schedule_greets(1e7);
    EXPECT_EQ(greets_shown, 18);
    EXPECT_EQ(greets_table[17].appearance_time, last);
}

TEST(FinaleSchedule, FirstImageRisesWithoutTurningTheOthersTurn) {
    ensure_gl_context();
    load_test_texture(1000, black);
    load_test_texture(10000, white);
    load_test_texture(4998, black);
    load_test_texture(4999, white);
    // 9 s after appearing: 12.9 units up; a turning image is edge-on (90 degrees).
    auto draw_at = [](int32_t first, int32_t second, int shown) {
        start_finale_at(50000);
        greets_table[0] = {first, 0};
        greets_table[1] = {second, 0};
        greets_shown = shown;
        set_virtual_clock_ms(59000);
        glClear(GL_COLOR_BUFFER_BIT);
        draw_part_100();
    };
    // Band centre at y = -35 + 12.86 = -22.1, i.e. row 300 - 22.1 * 7.5.
    const int row = 300 - static_cast<int>(22.1 * 7.5), column = 250;
    draw_at(10000, 4998, 1);
    EXPECT_TRUE(lit(read_pixel(column, row)));
    draw_at(4998, 4999, 2);
    EXPECT_FALSE(lit(read_pixel(column, row)));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(FinaleEntry, ClockStartsAfterLoadingAndCountsReset) {
    ensure_gl_context();
    set_virtual_clock_ms(70000);
    sprite_count = 500;
    greets_shown = 9;
    enter_part_100();
    EXPECT_EQ(current_part, 100);
    EXPECT_EQ(part_start_time, 70000);
    EXPECT_EQ(sprite_count, 0);
    EXPECT_EQ(greets_shown, 0);
    EXPECT_EQ(greets_table[0].texture_id, 10000);
    EXPECT_EQ(greets_table[1].texture_id, 3000);
    EXPECT_EQ(greets_table[17].texture_id, 3016);
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
}

// Texture 3004 held a picture earlier in the show; with dats/05.jpg missing
// the fifth greeting's band must not show it.
TEST(FinaleEntry, AMissingGreetingShowsAPlainWhiteBand) {
    ensure_gl_context();
    const std::string folder = scratch_path("finale-missing-05");
    mkdir(folder.c_str(), 0700);
    mkdir((folder + "/dats").c_str(), 0700);
    const std::vector<uint8_t> dark = make_jpeg(16, 16, black);
    write_file(folder + "/dats/greets.jpg", dark);
    for (int k = 1; k <= 17; ++k)
        if (k != 5) write_file(folder + "/dats/" + (k < 10 ? "0" : "") + std::to_string(k) + ".jpg", dark);
    load_test_texture(1000, black);
    load_test_texture(3004, [](int, int) { return Rgb{200, 40, 40}; });

    char here[4096];
    ASSERT_NE(getcwd(here, sizeof here), nullptr);
    ASSERT_EQ(chdir(folder.c_str()), 0);
    set_virtual_clock_ms(80000);
    testing::internal::CaptureStderr();
    enter_part_100();
    testing::internal::GetCapturedStderr();
    ASSERT_EQ(chdir(here), 0);

    // Only the fifth greeting in view: at the bottom, not yet turned; the
    // others long since risen out of the top.
    greets_shown = 6;
    for (int k = 0; k < 5; ++k) greets_table[k].appearance_time = -1e6f;
    greets_table[5].appearance_time = 1000;
    set_virtual_clock_ms(81000);
    glClear(GL_COLOR_BUFFER_BIT);
    draw_part_100();
    // The band spans rows 0 to 75 and columns 200 to 600.
    for (int x : {250, 400, 550}) {
        const Rgb p = read_pixel(x, 37);
        EXPECT_GE(p.r, 250);
        EXPECT_GE(p.g, 250);
        EXPECT_GE(p.b, 250);
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// --- finale: the bolts ----------------------------------------------------

TEST(FinaleBolts, SixBoltsJitterWithinAUnitOfTheirWaveAndDraw126Numbers) {
    ensure_gl_context();
    ranrot_init(0);
    const RanrotState before = ranrot_state;
    const double g = 12345.0;
    draw_bolts(g);
    const RanrotState after = ranrot_state;
    // ring_points now hold the last bolt drawn: the third on the right.
    for (int m = 0; m <= 20; ++m) {
        const double wave = 35 - 0.5 * std::sin(g * pi / 500 + 2 * pi + m * pi * 4 / 20);
        EXPECT_LE(std::fabs(ring_points[m][0] - wave), 1.0 + 1e-5) << "point " << m;
        EXPECT_EQ(ring_points[m][1], 4 * m - 40);
        EXPECT_EQ(ring_points[m][2], -10);
    }
    // The jitter of the last point is 1 - 2r with r its random number.
    ranrot_state = before;
    long double r = 0;
    for (int i = 0; i < 126; ++i) r = ranrot_float();
    const double wave = 35 - 0.5 * std::sin(g * pi / 500 + 2 * pi + 20 * pi * 4 / 20);
    EXPECT_NEAR(ring_points[20][0], wave - 2 * static_cast<double>(r) + 1, 1e-4);
    EXPECT_EQ(std::memcmp(after.buffer, ranrot_state.buffer, sizeof after.buffer), 0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
