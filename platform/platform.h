// The small platform contract the show runs on: window and GL context, swap,
// message pump, cursor, performance counter, threads and
// auto-reset events. One SDL implementation; the counter can be replaced by a
// virtual one (the capture tool and the tests do). Nothing above this layer
// calls SDL.
#pragma once
#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "gl/gl_table.h"

// How the show is put on the screen. The screen's mode is never changed.
struct DisplayRequest {
    // Fullscreen on the desktop's own mode, or a resizable window of the
    // window size.
    bool fullscreen = true;
    int window_width = 800, window_height = 600;
    // The size the scenes draw at; 0 picks the window's own pixels (HiDPI
    // included) in its 4:3 rectangle, or 800 x 600 on a software renderer.
    int render_width = 0, render_height = 0;
    // A desktop compatibility context, whose driver draws the GL 1.x calls,
    // or an OpenGL ES 3.0 one, where our renderer (gl/) draws them.
    GlChoice gl = GlChoice::compatibility;
    // Which display (0 the first) the window goes on.
    int display = 0;
};

// Window and double-buffered OpenGL context of the requested kind, current on
// the calling thread, with gl_api filled for it, drawing into a framebuffer of the render size (24-bit
// colour, no alpha, 16-bit depth) that each swap shows scaled into the
// largest centred 4:3 rectangle of the window, black around it. Returns false
// when any of them cannot be made; platform_error() then says why.
bool platform_create_window(const char* title, const DisplayRequest& request);
// A width x height window drawing at that same size.
bool platform_create_window(const char* title, int width, int height);
const char* platform_error();
// Closes the window and its context, so that another can be made.
void platform_close_window();
// How many displays the show could go on; 0 when no display can be opened.
int platform_display_count();
void platform_render_size(int* width, int* height);
void platform_swap_buffers();

// What the pump hands to window_proc.
enum class WindowMessage { key_down, system_key_down, close, other };
// Drains the message queue, calling window_proc for each message.
void platform_pump_messages();
void window_proc(WindowMessage message);
// Queues a key press as the keyboard would, for tests and tools.
void platform_post_key_down(bool alt_held);

// Closes the window, its context and the sound (the browser's show does, to
// hand the canvas and the keyboard back to its page).
void platform_quit();

// Hides or shows the pointer over the window.
void platform_show_cursor(bool shown);

// Performance counter, counted from the process start so that readings stay
// small however long the machine has been up. A virtual counter, once
// installed, replaces it for every later reading and is returned as it reads
// (nullptr uninstalls it).
uint64_t platform_counter();
uint64_t platform_counter_frequency();
void platform_install_virtual_counter(uint64_t (*counter)(), uint64_t frequency);
// True while a virtual counter drives the clock: time then moves only as its
// owner says, and a sound card's real-time buffering means nothing to it.
bool platform_counter_is_virtual();
// Replaces the raw source beneath the process-start origin, as if the process
// started now with the counter reading what `counter` returns; nullptr goes
// back to the system's counter and its own origin.
void platform_install_raw_counter(uint64_t (*counter)(), uint64_t frequency);

// Starts a detached thread running routine(argument).
void platform_start_thread(void (*routine)(void*), void* argument);
// False in the browser: there the show runs on one thread (threads would need
// a cross-origin isolated page), and work a thread would do is done in slices
// between frames.
bool platform_has_threads();

// Calls frame() once per displayed frame until it returns false, then
// finished(). Natively a loop that returns when it is done; in the
// browser a frame callback, and this returns at once.
void platform_run_frames(bool (*frame)(), void (*finished)());
// Tells the page around the show (the browser's) that something happened:
// "ended", "failed" with the message, "ready" in the frame mode. Natively nothing.
void platform_tell_page(const char* event, const char* detail);
// How long the sound system holds sound after the wave-out device's own
// buffer before it is heard, in ms (the browser's output latency); 0 natively.
double platform_output_latency_ms();

// Auto-reset event: set wakes one wait, which clears it again.
struct AutoEvent {
    std::mutex mutex;
    std::condition_variable condition;
    bool signalled = false;
};
void event_set(AutoEvent* event);
void event_reset(AutoEvent* event);
// Waits until the event is set and clears it. timeout_ms < 0 waits forever.
// Returns false on timeout.
bool event_wait(AutoEvent* event, int timeout_ms);
