// The performance counter behind the show's clock, replaceable by a virtual
// counter for deterministic runs.
#include <SDL.h>

#include <atomic>

#include "platform/platform.h"

namespace {
std::atomic<uint64_t (*)()> virtual_counter{nullptr};
std::atomic<uint64_t> virtual_frequency{0};
} // namespace

uint64_t platform_counter() {
    if (auto counter = virtual_counter.load()) return counter();
    return SDL_GetPerformanceCounter();
}

uint64_t platform_counter_frequency() {
    if (virtual_counter.load()) return virtual_frequency.load();
    return SDL_GetPerformanceFrequency();
}

void platform_install_virtual_counter(uint64_t (*counter)(), uint64_t frequency) {
    virtual_frequency.store(frequency);
    virtual_counter.store(counter);
}
