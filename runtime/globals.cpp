// Storage for the show's process-wide state.
#include "runtime/demo.h"

int32_t current_part;
double demo_start_time;
double frame_time;
double part_start_time;
double phase_start_time;
double clip_start_time;

int32_t window_width = 800;
int32_t window_height = 600;
int32_t quit_flag;
const float fog_colour[4] = {0.0f, 0.0f, 0.0f, 1.0f};

float cover_level;

uint8_t* image_pixels;
uint8_t* rgba_pixels;
uint8_t* logo_pixels;
uint8_t* presents_pixels;
uint8_t* video_frame_buffer;
float* ripple_positions;
float* ripple_texcoords;
float* ripple_normals;

void (*part_entered_hook)(int32_t part);
