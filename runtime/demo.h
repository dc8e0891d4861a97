// Process-wide state of the show: the clocks, the part number, the window
// size and the work buffers. Everything here is owned by the main thread and
// lives for the whole run.
#pragma once
#include <cstdint>

extern int32_t current_part;
extern double demo_start_time;
extern double frame_time;
extern double part_start_time;
extern double phase_start_time;
extern double clip_start_time;

extern int32_t window_width;
extern int32_t window_height;
extern int32_t quit_flag;
extern const float fog_colour[4];

// White cover level of the room part; start-up resets it before the first frame.
extern float cover_level;

// Work buffers allocated once by start-up, in this order.
constexpr int32_t work_buffer_bytes = 4194304;
constexpr int32_t ripple_buffer_bytes = 1200000;
extern uint8_t* image_pixels;
extern uint8_t* rgba_pixels;
extern uint8_t* logo_pixels;
extern uint8_t* presents_pixels;
extern uint8_t* video_frame_buffer;
extern float* ripple_positions;
extern float* ripple_texcoords;
extern float* ripple_normals;

// Called (when set) each time the dispatch sees that a draw function entered
// another part; the capture tool uses it to print the timeline.
extern void (*part_entered_hook)(int32_t part);
