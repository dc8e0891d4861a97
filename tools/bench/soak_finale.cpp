// Soak run of the finale: part 100 alone for a long stretch of virtual time
// (30 minutes by default) headless, reporting the spark count, resident
// memory and GL errors once a virtual minute.
#include <GL/gl.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

#include "platform/platform.h"
#include "runtime/demo.h"
#include "runtime/images.h"
#include "runtime/ranrot.h"
#include "runtime/view.h"
#include "scenes/part_100.h"
#include "scenes/parts.h"

namespace {
uint64_t virtual_us;
uint64_t soak_counter() { return virtual_us; }

long resident_kib() {
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}
} // namespace

// Usage: soak_finale [virtual minutes] [frames per virtual second]
int main(int argc, char** argv) {
    const double minutes = argc > 1 ? std::atof(argv[1]) : 30.0;
    const double fps = argc > 2 ? std::atof(argv[2]) : 60.0;
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    image_pixels = static_cast<uint8_t*>(std::calloc(work_buffer_bytes, 1));
    if (!platform_create_window("Vavurava Rive", 800, 600)) {
        std::fprintf(stderr, "soak_finale: %s\n", platform_error());
        return 1;
    }
    platform_install_virtual_counter(soak_counter, 1000000);
    virtual_us = 1000000;
    set_viewport(800, 600, 60);
    init_gl_state();
    ranrot_init(0);
    load_sprite_image();
    demo_start_time = 0;
    enter_part_100();

    const double step_us = 1e6 / fps;
    const double end_us = virtual_us + minutes * 60e6;
    double now_us = static_cast<double>(virtual_us);
    long errors = 0, frames = 0;
    int32_t lowest = 1 << 30, highest = 0;
    const auto wall_start = std::chrono::steady_clock::now();
    std::printf("virtual_min sparks min_sparks max_sparks rss_kib gl_errors wall_s\n");
    double next_report_us = now_us + 60e6;
    while (now_us < end_us) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        draw_part_100();
        // Without a wait llvmpipe queues frames on the offscreen surface
        // faster than it rasterises them, and that backlog would hide the
        // part's own memory use.
        glFinish();
        platform_swap_buffers();
        for (GLenum e = glGetError(); e != GL_NO_ERROR; e = glGetError()) ++errors;
        // Past the first lifetime of a spark the count should hold steady.
        if (now_us - 1e6 > 6e6) {
            if (sprite_count < lowest) lowest = sprite_count;
            if (sprite_count > highest) highest = sprite_count;
        }
        ++frames;
        now_us += step_us;
        virtual_us = static_cast<uint64_t>(now_us);
        if (now_us >= next_report_us) {
            const double wall =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - wall_start).count();
            std::printf("%11.0f %6d %10d %10d %7ld %9ld %6.1f\n", (now_us - 1e6) / 60e6, sprite_count, lowest,
                        highest, resident_kib(), errors, wall);
            std::fflush(stdout);
            next_report_us += 60e6;
        }
    }
    std::printf("frames %ld, greets_shown %d, gl errors %ld\n", frames, greets_shown, errors);
    return errors == 0 ? 0 : 1;
}
