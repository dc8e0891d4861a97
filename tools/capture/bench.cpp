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
#include "label_font.h"
#include "picture_file.h"
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

struct PartTimes {
    int part;
    double median, p99;
};

void fill_box(std::vector<uint8_t>& rgb, int width, int x0, int y0, int x1, int y1, const uint8_t colour[3]) {
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            for (int c = 0; c < 3; ++c) rgb[(static_cast<size_t>(y) * width + x) * 3 + c] = colour[c];
}

// Bars of the median (bright) and p99 (dim) frame time of each part, with
// the 10 ms median and 16.7 ms p99 goals as lines; 25 ms is the top of the chart. Each
// bar is labelled with its median in ms.
bool write_chart(const std::string& path, const std::vector<PartTimes>& parts) {
    const int width = 900, height = 420, base = 380, top = 40, bar = 36;
    const double scale = (base - top) / 25.0;
    std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3, 16);
    const uint8_t median_colour[3] = {120, 160, 255}, p99_colour[3] = {70, 60, 140}, goal[3] = {200, 90, 90};
    for (double line : {10.0, 16.7}) {
        int y = base - static_cast<int>(line * scale);
        fill_box(rgb, width, 60, y, width - 20, y + 2, goal);
        char label[16];
        std::snprintf(label, sizeof label, "%.1f", line);
        draw_label(rgb.data(), width, height, 8, y - 7, label);
    }
    for (size_t k = 0; k < parts.size(); ++k) {
        const int x = 80 + static_cast<int>(k) * 90;
        auto bar_top = [&](double ms) { return std::max(top, base - static_cast<int>(std::min(ms, 25.0) * scale)); };
        fill_box(rgb, width, x, bar_top(parts[k].p99), x + bar, base, p99_colour);
        fill_box(rgb, width, x + bar / 4, bar_top(parts[k].median), x + bar - bar / 4, base, median_colour);
        char label[32];
        std::snprintf(label, sizeof label, "P%d", parts[k].part);
        draw_label(rgb.data(), width, height, x, base + 12, label);
        std::snprintf(label, sizeof label, "%.1f", parts[k].median);
        draw_label(rgb.data(), width, height, x, bar_top(parts[k].p99) - 22, label);
    }
    return write_picture(path, width, height, rgb.data());
}
} // namespace

int capture_bench(const CaptureSettings& settings, const std::string& chart) {
    const auto process_start = bench_clock::now();
    if (!capture_start(60, settings.width, settings.height)) return 1;
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
    std::vector<PartTimes> parts;
    for (int part : show_order) {
        auto it = frame_ms.find(part);
        if (it == frame_ms.end()) continue;
        parts.push_back({part, percentile(it->second, 0.5), percentile(it->second, 0.99)});
        std::printf("part %d median %.2f ms p99 %.2f ms frames %zu\n", part, parts.back().median, parts.back().p99,
                    it->second.size());
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
    return chart.empty() || write_chart(chart, parts) ? 0 : 1;
}
