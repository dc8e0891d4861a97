// The small platform contract the show runs on: window and GL context, swap,
// message pump, cursor, performance counter, threads and
// auto-reset events. One SDL implementation; the counter can be replaced by a
// virtual one (the capture tool and the tests do). Nothing above this layer
// calls SDL.
#pragma once
#include <condition_variable>
#include <cstdint>
#include <mutex>

// How the show is put on the screen. The screen's mode is never changed.
struct DisplayRequest {
    // Fullscreen on the desktop's own mode, or a resizable window of the
    // window size.
    bool fullscreen = true;
    int window_width = 800, window_height = 600;
    // The size the scenes draw at; 0 picks the window's own pixels (HiDPI
    // included) in its 4:3 rectangle, or 800 x 600 on a software renderer.
    int render_width = 0, render_height = 0;
    // Which display (0 the first) the window goes on.
    int display = 0;
};

// Window and double-buffered compatibility-profile OpenGL context, current on
// the calling thread, drawing into a framebuffer of the render size (24-bit
// colour, no alpha, 16-bit depth) that each swap shows scaled into the
// largest centred 4:3 rectangle of the window, black around it. Returns false
// when any of them cannot be made; platform_error() then says why.
bool platform_create_window(const char* title, const DisplayRequest& request);
// A width x height window drawing at that same size.
bool platform_create_window(const char* title, int width, int height);
const char* platform_error();
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
