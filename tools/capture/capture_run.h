// The capture tool's run of the real show under a virtual clock that moves
// exactly one frame step per frame.
#pragma once
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

struct CaptureRun {
    int fps = 60;
    int width = 800, height = 600; // the output picture
    int ssaa = 1;                  // the show renders at ssaa times each side
    // Index of the frame being rendered. The clock is read from the sound
    // card's thread too (the first time it takes sound), hence atomic.
    std::atomic<uint64_t> frame{0};
};

extern CaptureRun capture_run;

// Installs the virtual counter and runs start-up headless, drawing at
// (width * ssaa) x (height * ssaa). False when the show could not start
// (already reported).
bool capture_start(int fps, int width = 800, int height = 600, int ssaa = 1);
double capture_show_time_ms();
// Renders the current frame (not yet presented).
void capture_render();
// Presents it and moves the clock on by one frame.
void capture_advance();
// The rendered frame as OpenGL reads it: RGB rows at the render size,
// bottom row first (a picture_from_render.h converter makes the picture).
std::vector<uint8_t> capture_read_back();
// The rendered frame as the output picture: width x height RGB rows, top row
// first, filtered down from the render size when supersampled.
std::vector<uint8_t> capture_grab();

// Time after the finale's entry at which its greetings have all left the
// screen: the end of the show for a recording.
constexpr double greetings_run_ms = 92000.0;
// The show time of the finale's entry, were every hand-over to fall exactly on
// its time; each of the eight comes on the first frame past its time, so at a
// coarse frame step the finale starts a few frames later.
constexpr double finale_entry_ms = 107000.0;
// The end of the show known before rendering: the greetings end no earlier.
constexpr double show_end_ms = finale_entry_ms + greetings_run_ms;
