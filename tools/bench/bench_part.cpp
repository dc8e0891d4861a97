// Times one part of the real show headless, for quick before/after checks
// and profiling: the parts before it run on a coarse virtual clock (100 ms a
// frame by default) so that they pass quickly, then the chosen part runs at
// 60 fps and every frame (render, glFinish, swap) is timed until the show
// leaves it (the finale for --finale-ms of show time). The state reached at
// the part differs a little from the 60 fps show's (frame-rate dependent
// motion and random draws), the work per frame does not.
//
// Usage: bench_part PART [--skip-ms N] [--finale-ms N] [--control FIFO]
// With --control, "enable" and "disable" are written to FIFO around the
// timed frames (perf record --control=fifo:FIFO -D -1 profiles just those).
#include <GL/gl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "runtime/demo.h"
#include "runtime/startup.h"

namespace {
uint64_t virtual_us;
uint64_t bench_counter() { return virtual_us; }

double percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[static_cast<size_t>(p * (values.size() - 1) + 0.5)];
}

void tell(std::FILE* control, const char* what) {
    if (!control) return;
    std::fprintf(control, "%s\n", what);
    std::fflush(control);
}

long peak_rss_kib() {
    long peak = 0;
    if (std::FILE* f = std::fopen("/proc/self/status", "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, f))
            if (std::strncmp(line, "VmHWM:", 6) == 0) peak = std::atol(line + 6);
        std::fclose(f);
    }
    return peak;
}
} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_part PART [--skip-ms N] [--finale-ms N] [--control FIFO]\n");
        return 2;
    }
    const int part = std::atoi(argv[1]);
    double skip_ms = 100.0, finale_ms = 20000.0;
    std::FILE* control = nullptr;
    for (int i = 2; i + 1 < argc; i += 2) {
        const std::string arg = argv[i];
        if (arg == "--skip-ms") skip_ms = std::atof(argv[i + 1]);
        else if (arg == "--finale-ms") finale_ms = std::atof(argv[i + 1]);
        else if (arg == "--control") {
            control = std::fopen(argv[i + 1], "w");
            if (!control) {
                std::fprintf(stderr, "bench_part: %s: can't open\n", argv[i + 1]);
                return 1;
            }
        } else {
            std::fprintf(stderr, "bench_part: unknown option %s\n", arg.c_str());
            return 2;
        }
    }
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    platform_install_virtual_counter(bench_counter, 1000000);
    if (!demo_startup()) return 1;

    const double frame_us = 1e6 / 60.0;
    double now_us = 0;
    std::vector<double> times;
    double entered_ms = -1;
    bool seen = false;
    while (now_us < 600e6) {
        const bool timed = current_part == part;
        if (timed && !seen) {
            seen = true;
            entered_ms = now_us / 1000.0;
            tell(control, "enable");
        }
        if (seen && !timed) break;
        if (timed && part == 100 && now_us / 1000.0 - entered_ms > finale_ms) break;
        const auto start = std::chrono::steady_clock::now();
        demo_render_frame();
        glFinish();
        demo_present_frame();
        if (timed)
            times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        now_us += timed || current_part == part ? frame_us : skip_ms * 1000.0;
        virtual_us = static_cast<uint64_t>(now_us);
    }
    tell(control, "disable");
    if (times.empty()) {
        std::fprintf(stderr, "bench_part: part %d was never entered\n", part);
        return 1;
    }
    std::printf("part %d median %.2f ms p99 %.2f ms frames %zu peak_rss %.1f MB\n", part, percentile(times, 0.5),
                percentile(times, 0.99), times.size(), peak_rss_kib() / 1024.0);
    return 0;
}
