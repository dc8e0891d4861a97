// Recording to a video: ffprobe reads one video and one audio stream of the
// requested length, and the same recording twice gives the same bytes.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tests/support.h"

namespace {
bool record(const std::string& path) {
    const std::string command =
        "cd " VAVURAVA_BUILD_DIR " && ./vavurava-capture -o " + path + " --from 6000 --to 8000 2>/dev/null";
    return std::system(command.c_str()) == 0;
}
} // namespace

TEST(Recording, FfprobeReadsOneVideoAndOneAudioStreamOfTheRequestedLength) {
    if (std::system("command -v ffprobe >/dev/null") != 0) GTEST_SKIP() << "ffprobe is not installed";
    const std::string path = scratch_path("clip.ogm");
    ASSERT_TRUE(record(path));
    const std::string streams = command_output("ffprobe -v error -show_entries stream=codec_type,duration -of csv=p=0 " + path);
    double video = -1, audio = -1;
    char type[16];
    double duration;
    for (const char* line = streams.c_str(); std::sscanf(line, "%15[a-z],%lf", type, &duration) == 2;) {
        (std::string(type) == "video" ? video : audio) = duration;
        line = std::strchr(line, '\n');
        if (!line) break;
        ++line;
    }
    EXPECT_NEAR(video, 2.0, 0.05) << streams;
    EXPECT_NEAR(audio, 2.0, 0.05) << streams;
    EXPECT_EQ(std::system(("ffmpeg -v error -i " + path + " -f null - 2>&1 | grep -q . && exit 1 || exit 0").c_str()), 0);
}

TEST(Recording, TheSameRecordingTwiceIsByteIdentical) {
    const std::string a = scratch_path("a.ogm"), b = scratch_path("b.ogm");
    ASSERT_TRUE(record(a));
    ASSERT_TRUE(record(b));
    const auto bytes = read_file(a);
    EXPECT_GT(bytes.size(), 10000u);
    EXPECT_EQ(bytes, read_file(b));
}
