// Times one part of the real show headless, for quick before/after checks
// and profiling: the parts before it run on a coarse virtual clock (100 ms a
// frame by default) so that they pass quickly, then the chosen part runs at
// 60 fps and every frame (render, glFinish, swap) is timed until the show
// leaves it (the finale for --finale-ms of show time), on the clock and in
// CPU time of all threads (which other work on the machine hardly moves). The state reached at
// the part differs a little from the 60 fps show's (frame-rate dependent
// motion and random draws), the work per frame does not.
//
// Usage: bench_part PART [--skip-ms N] [--finale-ms N] [--gl compat|es3] [--control FIFO]
// With --control, "enable" and "disable" are written to FIFO around the
// timed frames (perf record --control=fifo:FIFO -D -1 profiles just those).
#include <chrono>
#include <cstdio>
#include <vector>

#include "tools/bench/part_run.h"

namespace {
void tell(std::FILE* control, const char* what) {
    if (!control) return;
    std::fprintf(control, "%s\n", what);
    std::fflush(control);
}
} // namespace

int main(int argc, char** argv) {
    part_run::Options options;
    std::FILE* control = nullptr;
    const bool parsed = part_run::parse(argc, argv, "bench_part", "PART [--skip-ms N] [--finale-ms N] [--gl compat|es3] [--control FIFO]",
                                        &options, [&](const std::string& name, const char* value) {
                                            if (name != "--control") return false;
                                            control = std::fopen(value, "w");
                                            if (!control) {
                                                std::fprintf(stderr, "bench_part: %s: can't open\n", value);
                                                std::exit(1);
                                            }
                                            return true;
                                        });
    if (!parsed) return 2;
    std::vector<double> times, cpu_times;
    std::chrono::steady_clock::time_point start;
    double cpu_start = 0;
    const int frames = part_run::run(
        options,
        [&](int k) {
            if (k == 0) tell(control, "enable");
            start = std::chrono::steady_clock::now();
            cpu_start = part_run::process_cpu_ms();
        },
        [](int) {},
        [&](int) {
            times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
            cpu_times.push_back(part_run::process_cpu_ms() - cpu_start);
        });
    tell(control, "disable");
    if (frames < 0) return 1;
    std::printf("part %d median %.2f ms p99 %.2f ms frames %zu peak_rss %.1f MB cpu median %.2f ms p99 %.2f ms\n",
                options.part, part_run::percentile(times, 0.5), part_run::percentile(times, 0.99), times.size(),
                part_run::peak_rss_kib() / 1024.0, part_run::percentile(cpu_times, 0.5),
                part_run::percentile(cpu_times, 0.99));
    return 0;
}
