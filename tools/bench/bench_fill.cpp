// The renderer's fill rate on its own: what one fragment costs when drawn
// textured and fogged, blended or opaque, or rejected by the depth test, with
// full-window quads in a window of the given size (800 x 600 by default),
// per fragment on the clock and in CPU time (all threads together).
//
// Usage: bench_fill [WIDTH HEIGHT]
#include <cstdio>
#include <cstdlib>

#include "tools/bench/fill_rate.h"

int main(int argc, char** argv) {
    int width = 800, height = 600;
    if (argc == 3) {
        char* end_w = nullptr;
        char* end_h = nullptr;
        width = static_cast<int>(std::strtol(argv[1], &end_w, 10));
        height = static_cast<int>(std::strtol(argv[2], &end_h, 10));
        if (*end_w || *end_h || width <= 0 || height <= 0 || width > 8192 || height > 8192) {
            std::fprintf(stderr, "bench_fill: size: not two whole numbers from 1 to 8192: %s %s\n", argv[1], argv[2]);
            return 2;
        }
    } else if (argc != 1) {
        std::fprintf(stderr, "usage: bench_fill [WIDTH HEIGHT]\n");
        return 2;
    }
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    if (!platform_create_window("fill", width, height)) {
        std::fprintf(stderr, "bench_fill: %s\n", platform_error());
        return 1;
    }
    for (fill_rate::Kind kind : {fill_rate::Kind::blended, fill_rate::Kind::blended_without_fog, fill_rate::Kind::opaque,
                                  fill_rate::Kind::rejected}) {
        const fill_rate::Rate rate = fill_rate::measure(kind, width, height);
        std::printf("%-38s %.2f ns a fragment, %.1f million a second (%.0f fragments a frame in %.2f ms); "
                    "%.2f ns of CPU time a fragment\n",
                    fill_rate::name(kind), rate.ns_per_fragment, 1e3 / rate.ns_per_fragment,
                    rate.fragments_per_frame, rate.frame_ms, rate.cpu_ns_per_fragment);
    }
    return 0;
}
