// One frame to a PNG, and the timeline of parts entered.
#include <cstdio>

#include "capture_modes.h"
#include "capture_run.h"
#include "png_file.h"
#include "runtime/demo.h"

namespace {
// A show with a part that never ends would otherwise run forever.
constexpr double show_limit_ms = 600000.0;

void print_part_entered(int32_t part) {
    std::printf("part %d %.0f\n", part, frame_time);
    std::fflush(stdout);
}
} // namespace

int capture_frame(double at_ms, const CaptureSettings& settings) {
    if (!capture_start(settings.fps, settings.width, settings.height, settings.ssaa)) return 1;
    while (capture_show_time_ms() <= show_limit_ms) {
        capture_render();
        if (frame_time >= at_ms) return write_png(settings.output, capture_run.width, capture_run.height, capture_grab().data()) ? 0 : 1;
        capture_advance();
    }
    std::fprintf(stderr, "capture: show time limit reached before %.0f ms\n", at_ms);
    return 1;
}

int capture_frames(const std::vector<double>& times, const CaptureSettings& settings) {
    if (!capture_start(settings.fps, settings.width, settings.height, settings.ssaa)) return 1;
    size_t next = 0;
    while (next < times.size() && capture_show_time_ms() <= show_limit_ms) {
        capture_render();
        for (; next < times.size() && frame_time >= times[next]; ++next) {
            const std::string path = settings.output + "/frame_" + std::to_string(static_cast<long>(times[next])) + ".png";
            if (!write_png(path, capture_run.width, capture_run.height, capture_grab().data())) return 1;
        }
        capture_advance();
    }
    return next == times.size() ? 0 : 1;
}

int capture_timeline(const CaptureSettings& settings) {
    part_entered_hook = print_part_entered;
    if (!capture_start(settings.fps, settings.width, settings.height, settings.ssaa)) return 1;
    print_part_entered(1);
    while (capture_show_time_ms() <= show_limit_ms) {
        capture_render();
        if (current_part == 100) return 0;
        capture_advance();
    }
    std::fprintf(stderr, "capture: show time limit reached before the finale\n");
    return 1;
}
