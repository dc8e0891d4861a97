// Start-up, the main loop and exit of the show.
#pragma once
#include "platform/platform.h"

// How long start-up waits for the music before it starts silently (wall
// time; 10 s unless a tool that is in no hurry sets it).
extern double music_wait_limit_ms;

// Runs start-up to the point just before the main loop. Returns false when
// the window or the GL context could not be made (already reported).
bool demo_startup(const DisplayRequest& display = DisplayRequest());
// One frame: sample frame_time, clear, dispatch. Does not swap.
void demo_render_frame();
// Swap buffers and pump the message queue.
void demo_present_frame();
void demo_shutdown();
// The whole show as the executable runs it; returns the exit status.
int demo_main(const DisplayRequest& display);
