// The loaders' reports for damaged files, on the show's own data: a file is
// named once however often it is asked for, and damage the libraries work
// around (skipped Ogg pages, a JPEG scan that is garbage or cut short) is
// reported rather than passed over in silence.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>

#include "audio/music_state.h"
#include "runtime/images.h"
#include "tests/fault_support.h"
#include "tests/support.h"
#include "video/clip.h"

namespace {
bool have(const std::string& path) { return static_cast<bool>(std::ifstream(path)); }

struct Memory {
    const std::vector<uint8_t>* bytes;
    size_t at;
};
size_t read_memory(void* source, uint8_t* into, size_t count, bool*) {
    auto* m = static_cast<Memory*>(source);
    const size_t n = std::min(count, m->bytes->size() - m->at);
    if (n) std::memcpy(into, m->bytes->data() + m->at, n);
    m->at += n;
    return n;
}
} // namespace

TEST(FaultLoaders, AMissingImageAskedForTwiceIsNamedOnce) {
    ensure_gl_context();
    const std::string stem = scratch_path("twice-absent");
    testing::internal::CaptureStderr();
    EXPECT_EQ(load_image((stem + ".bmp").c_str(), -1), 0);
    EXPECT_EQ(load_image((stem + ".bmp").c_str(), -1), 0);
    EXPECT_EQ(lines_containing(testing::internal::GetCapturedStderr(), stem), 1);
}

TEST(FaultLoaders, JpegWithGarbageOrCutScanIsNamedOnce) {
    if (!have("dats/greets.jpg")) GTEST_SKIP() << "dats/ has not been generated in this build directory";
    ensure_gl_context();
    const std::vector<uint8_t> good = read_whole_file("dats/greets.jpg");
    for (Damage damage : {Damage::corrupt_body, Damage::truncated_tail}) {
        const std::string path = scratch_path(std::string("greets-") + (damage == Damage::corrupt_body ? "g" : "t") + ".jpg");
        write_file(path, damaged_bytes(good, damage, true));
        // A scan cut short decodes with the rest grey; garbage may also
        // stop the decoder outright. Either way the file is named once.
        const int32_t expected = damage == Damage::truncated_tail ? 1 : load_image(path.c_str(), -1);
        testing::internal::CaptureStderr();
        if (damage == Damage::corrupt_body) {
            // The call above already reported it.
            EXPECT_EQ(load_image(path.c_str(), -1), expected);
            EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
            continue;
        }
        EXPECT_EQ(load_image(path.c_str(), -1), expected) << damage_name(damage);
        EXPECT_EQ(load_image(path.c_str(), -1), expected) << damage_name(damage);
        EXPECT_EQ(lines_containing(testing::internal::GetCapturedStderr(), path), 1) << damage_name(damage);
    }
}

TEST(FaultLoaders, ClipWithADamagedPageIsReportedAndKeepsTheRest) {
    if (!have("dats/scene07.ogm")) GTEST_SKIP() << "dats/ has not been generated in this build directory";
    const std::vector<uint8_t> good = read_whole_file("dats/scene07.ogm");
    VideoClip whole{}, damaged{};
    testing::internal::CaptureStderr();
    load_video_clip_from_memory(good.data(), good.size(), "whole", &whole);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    const std::vector<uint8_t> bad = damaged_bytes(good, Damage::corrupt_body, false);
    testing::internal::CaptureStderr();
    load_video_clip_from_memory(bad.data(), bad.size(), "damaged.ogm", &damaged);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(lines_containing(err, "damaged.ogm: 1 damaged stretch of data skipped"), 1) << err;
    EXPECT_GT(damaged.data_len, 0u);
    EXPECT_LT(damaged.data_len, whole.data_len);
}

TEST(FaultLoaders, MusicWithADamagedPageIsReportedAndStillRead) {
    if (!have("dats/zad2.ogg")) GTEST_SKIP() << "dats/ has not been generated in this build directory";
    const std::vector<uint8_t> bad = damaged_bytes(read_whole_file("dats/zad2.ogg"), Damage::corrupt_body, false);
    Memory source{&bad, 0};
    testing::internal::CaptureStderr();
    EXPECT_TRUE(read_music_stream(read_memory, &source, "damaged.ogg"));
    EXPECT_TRUE(read_music_headers("damaged.ogg"));
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(lines_containing(err, "damaged.ogg: 1 damaged stretch of data skipped"), 1) << err;
    EXPECT_GT(music_pages_read, 0);
}
