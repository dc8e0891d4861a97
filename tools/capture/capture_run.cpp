// Runs the real show offscreen on a fixed frame step.
#include "capture_run.h"

#include <GL/gl.h>

#include <cstdlib>
#include <cstring>

#include "platform/platform.h"
#include "runtime/demo.h"
#include "runtime/startup.h"

CaptureRun capture_run;

namespace {
// One frame is exactly 1000 counter ticks, so the frequency sets the rate and
// every reading within a frame gives that frame's time.
constexpr uint64_t ticks_per_frame = 1000;
uint64_t virtual_counter() { return capture_run.frame * ticks_per_frame; }
} // namespace

bool capture_start(int fps, int width, int height) {
    capture_run.fps = fps;
    capture_run.width = width;
    capture_run.height = height;
    capture_run.frame = 0;
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    platform_install_virtual_counter(virtual_counter, static_cast<uint64_t>(fps) * ticks_per_frame);
    DisplayRequest display;
    display.fullscreen = false;
    display.window_width = display.render_width = width;
    display.window_height = display.render_height = height;
    return demo_startup(display);
}

double capture_show_time_ms() { return static_cast<double>(capture_run.frame) * 1000.0 / capture_run.fps; }

void capture_render() { demo_render_frame(); }

void capture_advance() {
    demo_present_frame();
    ++capture_run.frame;
}

std::vector<uint8_t> capture_grab() {
    const int width = capture_run.width, height = capture_run.height;
    const size_t row = static_cast<size_t>(width) * 3;
    std::vector<uint8_t> pixels(row * height), rows(row * height);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    // OpenGL's rows run bottom-up, PNG's top-down.
    for (int y = 0; y < height; ++y)
        std::memcpy(&rows[static_cast<size_t>(y) * row], &pixels[static_cast<size_t>(height - 1 - y) * row], row);
    return rows;
}
