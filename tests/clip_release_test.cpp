// Clips freed once their part is over: the clip is left empty, decoding it
// afterwards reads nothing, and the part that follows a clip frees it.
#include <gtest/gtest.h>

#include <vector>

#include "runtime/demo.h"
#include "scenes/parts.h"
#include "tests/support.h"
#include "tests/video_test_clips.h"
#include "video/clip.h"
#include "video/clip_decoder.h"


namespace {
void load_small_clip(VideoClip* clip) {
    video_test_clips::load_clip_bytes(video_test_clips::make_clip_file(64, 32, 6, Rgb{220, 30, 40}, Rgb{20, 40, 210}),
                                      clip);
}
} // namespace

TEST(ReleasedClip, IsEmptyAndDecodingItInPartNineReadsNothing) {
    ensure_gl_context();
    VideoClip clip;
    load_small_clip(&clip);
    ASSERT_NE(clip.decoder, nullptr);
    ASSERT_GT(clip.data_len, 0u);
    release_video_clip(&clip);
    EXPECT_EQ(clip.decoder, nullptr);
    EXPECT_EQ(clip.data, nullptr);
    EXPECT_EQ(clip.planes[0], nullptr);
    EXPECT_EQ(clip.data_len, 0u);
    // Part 9 rewinds a clip at its end; an empty one has nothing to decode.
    const int64_t decodes = video_counters.decodes;
    current_part = 9;
    clip_start_time = 0;
    set_virtual_clock_ms(1000);
    EXPECT_EQ(decode_clip_frame(&clip, video_texture_id), 0);
    EXPECT_EQ(video_counters.decodes, decodes);
    release_video_clip(&clip); // a second time frees nothing twice
}

TEST(ReleasedClip, EnteringPartNineFreesPartSevensClip) {
    ensure_gl_context();
    load_small_clip(&video_clips[2]);
    ASSERT_NE(video_clips[2].decoder, nullptr);
    set_virtual_clock_ms(5000);
    enter_part_9();
    EXPECT_EQ(video_clips[2].decoder, nullptr);
    EXPECT_EQ(video_clips[2].data, nullptr);
}
