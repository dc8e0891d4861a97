// The whole show in one run under the virtual clock: every part entered in
// its order at its time, and no OpenGL error but the room's one.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <string>
#include <vector>

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
std::set<int32_t> drawn_this_frame;
double virtual_now;

void note_entry(int32_t part) {
    entries.push_back({part, virtual_now});
    drawn_this_frame.insert(part);
}

// Virtual milliseconds per frame: coarse, so the show plays in well under a minute.
constexpr double frame_step = 100.0;

double entered_at(int32_t part) {
    for (const Entry& e : entries)
        if (e.part == part) return e.time;
    return -1;
}
} // namespace

TEST(WholeShow, PlaysEveryPartInOrderOnTimeWithoutGlErrors) {
    if (!std::ifstream("dats/zad2.ogg")) GTEST_SKIP() << "dats/ has not been generated in this build directory";
    ensure_gl_context();
    virtual_now = 1000;
    set_virtual_clock_ms(virtual_now);
    entries.clear();
    part_entered_hook = note_entry;
    ASSERT_TRUE(demo_startup());
    ASSERT_EQ(current_part, 1);
    const double start = demo_start_time;
    while (glGetError() != GL_NO_ERROR) {
    }

    std::vector<std::string> unexpected;
    int frames = 0;
    double finale_until = -1;
    // Ten virtual minutes at most; the show needs far less.
    while (frames < 15000 && (finale_until < 0 || virtual_now < finale_until)) {
        drawn_this_frame = {current_part};
        demo_render_frame();
        demo_present_frame();
        for (GLenum e = glGetError(); e != GL_NO_ERROR; e = glGetError()) {
            // Part 3 gives a light a negative attenuation, which GL refuses.
            if (e == GL_INVALID_VALUE && drawn_this_frame.count(3)) continue;
            unexpected.push_back("GL error 0x" + std::to_string(e) + " at " +
                                 std::to_string(virtual_now - start) + " ms in part " +
                                 std::to_string(current_part));
        }
        if (current_part == 100 && finale_until < 0) finale_until = virtual_now + 4000;
        virtual_now += frame_step;
        set_virtual_clock_ms(virtual_now);
        ++frames;
    }
    part_entered_hook = nullptr;

    std::vector<int32_t> order = {1};
    for (const Entry& e : entries) order.push_back(e.part);
    EXPECT_EQ(order, (std::vector<int32_t>{1, 2, 10, 3, 4, 5, 7, 9, 100}));
    EXPECT_TRUE(unexpected.empty()) << unexpected.size() << " errors, first: "
                                    << (unexpected.empty() ? "" : unexpected.front());
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
