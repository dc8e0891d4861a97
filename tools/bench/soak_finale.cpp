// Soak run of the finale: part 100 alone for a long stretch of virtual time
// (30 minutes by default) headless, reporting the spark count, resident
// memory and GL errors once a virtual minute. With "clip" as the third
// argument it soaks part 9 instead, its clip looping on past the part's length.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tools/bench/soak_loop.h"

// Usage: soak_finale [virtual minutes] [frames per virtual second] [clip]
int main(int argc, char** argv) {
    const double minutes = argc > 1 ? std::atof(argv[1]) : 30.0;
    const double fps = argc > 2 ? std::atof(argv[2]) : 60.0;
    const bool clip = argc > 3 && std::strcmp(argv[3], "clip") == 0;
    if (minutes <= 0 || fps <= 0) {
        std::fprintf(stderr, "usage: soak_finale [virtual minutes] [frames per virtual second] [clip]\n");
        return 2;
    }
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    if (!platform_create_window("Vavurava Rive", 800, 600)) {
        std::fprintf(stderr, "soak_finale: %s\n", platform_error());
        return 1;
    }
    std::printf("virtual_min sparks min_sparks max_sparks decodes rss_kib gl_errors wall_s\n");
    const auto done = soak::run(clip ? soak::Part::clip_loop : soak::Part::finale, minutes, fps, [](const soak::Minute& m) {
        std::printf("%11d %6d %10d %10d %7lld %7ld %9ld %6.1f\n", m.minute, m.sparks, m.lowest, m.highest,
                    static_cast<long long>(m.decodes), m.rss_kib, m.gl_errors, m.wall_s);
        std::fflush(stdout);
    });
    const long errors = done.empty() ? 0 : done.back().gl_errors;
    std::printf("minutes %zu, greets_shown %d, gl errors %ld\n", done.size(), greets_shown, errors);
    return errors == 0 ? 0 : 1;
}
