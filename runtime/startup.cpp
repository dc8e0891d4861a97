// Start-up in its fixed order, the main loop and the exit of the show.
#include "runtime/startup.h"

#include "gl/gl_api.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "audio/music.h"
#include "geometry/mesh.h"
#include "geometry/sprites.h"
#include "platform/platform.h"
#include "runtime/clock.h"
#include "runtime/data_folder.h"
#include "runtime/demo.h"
#include "runtime/images.h"
#include "runtime/ranrot.h"
#include "runtime/timeline.h"
#include "runtime/view.h"
#include "video/clip.h"

double music_wait_limit_ms = 10000.0;

namespace {
char music_path[100];

uint8_t* allocate_bytes(size_t bytes) { return static_cast<uint8_t*>(std::calloc(bytes, 1)); }

// Spins until the music thread has primed the device or given up. Wall-clock
// time bounds the wait, also when a virtual counter drives the show.
void wait_for_music() {
    const auto start = std::chrono::steady_clock::now();
    while (audio_ready_flag.load(std::memory_order_acquire) == 0) {
        if (std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count() >
            music_wait_limit_ms) {
            std::fprintf(stderr, "audio: %s: not ready after %.0f s; the show starts without music\n",
                         data_path(music_path).c_str(), music_wait_limit_ms / 1000);
            return;
        }
    }
}
// Sleeps until the clock reads ms; wall time bounds the sleep, also when a
// virtual counter drives the show.
void wait_until(double ms) {
    const double ahead = ms - demo_clock();
    if (ahead > 0) std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(std::min(ahead, 1000.0)));
}
} // namespace

bool demo_load(const DisplayRequest& display) {
    // Zero-filled, so that part 1's reads past the copied images give black.
    image_pixels = allocate_bytes(work_buffer_bytes);
    rgba_pixels = allocate_bytes(work_buffer_bytes);
    logo_pixels = allocate_bytes(work_buffer_bytes);
    presents_pixels = allocate_bytes(work_buffer_bytes);
    video_frame_buffer = allocate_bytes(work_buffer_bytes);
    ripple_positions = reinterpret_cast<float*>(allocate_bytes(ripple_buffer_bytes));
    ripple_texcoords = reinterpret_cast<float*>(allocate_bytes(ripple_buffer_bytes));
    ripple_normals = reinterpret_cast<float*>(allocate_bytes(ripple_buffer_bytes));

    if (!platform_create_window("Vavurava Rive", display)) {
        std::fprintf(stderr, "vavurava-rive: %s\n", platform_error());
        return false;
    }
    int render_width, render_height;
    platform_render_size(&render_width, &render_height);
    set_viewport(render_width, render_height, 60);
    init_gl_state();
    ranrot_init(0);
    std::strcpy(music_path, "dats/zad2.ogg");
    load_startup_clips();
    load_startup_images();
    build_startup_meshes();
    load_sprite_image();
    glEnable(GL_LIGHTING);
    glEnable(GL_NORMALIZE);
    fill_particle_arrays();
    quit_flag = 0;
    if (platform_has_threads()) {
        // Cleared before the thread starts, so that the wait is for this
        // reading and not for what an earlier one left.
        audio_ready_flag.store(0, std::memory_order_release);
        platform_start_thread(music_thread_main, music_path);
        wait_for_music();
    } else {
        // Primed here; music_serve_finished_halves refills it between frames.
        music_prepare_file(music_path);
    }
    // The window already fills the screen on the desktop's own mode.
    platform_show_cursor(false);
    current_part = 1;
    start_music_playback();
    return true;
}

void demo_start_clock(double origin) {
    demo_start_time = origin;
    cover_level = 0;
}

bool demo_startup(const DisplayRequest& display) {
    if (!demo_load(display)) return false;
    // The clock starts when the music's first sound is heard, not when the
    // device is told to play: the card takes it a period later and holds it
    // in its buffer, and every cut of the picture is timed to the music.
    const double origin = music_playback_origin();
    wait_until(origin);
    demo_start_clock(origin);
    return true;
}

void demo_render_frame() {
    frame_time = demo_clock() - demo_start_time;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    dispatch_parts();
}

void demo_present_frame() {
    platform_swap_buffers();
    platform_pump_messages();
}

void demo_shutdown() {
    platform_show_cursor(true);
}

int demo_main(const DisplayRequest& display) {
    if (!demo_startup(display)) return 1;
    while (quit_flag == 0) {
        demo_render_frame();
        demo_present_frame();
    }
    demo_shutdown();
    return 0;
}
