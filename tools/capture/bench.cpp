// The speed benchmark: the whole show headless under the virtual 60 fps
// clock with no encoding, timing the real time each frame takes, then a bare
// clear-and-swap loop as the floor.
#include <GL/gl.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <vector>

#include "capture_modes.h"
#include "capture_run.h"
#include "platform/platform.h"
#include "runtime/demo.h"

namespace {
using bench_clock = std::chrono::steady_clock;

double ms_since(bench_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(bench_clock::now() - start).count();
}

double percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    size_t k = static_cast<size_t>(p * (values.size() - 1) + 0.5);
    return values[k];
}

const int show_order[] = {1, 2, 10, 3, 4, 5, 7, 9, 100};
} // namespace

int capture_bench() {
    const auto process_start = bench_clock::now();
    if (!capture_start(60)) return 1;
    std::map<int, std::vector<double>> frame_ms;
    double startup_ms = -1, finale_entry = -1;
    for (;;) {
        const int part = current_part;
        const auto start = bench_clock::now();
        capture_render();
        glFinish();
        capture_advance();
        frame_ms[part].push_back(ms_since(start));
        if (startup_ms < 0) startup_ms = ms_since(process_start);
        if (current_part == 100 && finale_entry < 0) finale_entry = frame_time;
        if (finale_entry >= 0 && frame_time - finale_entry > greetings_run_ms) break;
        if (frame_time > 600000.0) break;
    }
    for (int part : show_order) {
        auto it = frame_ms.find(part);
        if (it == frame_ms.end()) continue;
        std::printf("part %d median %.2f ms p99 %.2f ms frames %zu\n", part, percentile(it->second, 0.5),
                    percentile(it->second, 0.99), it->second.size());
    }
    std::printf("startup %.0f ms\n", startup_ms);
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak rss %.1f MB\n", usage.ru_maxrss / 1024.0);
    std::vector<double> floor;
    for (int k = 0; k < 300; ++k) {
        const auto start = bench_clock::now();
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glFinish();
        platform_swap_buffers();
        floor.push_back(ms_since(start));
    }
    std::printf("floor median %.2f ms (clear and swap)\n", percentile(floor, 0.5));
    return 0;
}
