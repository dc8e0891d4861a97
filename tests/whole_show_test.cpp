// The whole show in one run under the virtual clock: every part entered in
// its order at its time, and no OpenGL error but the room's one; on the
// desktop driver and through the ES 3.0 renderer alike.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "geometry/draw.h"
#include "gl/gl_api.h"
#include "runtime/demo.h"
#include "runtime/startup.h"
#include "scenes/part_100.h"
#include "tests/support.h"

namespace {
struct Entry {
    int32_t part;
    double time;
};
std::vector<Entry> entries;
double virtual_now;

// What GL's debug output reported as errors since the last frame.
std::vector<std::string> reported_errors;

void GLAPIENTRY note_debug_message(GLenum, GLenum type, GLuint, GLenum, GLsizei, const GLchar* message,
                                   const void*) {
    if (type == GL_DEBUG_TYPE_ERROR) reported_errors.push_back(message);
}

void note_entry(int32_t part) { entries.push_back({part, virtual_now}); }

// Virtual milliseconds per frame: coarse, so the show plays in well under a minute.
constexpr double frame_step = 100.0;

double entered_at(int32_t part) {
    for (const Entry& e : entries)
        if (e.part == part) return e.time;
    return -1;
}

std::vector<GLenum> drain_gl_errors() {
    std::vector<GLenum> errors;
    for (GLenum e = glGetError(); e != GL_NO_ERROR; e = glGetError()) errors.push_back(e);
    return errors;
}
} // namespace

class WholeShow : public testing::TestWithParam<GlChoice> {};

TEST_P(WholeShow, PlaysEveryPartInOrderOnTimeWithoutGlErrors) {
    if (!std::ifstream("dats/zad2.ogg")) GTEST_SKIP() << "dats/ has not been generated in this build directory";
    // Through the ES 3.0 renderer at a quarter of the pixels: the calls and
    // their errors do not depend on the size, and llvmpipe's filling, most of
    // the time here, is the golden frames' business.
    if (GetParam() == GlChoice::es3) ensure_gl_context(GlChoice::es3, 400, 300);
    else ensure_gl_context(GlChoice::compatibility);
    drain_gl_errors();
    // Synchronous debug output names the call that failed, in the frame it failed.
    glEnable(GL_DEBUG_OUTPUT);
    glEnable(GL_DEBUG_OUTPUT_SYNCHRONOUS);
    glDebugMessageCallback(note_debug_message, nullptr);
    reported_errors.clear();
    virtual_now = 1000;
    set_virtual_clock_ms(virtual_now);
    entries.clear();
    part_entered_hook = note_entry;
    ASSERT_TRUE(demo_startup());
    ASSERT_EQ(current_part, 1);
    const double start = demo_start_time;
    EXPECT_TRUE(drain_gl_errors().empty()) << "GL error during start-up";
    EXPECT_EQ(reported_errors, std::vector<std::string>{});

    std::vector<std::string> unexpected;
    int frames = 0, refused_frames = 0;
    double finale_until = -1;
    // Ten virtual minutes at most; the show needs far less.
    while (frames < 15000 && (finale_until < 0 || virtual_now < finale_until)) {
        // Nothing before part 3 in the dispatch order enters it, so it is
        // drawn exactly in the frames that begin in it.
        const bool room_drawn = current_part == 3;
        reported_errors.clear();
        demo_render_frame();
        demo_present_frame();
        const std::vector<GLenum> errors = drain_gl_errors();
        // The room's light 0 takes cos(G pi / 800) / 10000 + 0.00008 as its
        // quadratic attenuation; GL refuses it when negative and keeps the
        // last value it accepted.
        const double g = virtual_now - start;
        const bool refused = room_drawn && std::cos(g * 3.1415926536 / 800.0) / 10000.0 + 0.00008 < 0;
        const std::string at = std::to_string(g) + " ms in part " + std::to_string(current_part);
        if (refused) {
            ++refused_frames;
            GLfloat kept = -1;
            glGetLightfv(GL_LIGHT0, GL_QUADRATIC_ATTENUATION, &kept);
            if (errors != std::vector<GLenum>{GL_INVALID_VALUE} || reported_errors.size() != 1 ||
                reported_errors[0].find("glLight") == std::string::npos ||
                !(light_records[0].quadratic_attenuation < 0) || !(kept >= 0) ||
                light_records[0].constant_attenuation < 0 || light_records[0].linear_attenuation < 0)
                unexpected.push_back("light 0's negative quadratic attenuation not refused alone at " + at);
        } else if (!errors.empty() || !reported_errors.empty()) {
            char code[16];
            std::snprintf(code, sizeof code, "0x%04x", errors.empty() ? 0u : errors.front());
            unexpected.push_back(std::string("GL error ") + code + " (" +
                                 (reported_errors.empty() ? "" : reported_errors.front()) + ") at " + at);
        }
        if (current_part == 100 && finale_until < 0) finale_until = virtual_now + 4000;
        virtual_now += frame_step;
        set_virtual_clock_ms(virtual_now);
        ++frames;
    }
    part_entered_hook = nullptr;
    glDebugMessageCallback(nullptr, nullptr);
    glDisable(GL_DEBUG_OUTPUT);

    std::vector<int32_t> order = {1};
    for (const Entry& e : entries) order.push_back(e.part);
    EXPECT_EQ(order, (std::vector<int32_t>{1, 2, 10, 3, 4, 5, 7, 9, 100}));
    EXPECT_TRUE(unexpected.empty()) << unexpected.size() << " errors, first: "
                                    << (unexpected.empty() ? "" : unexpected.front());
    // Three frames of every 1600 ms period at this step, over 20 s.
    EXPECT_GT(refused_frames, 30);
    ASSERT_EQ(entries.size(), 8u);

    // Fixed-length parts hand over on the first frame past their length.
    auto expect_after = [](double from, double to, double length, const char* what) {
        EXPECT_GT(to - from, length) << what;
        EXPECT_LE(to - from, length + frame_step) << what;
    };
    expect_after(start, entered_at(2), 7000, "part 1");
    expect_after(entered_at(10), entered_at(3), 3000, "part 10");
    expect_after(entered_at(3), entered_at(4), 20000, "part 3");
    expect_after(entered_at(5), entered_at(7), 14000, "part 5");
    expect_after(entered_at(9), entered_at(100), 15000, "part 9");
    // Clip parts end with their clips; an empty clip ends in its first frame.
    EXPECT_GE(entered_at(10), entered_at(2));
    EXPECT_GE(entered_at(5), entered_at(4));
    EXPECT_GE(entered_at(9), entered_at(7));

    // The finale runs on: by 4 s the first greeting is out, the second not yet.
    EXPECT_EQ(current_part, 100);
    EXPECT_EQ(greets_shown, 1);
    EXPECT_GT(sprite_count, 0);
    EXPECT_LE(sprite_count, 993);
}

INSTANTIATE_TEST_SUITE_P(Gl, WholeShow, testing::Values(GlChoice::compatibility, GlChoice::es3),
                         [](const testing::TestParamInfo<GlChoice>& info) { return gl_choice_name(info.param); });
