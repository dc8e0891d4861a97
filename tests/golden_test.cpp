// Golden frames: the show captured at fixed times across all nine parts must
// match the committed reference pictures (PSNR of at least 40 dB), drawn by
// the desktop driver and through the ES 3.0 renderer alike. The references
// are the desktop driver's pictures (tools/regen_golden.sh captures them with
// --gl=compat), so the ES 3.0 case holds the renderer to the driver in every
// part.
// Regenerate after an intended change with tools/regen_golden.sh.
#include <dirent.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
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

// Captures the frames at `times` through `gl` into a fresh folder.
std::string capture(GlChoice gl, const std::vector<long>& times) {
    std::string list;
    for (long t : times) list += (list.empty() ? "" : ",") + std::to_string(t);
    const std::string name = gl_choice_name(gl);
    const std::string folder = scratch_path("frames-" + name);
    const std::string command = "mkdir -p " + folder + " && cd " VAVURAVA_BUILD_DIR " && ./vavurava-capture --gl=" +
                                name + " --frames " + list + " -o " + folder + " 2>/dev/null";
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
    const std::string folder = capture(GetParam(), times);
    for (long t : times) {
        int w1, h1, w2, h2;
        std::vector<uint8_t> want, got;
        ASSERT_TRUE(read_frame(VAVURAVA_SOURCE_DIR "/tests/golden", t, &w1, &h1, &want)) << t;
        ASSERT_TRUE(read_frame(folder, t, &w2, &h2, &got)) << t;
        ASSERT_EQ(w1, w2);
        ASSERT_EQ(h1, h2);
        const double db = psnr(want, got);
        EXPECT_GE(db, 40.0) << "frame at " << t << " ms";
        std::printf("%s at %ld ms: %.1f dB\n", gl_choice_name(GetParam()), t, db);
    }
}

INSTANTIATE_TEST_SUITE_P(Gl, GoldenFrames, testing::Values(GlChoice::compatibility, GlChoice::es3),
                         [](const testing::TestParamInfo<GlChoice>& info) { return gl_choice_name(info.param); });
