// The capture tool end to end: the timeline of parts and captured frames are
// the same on every run, the timeline follows the show's order, and a
// picture's name picks its format.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support.h"
#include "tools/capture/capture_run.h"
#include "tools/capture/png_file.h"

namespace {
std::string run(const std::string& arguments) {
    std::string command = "cd " VAVURAVA_BUILD_DIR " && ./vavurava-capture " + arguments + " 2>/dev/null";
    int status = 0;
    std::string out = command_output(command, &status);
    EXPECT_EQ(status, 0) << command;
    return out;
}

struct Entry {
    int part;
    double time;
};

std::vector<Entry> parse_timeline(const std::string& text) {
    std::vector<Entry> entries;
    std::istringstream in(text);
    std::string word;
    Entry e;
    while (in >> word >> e.part >> e.time) entries.push_back(e);
    return entries;
}
} // namespace

TEST(CaptureTool, TimelineFollowsTheShowOrderAndRepeatsExactly) {
    const std::string first = run("--timeline --fps 30");
    EXPECT_EQ(first, run("--timeline --fps 30"));
    const auto entries = parse_timeline(first);
    const int order[] = {1, 2, 10, 3, 4, 5, 7, 9, 100};
    ASSERT_EQ(entries.size(), 9u) << first;
    for (size_t k = 0; k < entries.size(); ++k) EXPECT_EQ(entries[k].part, order[k]) << first;
    EXPECT_EQ(entries[0].time, 0);
    // Part 1 hands over on the first frame past 7000 ms; at 30 fps that is 7033.
    EXPECT_EQ(entries[1].time, 7033);
    // Fixed-length parts: part 10 3000 ms, part 3 20000 ms, part 5 14000 ms,
    // part 9 15000 ms, each ending on the first frame past its length. The
    // times are printed in whole ms, and a length of whole frames that is
    // exactly the part's (420 frames at 30 fps for part 5) may compare past it
    // by a rounding error: a frame early would be 33 ms short.
    auto length = [&](size_t k) { return entries[k + 1].time - entries[k].time; };
    for (const auto& [k, ms] : {std::pair<size_t, double>{2, 3000}, {3, 20000}, {5, 14000}, {7, 15000}}) {
        EXPECT_GE(length(k), ms - 1) << "part " << entries[k].part;
        EXPECT_LE(length(k), ms + 34) << "part " << entries[k].part;
    }
    // The clips of parts 2, 4 and 7 last 16 s each.
    for (size_t k : {1u, 4u, 6u}) {
        EXPECT_GT(length(k), 15000) << "part " << entries[k].part;
        EXPECT_LT(length(k), 17000) << "part " << entries[k].part;
    }
    // The end of the show the capture tool checks spans against before
    // rendering: each of the eight hand-overs comes at most a frame late.
    EXPECT_GE(entries[8].time, finale_entry_ms);
    EXPECT_LE(entries[8].time, finale_entry_ms + 8 * 1000.0 / 30 + 1);
}

// A frame asked for as .jpg is a JPEG of the frame (a PNG's bytes under
// that name would not decode as JPEG), close to the reference picture.
TEST(CaptureTool, AFrameNamedJpgIsAJpegOfThatFrame) {
    if (std::system("command -v ffmpeg >/dev/null") != 0) GTEST_SKIP() << "ffmpeg is not installed";
    const std::string path = scratch_path("frame.jpg");
    run("--frame 1500 -o " + path);
    const std::string decoded =
        command_output("ffmpeg -v error -f jpeg_pipe -i " + path + " -f rawvideo -pix_fmt rgb24 -");
    int width = 0, height = 0;
    std::vector<uint8_t> reference;
    ASSERT_TRUE(read_png(VAVURAVA_SOURCE_DIR "/tests/golden/frame_1500.png", &width, &height, &reference));
    ASSERT_EQ(decoded.size(), reference.size());
    EXPECT_GT(psnr(reference, std::vector<uint8_t>(decoded.begin(), decoded.end())), 35.0);
}

TEST(CaptureTool, TheSameFrameIsByteIdenticalOnEveryRun) {
    for (const char* at : {"1500", "5000"}) {
        const std::string a = scratch_path(std::string("a") + at + ".png");
        const std::string b = scratch_path(std::string("b") + at + ".png");
        run(std::string("--frame ") + at + " -o " + a);
        run(std::string("--frame ") + at + " -o " + b);
        const auto bytes = read_file(a);
        EXPECT_GT(bytes.size(), 1000u);
        EXPECT_EQ(bytes, read_file(b)) << "frame at " << at << " ms";
    }
}
