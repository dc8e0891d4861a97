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

bool capture_start(int fps) {
    capture_run.fps = fps;
    capture_run.frame = 0;
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    platform_install_virtual_counter(virtual_counter, static_cast<uint64_t>(fps) * ticks_per_frame);
    return demo_startup();
}

double capture_show_time_ms() { return static_cast<double>(capture_run.frame) * 1000.0 / capture_run.fps; }

void capture_render() { demo_render_frame(); }

void capture_advance() {
    demo_present_frame();
    ++capture_run.frame;
}

std::vector<uint8_t> capture_grab() {
    std::vector<uint8_t> pixels(800 * 600 * 3), rows(800 * 600 * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, 800, 600, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    // OpenGL's rows run bottom-up, PNG's top-down.
    for (int y = 0; y < 600; ++y)
        std::memcpy(&rows[static_cast<size_t>(y) * 2400], &pixels[static_cast<size_t>(599 - y) * 2400], 2400);
    return rows;
}
