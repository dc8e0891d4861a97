// The small platform contract the show runs on: window and GL context, swap,
// message pump, display mode, cursor, performance counter, threads and
// auto-reset events. One SDL implementation; the counter can be replaced by a
// virtual one (the capture tool and the tests do). Nothing above this layer
// calls SDL.
#pragma once
#include <condition_variable>
#include <cstdint>
#include <mutex>

// Window and OpenGL context: borderless, at (0, 0), double-buffered, 24-bit
// colour, no alpha, 16-bit depth, compatibility profile. Returns false when
// either cannot be made; platform_error() then says why.
bool platform_create_window(const char* title, int width, int height);
const char* platform_error();
void platform_swap_buffers();

// What the pump hands to window_proc.
enum class WindowMessage { key_down, system_key_down, close, other };
// Drains the message queue, calling window_proc for each message.
void platform_pump_messages();
void window_proc(WindowMessage message);
// Queues a key press as the keyboard would, for tests and tools.
void platform_post_key_down(bool alt_held);

// Desktop size and the screen-mode switch (32 bits per pixel). Results are
// ignored by the show, as a mode that cannot be set leaves the desktop as it is.
void platform_desktop_size(int* width, int* height);
void platform_set_display_mode(int width, int height);
void platform_show_cursor(bool shown);

// Performance counter, counted from the process start so that readings stay
// small however long the machine has been up. A virtual counter, once
// installed, replaces it for every later reading and is returned as it reads
// (nullptr uninstalls it).
uint64_t platform_counter();
uint64_t platform_counter_frequency();
void platform_install_virtual_counter(uint64_t (*counter)(), uint64_t frequency);
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
