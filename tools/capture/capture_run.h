// The capture tool's run of the real show under a virtual clock that moves
// exactly one frame step per frame.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct CaptureRun {
    int fps = 60;
    int width = 800, height = 600; // the render size
    uint64_t frame = 0; // index of the frame being rendered
};

extern CaptureRun capture_run;

// Installs the virtual counter and runs start-up headless, drawing at
// width x height. False when the show could not start (already reported).
bool capture_start(int fps, int width = 800, int height = 600);
double capture_show_time_ms();
// Renders the current frame (not yet presented).
void capture_render();
// Presents it and moves the clock on by one frame.
void capture_advance();
// The rendered frame as width x height RGB rows, top row first.
std::vector<uint8_t> capture_grab();

// Show time at which the finale's greetings have all left the screen.
constexpr double greetings_run_ms = 92000.0;
