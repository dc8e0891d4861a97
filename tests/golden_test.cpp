// Golden frames: the show captured at fixed times across all nine parts must
// match the committed reference pictures (PSNR of at least 40 dB).
// Regenerate after an intended change with tools/regen_golden.sh.
#include <dirent.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

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
} // namespace

TEST(GoldenFrames, EveryPartMatchesItsReferencePictures) {
    const auto times = golden_times();
    ASSERT_GE(times.size(), 10u) << "no golden frames in tests/golden";
    std::string list;
    for (long t : times) list += (list.empty() ? "" : ",") + std::to_string(t);
    const std::string folder = scratch_path("golden");
    ASSERT_EQ(std::system(("mkdir -p " + folder).c_str()), 0);
    const std::string command =
        "cd " VAVURAVA_BUILD_DIR " && ./vavurava-capture --frames " + list + " -o " + folder + " 2>/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    for (long t : times) {
        const std::string name = "/frame_" + std::to_string(t) + ".png";
        int w1, h1, w2, h2;
        std::vector<uint8_t> want, got;
        ASSERT_TRUE(read_png(VAVURAVA_SOURCE_DIR "/tests/golden" + name, &w1, &h1, &want));
        ASSERT_TRUE(read_png(folder + name, &w2, &h2, &got)) << name;
        ASSERT_EQ(w1, w2);
        ASSERT_EQ(h1, h2);
        EXPECT_GE(psnr(want, got), 40.0) << "frame at " << t << " ms";
    }
}
