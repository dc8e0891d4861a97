// One frame to a picture, several to a folder, and the timeline of parts
// entered.
#include <unistd.h>

#include <cstdio>

#include "capture_modes.h"
#include "capture_run.h"
#include "output_format.h"
#include "picture_file.h"
#include "runtime/demo.h"

namespace {
// A show with a part that never ends would otherwise run forever.
constexpr double show_limit_ms = 600000.0;

bool write_frame(const std::string& path) {
    return write_picture(path, capture_run.width, capture_run.height, capture_grab().data());
}

// "1500", or "1500.25" for a time between whole milliseconds.
std::string time_name(double ms) {
    char text[64];
    std::snprintf(text, sizeof text, "%.3f", ms);
    std::string name = text;
    while (name.back() == '0') name.pop_back();
    if (name.back() == '.') name.pop_back();
    return name;
}

void print_part_entered(int32_t part) {
    std::printf("part %d %.0f\n", part, frame_time);
    std::fflush(stdout);
}
} // namespace

int capture_frame(double at_ms, const CaptureSettings& settings) {
    if (!capture_start(settings.fps, settings.width, settings.height, settings.ssaa)) return 1;
    while (capture_show_time_ms() <= show_limit_ms) {
        capture_render();
        if (frame_time >= at_ms) return write_frame(settings.output) ? 0 : 1;
        capture_advance();
    }
    std::fprintf(stderr, "capture: show time limit reached before %.0f ms\n", at_ms);
    return 1;
}

int capture_frames(const std::vector<double>& times, const CaptureSettings& settings) {
    if (!capture_start(settings.fps, settings.width, settings.height, settings.ssaa)) {
        if (!settings.created_folder.empty()) rmdir(settings.created_folder.c_str());
        return 1;
    }
    size_t next = 0;
    while (next < times.size() && capture_show_time_ms() <= show_limit_ms) {
        capture_render();
        for (; next < times.size() && frame_time >= times[next]; ++next)
            if (!write_frame(path_in(settings.output, "frame_" + time_name(times[next]) + ".png"))) return 1;
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
