// Milliseconds from the performance counter, both values read on every call.
#include "runtime/clock.h"

#include "platform/platform.h"

double demo_clock() {
    return static_cast<double>(platform_counter()) * 1000.0 /
           static_cast<double>(platform_counter_frequency());
}
