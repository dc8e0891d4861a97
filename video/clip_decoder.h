// Limits and hooks of the clip decoder shared by the loader, the decoding
// step, the tests and the benchmark.
#pragma once
#include <cstdint>

constexpr int32_t video_max_width = 1024;
constexpr int32_t video_max_height = 512;
// Zeroed bytes after a clip's data, more than the decoder's read window.
constexpr uint32_t video_spare_bytes = 100000;
constexpr int32_t video_window_bytes = 20000;

// The MPEG-4 decoder, called the way xvidcore is called: xvidcore itself, or
// FFmpeg's mpeg4 decoder behind the same calls where xvidcore is not built
// (the browser). A test may put another decoder in its place.
using Mpeg4Call = int (*)(void* handle, int operation, void* param1, void* param2);
struct Mpeg4Decoder {
    Mpeg4Call decore;  // create, decode, destroy
    Mpeg4Call global;  // init, convert
};
extern Mpeg4Decoder mpeg4_decoder;
// FFmpeg's stand-in (video/mpeg4_ffmpeg.cpp), where libavcodec is linked.
int ffmpeg_mpeg4_decore(void* handle, int operation, void* param1, void* param2);
int ffmpeg_mpeg4_global(void* handle, int operation, void* param1, void* param2);

// The decoder's global initialisation, done once for the whole process.
void init_video_decoding();

// Whoever writes video_frame_buffer outside the decoding step calls this, so
// that the next step uploads the buffer again.
void mark_video_frame_buffer_changed();

// Work counted by the decoding step (decodes include the extra decode after
// stream headers; uploads count the texture images actually specified).
struct VideoCounters {
    int64_t decodes;
    int64_t conversions;
    int64_t uploads;
};
extern VideoCounters video_counters;

// Offset of the first MPEG-4 start code (00 00 01) at or after from and
// before end, or end when there is none.
uint32_t find_start_code(const uint8_t* data, uint32_t from, uint32_t end);
