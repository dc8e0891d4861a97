// Soak runs shared by the soak program and the soak tests: one part drawn
// alone for a long stretch of virtual time, headless, with the resident
// memory, the GL errors and the part's own counts taken once a virtual minute.
#pragma once
#include <GL/gl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include "platform/platform.h"
#include "runtime/demo.h"
#include "runtime/images.h"
#include "runtime/ranrot.h"
#include "runtime/view.h"
#include "scenes/part_100.h"
#include "scenes/part_9.h"
#include "scenes/parts.h"
#include "video/clip.h"
#include "video/clip_decoder.h"

namespace soak {

inline uint64_t& virtual_us() {
    static uint64_t now = 0;
    return now;
}
inline uint64_t counter() { return virtual_us(); }

inline long resident_kib() {
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// The work buffers start-up would allocate, where nobody has yet.
inline void allocate_work_buffers() {
    auto bytes = [](size_t n) { return static_cast<uint8_t*>(std::calloc(n, 1)); };
    if (!image_pixels) image_pixels = bytes(work_buffer_bytes);
    if (!rgba_pixels) rgba_pixels = bytes(work_buffer_bytes);
    if (!logo_pixels) logo_pixels = bytes(work_buffer_bytes);
    if (!presents_pixels) presents_pixels = bytes(work_buffer_bytes);
    if (!video_frame_buffer) video_frame_buffer = bytes(work_buffer_bytes);
    if (!ripple_positions) ripple_positions = reinterpret_cast<float*>(bytes(ripple_buffer_bytes));
    if (!ripple_texcoords) ripple_texcoords = reinterpret_cast<float*>(bytes(ripple_buffer_bytes));
    if (!ripple_normals) ripple_normals = reinterpret_cast<float*>(bytes(ripple_buffer_bytes));
}

// What one virtual minute ended with.
struct Minute {
    int minute;
    long rss_kib;
    long gl_errors; // in total so far
    int32_t sparks;  // finale: live sparks at the end of the minute
    int32_t lowest, highest; // finale: range of the spark count since the first spark lifetime
    int64_t decodes; // part 9: clip frames decoded during the minute
    double wall_s;
};

enum class Part { finale, clip_loop };

// Sets the part up from dats/ in the current folder, with the window and
// context already made; starts the virtual clock at 1 s.
inline void enter(Part part) {
    allocate_work_buffers();
    platform_install_virtual_counter(counter, 1000000);
    virtual_us() = 1000000;
    set_viewport(800, 600, 60);
    init_gl_state();
    ranrot_init(0);
    demo_start_time = 0;
    // The finale spawns on a clock it inherits from the part before it; an
    // earlier run in this process may have left it far in the future.
    phase_start_time = 0;
    if (part == Part::finale) {
        load_sprite_image();
        enter_part_100();
    } else {
        load_video_clip("dats/scene09.ogm", &video_clips[3]);
        load_image("dats/Vorlane.jpg", 3002);
        load_image("dats/text04.jpg", 3007);
        enter_part_9();
    }
}

// Draws the part frame after frame at fps for `minutes` of virtual time and
// calls report at the end of every virtual minute. Part 9 is kept from
// handing over by moving its start on by whole part lengths; its clip keeps
// its own clock and so loops on and on.
inline std::vector<Minute> run(Part part, double minutes, double fps,
                               const std::function<void(const Minute&)>& report = nullptr) {
    enter(part);
    while (glGetError() != GL_NO_ERROR) {
    }
    const double step_us = 1e6 / fps;
    const double start_us = static_cast<double>(virtual_us());
    const double end_us = start_us + minutes * 60e6;
    double now_us = start_us;
    long errors = 0;
    int32_t lowest = 1 << 30, highest = 0;
    int64_t decodes_before = video_counters.decodes;
    const auto wall_start = std::chrono::steady_clock::now();
    std::vector<Minute> minutes_done;
    double next_report_us = now_us + 60e6;
    while (now_us < end_us) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        if (part == Part::finale) {
            draw_part_100();
        } else {
            const double in_part_ms = now_us / 1000.0 - part_start_time;
            if (in_part_ms > part_9_length_ms - 1000.0) part_start_time += part_9_length_ms - 1000.0;
            draw_part_9();
        }
        // Without a wait llvmpipe queues frames on the offscreen surface
        // faster than it rasterises them, and that backlog would hide the
        // part's own memory use.
        glFinish();
        platform_swap_buffers();
        for (GLenum e = glGetError(); e != GL_NO_ERROR; e = glGetError()) ++errors;
        // Past the first lifetime of a spark the count should hold steady.
        if (part == Part::finale && now_us - start_us > 6e6) {
            if (sprite_count < lowest) lowest = sprite_count;
            if (sprite_count > highest) highest = sprite_count;
        }
        now_us += step_us;
        virtual_us() = static_cast<uint64_t>(now_us);
        if (now_us >= next_report_us) {
            Minute m;
            m.minute = static_cast<int>(minutes_done.size()) + 1;
            m.rss_kib = resident_kib();
            m.gl_errors = errors;
            m.sparks = sprite_count;
            m.lowest = lowest;
            m.highest = highest;
            m.decodes = video_counters.decodes - decodes_before;
            decodes_before = video_counters.decodes;
            m.wall_s = std::chrono::duration<double>(std::chrono::steady_clock::now() - wall_start).count();
            minutes_done.push_back(m);
            if (report) report(m);
            next_report_us += 60e6;
        }
    }
    return minutes_done;
}

} // namespace soak
