// Golden frames: the show captured at fixed times across all nine parts must
// match the committed reference pictures (PSNR of at least 40 dB), drawn by
// the desktop driver and through the ES 3.0 renderer alike; and the ES 3.0
// renderer's picture of every part must match the driver's of the same run.
// Regenerate after an intended change with tools/regen_golden.sh.
#include <dirent.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "gl/gl_table.h"
#include "tests/support.h"
#include "tools/capture/png_file.h"

namespace {
std::vector<long> golden_times() {
    std::vector<long> times;
    if (DIR* dir = opendir(VAVURAVA_SOURCE_DIR "/tests/golden")) {
        while (dirent* entry = readdir(dir)) {
            long ms;
            if (std::sscanf(entry->d_name, "frame_%ld.png", &ms) == 1) times.push_back(ms);
        }
        closedir(dir);
    }
    std::sort(times.begin(), times.end());
    return times;
}

std::string joined(const std::vector<long>& times) {
    std::string list;
    for (long t : times) list += (list.empty() ? "" : ",") + std::to_string(t);
    return list;
}

// Captures the frames at `times` into a fresh folder; empty when it fails.
std::string capture(GlChoice gl, const std::vector<long>& times, const std::string& options) {
    const std::string name = gl_choice_name(gl);
    const std::string folder = scratch_path("frames-" + name);
    const std::string command = "mkdir -p " + folder + " && cd " VAVURAVA_BUILD_DIR " && ./vavurava-capture --gl=" +
                                name + " --frames " + joined(times) + options + " -o " + folder + " 2>/dev/null";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return folder;
}

bool read_frame(const std::string& folder, long t, int* width, int* height, std::vector<uint8_t>* rgb) {
    return read_png(folder + "/frame_" + std::to_string(t) + ".png", width, height, rgb);
}
} // namespace

class GoldenFrames : public testing::TestWithParam<GlChoice> {};

TEST_P(GoldenFrames, EveryPartMatchesItsReferencePictures) {
    const auto times = golden_times();
    ASSERT_GE(times.size(), 10u) << "no golden frames in tests/golden";
    const std::string folder = capture(GetParam(), times, "");
    for (long t : times) {
        int w1, h1, w2, h2;
        std::vector<uint8_t> want, got;
        ASSERT_TRUE(read_frame(VAVURAVA_SOURCE_DIR "/tests/golden", t, &w1, &h1, &want)) << t;
        ASSERT_TRUE(read_frame(folder, t, &w2, &h2, &got)) << t;
        ASSERT_EQ(w1, w2);
        ASSERT_EQ(h1, h2);
        EXPECT_GE(psnr(want, got), 40.0) << "frame at " << t << " ms";
    }
}

INSTANTIATE_TEST_SUITE_P(Gl, GoldenFrames, testing::Values(GlChoice::compatibility, GlChoice::es3),
                         [](const testing::TestParamInfo<GlChoice>& info) { return gl_choice_name(info.param); });

// One time in each part, in the order the show plays them (1, 2, 10, 3, 4,
// 5, 7, 9, 100); 20 frames a second keeps the two runs short.
TEST(Es3Renderer, EveryPartMatchesTheDriversPicture) {
    const std::vector<long> times = {5000, 12000, 24500, 36000, 52000, 70000, 84000, 100000, 120000};
    const std::string driver = capture(GlChoice::compatibility, times, " --fps 20");
    const std::string ours = capture(GlChoice::es3, times, " --fps 20");
    for (long t : times) {
        int w1, h1, w2, h2;
        std::vector<uint8_t> want, got;
        ASSERT_TRUE(read_frame(driver, t, &w1, &h1, &want)) << t;
        ASSERT_TRUE(read_frame(ours, t, &w2, &h2, &got)) << t;
        ASSERT_EQ(want.size(), got.size());
        const double db = psnr(want, got);
        EXPECT_GE(db, 40.0) << "frame at " << t << " ms";
        std::printf("es3 against the driver at %ld ms: %.1f dB\n", t, db);
    }
}
