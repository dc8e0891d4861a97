// Small clips made in memory for the video tests: an OGM file of `count`
// two-tone frames, and loading such bytes the way the show loads a clip.
#pragma once
#include <cstdint>
#include <vector>

#include "tests/support.h"
#include "video/clip.h"

namespace video_test_clips {
using Bytes = std::vector<uint8_t>;
Bytes make_clip_file(int width, int height, int count, Rgb top, Rgb bottom, int64_t time_unit = 400000);
void load_clip_bytes(const Bytes& file, VideoClip* clip);
} // namespace video_test_clips
