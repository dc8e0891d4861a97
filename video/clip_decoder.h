// Limits and hooks of the clip decoder shared by the loader, the decoding
// step, the tests and the benchmark.
#pragma once
#include <cstdint>

constexpr int32_t video_max_width = 1024;
constexpr int32_t video_max_height = 512;
// Zeroed bytes after a clip's data, more than the decoder's read window.
constexpr uint32_t video_spare_bytes = 100000;
constexpr int32_t video_window_bytes = 20000;

// xvidcore's global initialisation, done once for the whole process.
void init_video_decoding();

// The decode call of the decoding step; xvid_decore unless a test puts a
// failing decoder in its place.
extern int (*video_decore)(void* handle, int operation, void* frame, void* stats);

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
