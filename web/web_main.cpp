// The show's entry point in the browser. The page calls it after the click
// that lets sound play, with --size WxH: start-up runs at once, and the frames
// follow from the browser's frame callback. With --frame MS --fps N it renders
// the show on a virtual clock of one frame step per frame, as the capture
// tool's --frame does, and leaves that one frame on the canvas.
#include <getopt.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "audio/music.h"
#include "platform/platform.h"
#include "runtime/clock.h"
#include "runtime/command_line.h"
#include "runtime/demo.h"
#include "runtime/startup.h"

namespace {
const char usage[] = "usage: vavurava-rive [--size WxH] [--frame MS [--fps N]]\n";

// How long the show waits for the sound to start before it starts without.
constexpr double sound_wait_limit_ms = 1000.0;
// A show with a part that never ends would otherwise render forever.
constexpr double show_limit_ms = 600000.0;
// Wall time the frame mode renders for before it lets the page breathe.
constexpr double slice_ms = 100.0;

double loaded_at_ms;
bool clock_started;
double wanted_ms;
uint64_t virtual_frame;

uint64_t virtual_counter() { return virtual_frame * 1000; }

// Frames shown in each part, told to the page as each part ends ("part" with
// "PART FRAMES MS"): the frame rate the browser reached.
int32_t counted_part = 1;
int64_t part_frames;
double part_since_ms;

void tell_part_rate(int32_t next_part) {
    char detail[64];
    std::snprintf(detail, sizeof detail, "%d %lld %.0f", counted_part, static_cast<long long>(part_frames),
                  demo_clock() - part_since_ms);
    platform_tell_page("part", detail);
    counted_part = next_part;
    part_frames = 0;
    part_since_ms = demo_clock();
}

double wall_ms() {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Starts the show's clock once the first sound is heard (or has not come
// within a second); false until then.
bool clock_started_at_first_sound() {
    if (clock_started) return true;
    double origin;
    const bool known = music_playback_known(&origin);
    if (!known && demo_clock() - loaded_at_ms < sound_wait_limit_ms) return false;
    if (!known) origin = demo_clock();
    if (demo_clock() < origin) return false;
    demo_start_clock(origin);
    clock_started = true;
    part_since_ms = demo_clock();
    part_entered_hook = tell_part_rate;
    return true;
}

// The show's frames, from the moment its first sound is heard.
bool show_frame() {
    const bool first = !clock_started;
    if (!clock_started_at_first_sound()) return true;
    music_serve_finished_halves();
    demo_render_frame();
    demo_present_frame();
    ++part_frames;
    if (first) platform_tell_page("first-frame", "");
    return quit_flag == 0;
}

void show_ended() {
    tell_part_rate(0);
    demo_shutdown();
    // Sound and keys go back to the page.
    platform_quit();
    platform_tell_page("ended", "");
}

// Frame after frame on the virtual clock until the one at or after
// wanted_ms, which is presented last.
bool frame_mode_slice() {
    const double slice_start = wall_ms();
    while (wall_ms() - slice_start < slice_ms) {
        demo_render_frame();
        demo_present_frame();
        if (frame_time >= wanted_ms) return false;
        ++virtual_frame;
        if (frame_time > show_limit_ms) {
            std::fprintf(stderr, "vavurava-rive: show time limit reached before %.0f ms\n", wanted_ms);
            wanted_ms = -1;
            return false;
        }
    }
    return true;
}

void frame_mode_done() {
    if (wanted_ms >= 0) platform_tell_page("ready", "");
    else platform_tell_page("failed", "the show ended before the frame asked for");
}

int fail(const std::string& problem) {
    platform_tell_page("failed", problem.c_str());
    return command_line_error("vavurava-rive", problem, usage);
}
} // namespace

int main(int argc, char** argv) {
    DisplayRequest display;
    display.fullscreen = false;
    // WebGL 2 is OpenGL ES 3.0: the show draws through its own renderer there.
    display.gl = GlChoice::es3;
    int fps = 60;
    bool frame_mode = false;
    const option options[] = {{"size", required_argument, nullptr, 's'},
                              {"frame", required_argument, nullptr, 'f'},
                              {"fps", required_argument, nullptr, 'r'},
                              {nullptr, 0, nullptr, 0}};
    opterr = 0;
    for (int c; (c = getopt_long(argc, argv, ":", options, nullptr)) != -1;) {
        long number;
        switch (c) {
        case 's': {
            const std::string problem = picture_size_problem(optarg, &display.render_width, &display.render_height);
            if (!problem.empty()) return fail(problem);
            break;
        }
        case 'f':
            if (!parse_ms(optarg, &wanted_ms)) return fail(std::string("frame: '") + optarg + "' is not a time in ms");
            frame_mode = true;
            break;
        case 'r':
            if (!parse_int(optarg, 1, 1000, &number))
                return fail(std::string("fps: '") + optarg + "' is not a whole number from 1 to 1000");
            fps = static_cast<int>(number);
            break;
        default:
            return fail(getopt_problem(argc, argv, c, options));
        }
    }
    if (display.render_width == 0) display.render_width = 800, display.render_height = 600;
    display.window_width = display.render_width;
    display.window_height = display.render_height;
    if (frame_mode) {
        platform_install_virtual_counter(virtual_counter, static_cast<uint64_t>(fps) * 1000);
        if (!demo_startup(display)) return platform_tell_page("failed", platform_error()), 1;
        platform_run_frames(frame_mode_slice, frame_mode_done);
        return 0;
    }
    if (!demo_load(display)) return platform_tell_page("failed", platform_error()), 1;
    loaded_at_ms = demo_clock();
    platform_tell_page("started", "");
    platform_run_frames(show_frame, show_ended);
    return 0;
}
