// The picture at any render size is the same picture, finer: frames rendered
// at 1600 x 1200 and averaged down to 800 x 600 match the 800 x 600 frames of
// the same show times, in every part.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support.h"
#include "tools/capture/png_file.h"

namespace {
// One time in each of the nine parts, in show order.
const char* const times[] = {"1500", "12000", "20000", "24500", "42000", "68000", "84000", "98000", "125000"};

std::string capture(const std::string& size, const std::string& list) {
    const std::string folder = scratch_path("size_" + size);
    const std::string command = "mkdir -p " + folder + " && cd " VAVURAVA_BUILD_DIR
                                " && ./vavurava-capture --fps 5 --size " + size + " --frames " + list + " -o " + folder +
                                " 2>/dev/null";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return folder;
}

std::vector<uint8_t> halve(const std::vector<uint8_t>& rgb, int width, int height) {
    std::vector<uint8_t> half(static_cast<size_t>(width / 2) * (height / 2) * 3);
    const size_t row = static_cast<size_t>(width) * 3;
    for (int y = 0; y < height / 2; ++y)
        for (int x = 0; x < width / 2; ++x)
            for (int c = 0; c < 3; ++c) {
                const uint8_t* p = &rgb[2 * y * row + 6 * static_cast<size_t>(x) + c];
                half[(static_cast<size_t>(y) * (width / 2) + x) * 3 + c] =
                    static_cast<uint8_t>((p[0] + p[3] + p[row] + p[row + 3] + 2) / 4);
            }
    return half;
}
} // namespace

TEST(RenderSize, AFrameAtDoubleSizeScaledDownMatchesTheFrameAtTheShowsOwnSize) {
    std::string list;
    for (const char* t : times) list += (list.empty() ? "" : ",") + std::string(t);
    const std::string small = capture("800x600", list), large = capture("1600x1200", list);
    for (const char* t : times) {
        const std::string name = std::string("/frame_") + t + ".png";
        int w1 = 0, h1 = 0, w2 = 0, h2 = 0;
        std::vector<uint8_t> own, double_size;
        ASSERT_TRUE(read_png(small + name, &w1, &h1, &own)) << name;
        ASSERT_TRUE(read_png(large + name, &w2, &h2, &double_size)) << name;
        ASSERT_EQ(w1, 800);
        ASSERT_EQ(h1, 600);
        ASSERT_EQ(w2, 1600);
        ASSERT_EQ(h2, 1200);
        const auto scaled = halve(double_size, w2, h2);
        // Texture detail finer than an 800 x 600 pixel aliases in the small
        // frame (the film bands' dot rows), which costs RGB a few dB more than luma.
        EXPECT_GE(luma_psnr(scaled, own), 30.0) << "frame at " << t << " ms";
        EXPECT_GE(psnr(scaled, own), 28.0) << "frame at " << t << " ms";
    }
}
