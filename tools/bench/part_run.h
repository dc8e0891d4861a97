// Runs the real show headless up to one part on a coarse virtual clock, then
// through that part at 60 fps, calling back around each of its frames; shared
// by the benchmarks that look at one part at a time.
#pragma once
#include <GL/gl.h>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "runtime/command_line.h"
#include "runtime/demo.h"
#include "runtime/startup.h"

namespace part_run {

inline uint64_t& virtual_us() {
    static uint64_t now = 0;
    return now;
}
inline uint64_t counter() { return virtual_us(); }

inline double percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[static_cast<size_t>(p * (values.size() - 1) + 0.5)];
}

// CPU time of the whole process, every thread (the renderer's too), in ms:
// unlike the time on the clock, it hardly grows when other work shares the
// processors.
inline double process_cpu_ms() {
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

inline long peak_rss_kib() {
    long peak = 0;
    if (std::FILE* f = std::fopen("/proc/self/status", "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, f))
            if (std::strncmp(line, "VmHWM:", 6) == 0) peak = std::atol(line + 6);
        std::fclose(f);
    }
    return peak;
}

struct Options {
    int part = 0;
    double skip_ms = 100.0;    // virtual time per frame before the part
    double finale_ms = 20000.0; // how much of the finale to run
    GlChoice gl = GlChoice::compatibility;
};

// Reads "PART [--skip-ms N] [--finale-ms N] [--gl compat|es3]" plus the options `extra` takes
// (it gets the name and value and returns false for a name it does not know).
// Prints the usage and returns false on a mistake.
template <typename Extra>
bool parse(int argc, char** argv, const char* program, const char* usage, Options* options, Extra extra) {
    auto fail = [&](const std::string& why) {
        std::fprintf(stderr, "%s: %s\nusage: %s %s\n", program, why.c_str(), program, usage);
        return false;
    };
    if (argc < 2) return fail("no part given");
    char* end = nullptr;
    options->part = static_cast<int>(std::strtol(argv[1], &end, 10));
    if (*end || end == argv[1]) return fail(std::string("part: not a number: ") + argv[1]);
    for (int i = 2; i < argc; i += 2) {
        const std::string name = argv[i];
        if (i + 1 >= argc) return fail(name + ": no value");
        const char* value = argv[i + 1];
        if (name == "--gl") {
            const std::string problem = gl_choice_problem(value, &options->gl);
            if (!problem.empty()) return fail(problem);
        } else if (name == "--skip-ms" || name == "--finale-ms") {
            const double v = std::strtod(value, &end);
            if (*end || end == value || v <= 0) return fail(name + ": not a positive number: " + value);
            (name == "--skip-ms" ? options->skip_ms : options->finale_ms) = v;
        } else if (!extra(name, value)) {
            return fail("unknown option " + name);
        }
    }
    return true;
}

// Starts the show and runs it into the part; before(k) and after(k) are
// called around the part's frame k, finished(k) once it is drawn (glFinish)
// and after(k) once it is swapped too. Returns the number of the part's
// frames, or -1 when start-up failed or the part was never entered.
template <typename Before, typename Finished, typename After>
int run(const Options& options, Before before, Finished finished, After after) {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    platform_install_virtual_counter(counter, 1000000);
    DisplayRequest display;
    display.gl = options.gl;
    if (!demo_startup(display)) return -1;
    const double frame_us = 1e6 / 60.0;
    double now_us = 0;
    double entered_ms = -1;
    int frames = 0;
    while (now_us < 600e6) {
        const bool timed = current_part == options.part;
        if (timed && entered_ms < 0) entered_ms = now_us / 1000.0;
        if (entered_ms >= 0 && !timed) break;
        if (timed && options.part == 100 && now_us / 1000.0 - entered_ms > options.finale_ms) break;
        if (timed) before(frames);
        demo_render_frame();
        glFinish();
        if (timed) finished(frames);
        demo_present_frame();
        if (timed) after(frames++);
        now_us += timed || current_part == options.part ? frame_us : options.skip_ms * 1000.0;
        virtual_us() = static_cast<uint64_t>(now_us);
    }
    if (frames == 0) std::fprintf(stderr, "part %d was never entered\n", options.part);
    return frames > 0 ? frames : -1;
}

} // namespace part_run
