// FFmpeg's stand-in for xvidcore (the browser's decoder) against xvidcore on
// the show's own four clips, through the show's decoding step: the same
// pictures at the same times, closely.
#include <gtest/gtest.h>
#include <xvid.h>

#include <cstring>
#include <string>
#include <vector>

#include "runtime/demo.h"
#include "tests/support.h"
#include "video/clip.h"
#include "video/clip_decoder.h"

namespace {
const Mpeg4Decoder xvidcore = {xvid_decore, xvid_global};
const Mpeg4Decoder ffmpeg = {ffmpeg_mpeg4_decore, ffmpeg_mpeg4_global};

struct Decoded {
    std::vector<std::vector<uint8_t>> pictures;
    std::vector<int32_t> frames;  // decoded so far, at each time
};

// The decoding step's buffer at each time, with the given decoder.
Decoded decode_clip(const std::string& path, const Mpeg4Decoder& decoder, const std::vector<double>& times) {
    const Mpeg4Decoder saved = mpeg4_decoder;
    mpeg4_decoder = decoder;
    VideoClip clip;
    std::memset(&clip, 0, sizeof clip);
    load_video_clip(path.c_str(), &clip);
    Decoded decoded{{}, {}};
    clip_start_time = 0;
    for (double ms : times) {
        set_virtual_clock_ms(ms);
        decode_clip_frame(&clip, video_texture_id);
        decoded.pictures.emplace_back(video_frame_buffer, video_frame_buffer + 1024 * 512 * 3);
        decoded.frames.push_back(clip.frame_count);
    }
    release_video_clip(&clip);
    mpeg4_decoder = saved;
    return decoded;
}
} // namespace

TEST(Mpeg4Decoders, FfmpegShowsTheShowsClipsAsXvidcoreDoes) {
    ensure_gl_context();
    const int32_t saved_part = current_part;
    // Part 9 plays its clip over and over and keeps the converter's order.
    current_part = 9;
    for (const char* name : {"scene03", "scene05", "scene07", "scene09"}) {
        const std::string path = std::string(VAVURAVA_BUILD_DIR) + "/dats/" + name + ".ogm";
        std::vector<double> times;
        // To past the end, where part 9 plays the clip again from its start.
        for (double ms = 20; ms < 17500; ms += 733) times.push_back(ms);
        const Decoded want = decode_clip(path, xvidcore, times);
        const Decoded got = decode_clip(path, ffmpeg, times);
        EXPECT_EQ(got.frames, want.frames) << name;
        ASSERT_GT(want.frames[10], 100) << name;
        for (size_t i = 0; i < times.size(); ++i) {
            EXPECT_NE(want.pictures[i], std::vector<uint8_t>(want.pictures[i].size(), 0)) << name;
            EXPECT_GE(psnr(want.pictures[i], got.pictures[i]), 40.0) << name << " at " << times[i] << " ms";
        }
    }
    current_part = saved_part;
}
