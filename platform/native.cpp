// The native side of what the browser does differently: threads are there,
// frames run in a plain loop, and there is no page to tell anything.
#include "platform/platform.h"

bool platform_has_threads() { return true; }

void platform_run_frames(bool (*frame)(), void (*finished)()) {
    while (frame()) {
    }
    finished();
}

void platform_tell_page(const char*, const char*) {}

double platform_output_latency_ms() { return 0; }
