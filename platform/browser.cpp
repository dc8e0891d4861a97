// The browser's side of the platform: one thread, frames from the browser's
// frame callback, events for the page around the canvas, and Web Audio's
// output latency.
#include <emscripten.h>

#include "platform/platform.h"

namespace {
bool (*frame_function)();
void (*finished_function)();

void run_frame() {
    if (frame_function()) return;
    emscripten_cancel_main_loop();
    finished_function();
}

// clang-format off
EM_JS(void, tell_page, (const char* event, const char* detail), {
    if (Module["onShowEvent"]) Module["onShowEvent"](UTF8ToString(event), UTF8ToString(detail));
});

// The audio context SDL opened: what it adds after the device's buffer
// before the sound reaches the speakers.
EM_JS(double, output_latency_seconds, (), {
    var context = (typeof SDL2 !== "undefined") && SDL2.audioContext;
    if (!context) return 0;
    return (context.outputLatency || 0) + (context.baseLatency || 0);
});
// clang-format on
} // namespace

bool platform_has_threads() { return false; }

void platform_run_frames(bool (*frame)(), void (*finished)()) {
    frame_function = frame;
    finished_function = finished;
    // At the display's own rate; the runtime stays alive after main returns.
    emscripten_set_main_loop(run_frame, 0, 0);
}

void platform_tell_page(const char* event, const char* detail) { tell_page(event, detail ? detail : ""); }

double platform_output_latency_ms() { return output_latency_seconds() * 1000.0; }
