// vavurava-capture: runs the real show offscreen under a virtual clock that
// advances exactly one frame step per frame, and writes what it shows.
//   --frame MS -o FILE.png   the first frame whose show time is at least MS
//   --timeline               one line "part N T" per part entered
//   --fps N                  frames per second of the virtual clock (60)
#include <GL/gl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "png_file.h"
#include "runtime/demo.h"
#include "runtime/startup.h"

namespace {
uint64_t virtual_frame;
// One frame is exactly 1000 counter ticks; the frequency sets the frame rate.
constexpr uint64_t ticks_per_frame = 1000;

uint64_t virtual_counter() { return virtual_frame * ticks_per_frame; }

double show_time_ms(int fps) { return static_cast<double>(virtual_frame) * 1000.0 / fps; }

void print_part_entered(int32_t part) {
    std::printf("part %d %.0f\n", part, frame_time);
    std::fflush(stdout);
}

int usage() {
    std::fprintf(stderr,
                 "usage: vavurava-capture --frame MS -o FILE.png [--fps N]\n"
                 "       vavurava-capture --timeline [--fps N]\n");
    return 2;
}

bool grab_frame(const std::string& path) {
    std::vector<uint8_t> pixels(800 * 600 * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, 800, 600, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    // OpenGL's rows run bottom-up; PNG's top-down.
    std::vector<uint8_t> rows(pixels.size());
    for (int y = 0; y < 600; ++y)
        std::memcpy(&rows[static_cast<size_t>(y) * 2400], &pixels[static_cast<size_t>(599 - y) * 2400], 2400);
    return write_png(path, 800, 600, rows.data());
}
} // namespace

int main(int argc, char** argv) {
    double frame_ms = -1;
    bool timeline = false;
    std::string output;
    int fps = 60;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--frame" && i + 1 < argc) frame_ms = std::atof(argv[++i]);
        else if (arg == "-o" && i + 1 < argc) output = argv[++i];
        else if (arg == "--fps" && i + 1 < argc) fps = std::atoi(argv[++i]);
        else if (arg == "--timeline") timeline = true;
        else return usage();
    }
    if (fps <= 0 || fps > 1000) return usage();
    if (!timeline && (frame_ms < 0 || output.empty())) return usage();

    // Headless by default; sound is not recorded.
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    platform_install_virtual_counter(virtual_counter, static_cast<uint64_t>(fps) * ticks_per_frame);
    if (timeline) part_entered_hook = print_part_entered;
    if (!demo_startup()) return 1;
    if (timeline) print_part_entered(1);

    // The timeline ends once the finale is entered; a bound keeps a show
    // with a missing part from running forever.
    const double limit_ms = 600000.0;
    while (show_time_ms(fps) <= limit_ms) {
        demo_render_frame();
        if (!timeline && frame_time >= frame_ms) return grab_frame(output) ? 0 : 1;
        if (timeline && current_part == 100) return 0;
        demo_present_frame();
        ++virtual_frame;
    }
    std::fprintf(stderr, "capture: show time limit reached\n");
    return timeline ? 0 : 1;
}
