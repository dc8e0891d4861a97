// Threads and auto-reset events on the C++ standard library.
#include <chrono>
#include <thread>

#include "platform/platform.h"

void platform_start_thread(void (*routine)(void*), void* argument) {
    std::thread(routine, argument).detach();
}

void event_set(AutoEvent* event) {
    {
        std::lock_guard<std::mutex> lock(event->mutex);
        event->signalled = true;
    }
    event->condition.notify_one();
}

void event_reset(AutoEvent* event) {
    std::lock_guard<std::mutex> lock(event->mutex);
    event->signalled = false;
}

bool event_wait(AutoEvent* event, int timeout_ms) {
    std::unique_lock<std::mutex> lock(event->mutex);
    if (timeout_ms < 0) {
        event->condition.wait(lock, [event] { return event->signalled; });
    } else if (!event->condition.wait_for(lock, std::chrono::milliseconds(timeout_ms),
                                          [event] { return event->signalled; })) {
        return false;
    }
    event->signalled = false;
    return true;
}
