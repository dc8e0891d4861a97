// The performance counter behind the show's clock, counted from process start
// and replaceable by a virtual counter for deterministic runs.
#include <SDL.h>

#include <atomic>

#include "platform/platform.h"

namespace {
std::atomic<uint64_t (*)()> virtual_counter{nullptr};
std::atomic<uint64_t> virtual_frequency{0};

uint64_t sdl_counter() { return SDL_GetPerformanceCounter(); }

// SDL's counter runs from boot. Readings from it are taken relative to the
// process start, so the clock stays small on a machine that has been up for
// weeks: scenes keep clock readings in floats, and a float of a month's
// milliseconds moves in steps of a quarter second.
uint64_t sdl_origin() {
    static const uint64_t origin = sdl_counter();
    return origin;
}
// Pins the origin at start-up rather than at the first reading.
[[maybe_unused]] const uint64_t pinned_origin = sdl_origin();

std::atomic<uint64_t (*)()> raw_counter{nullptr};
std::atomic<uint64_t> raw_frequency{0};
std::atomic<uint64_t> raw_origin{0};
} // namespace

uint64_t platform_counter() {
    if (auto counter = virtual_counter.load()) return counter();
    if (auto raw = raw_counter.load()) return raw() - raw_origin.load();
    return sdl_counter() - sdl_origin();
}

uint64_t platform_counter_frequency() {
    if (virtual_counter.load()) return virtual_frequency.load();
    if (raw_counter.load()) return raw_frequency.load();
    return SDL_GetPerformanceFrequency();
}

void platform_install_virtual_counter(uint64_t (*counter)(), uint64_t frequency) {
    virtual_frequency.store(frequency);
    virtual_counter.store(counter);
}

bool platform_counter_is_virtual() { return virtual_counter.load() != nullptr; }

void platform_install_raw_counter(uint64_t (*counter)(), uint64_t frequency) {
    if (counter) {
        raw_frequency.store(frequency);
        raw_origin.store(counter());
    }
    raw_counter.store(counter);
}
