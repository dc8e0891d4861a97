// Runs the real show offscreen on a fixed frame step.
#include "capture_run.h"

#include <GL/gl.h>

#include <cstdlib>
#include <memory>

#include "picture_from_render.h"
#include "platform/platform.h"
#include "runtime/demo.h"
#include "runtime/startup.h"

CaptureRun capture_run;

namespace {
// One frame is exactly 1000 counter ticks, so the frequency sets the rate and
// every reading within a frame gives that frame's time.
constexpr uint64_t ticks_per_frame = 1000;
uint64_t virtual_counter() { return capture_run.frame * ticks_per_frame; }

std::unique_ptr<PictureFromRender> to_picture;
} // namespace

bool capture_start(int fps, int width, int height, int ssaa) {
    capture_run.fps = fps;
    capture_run.width = width;
    capture_run.height = height;
    capture_run.ssaa = ssaa;
    capture_run.frame = 0;
    to_picture = std::make_unique<PictureFromRender>(PictureShape{width, height, ssaa});
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    // SDL would turn Ctrl-C into a quit event that only a recording heeds;
    // the tool sets up its own handling where it wants any.
    setenv("SDL_NO_SIGNAL_HANDLERS", "1", 1);
    platform_install_virtual_counter(virtual_counter, static_cast<uint64_t>(fps) * ticks_per_frame);
    // Nobody watches the clock run: a slow or busy machine still gets the
    // show's sound, however long the music takes to be ready.
    music_wait_limit_ms = 120000.0;
    DisplayRequest display;
    display.fullscreen = false;
    display.window_width = display.render_width = width * ssaa;
    display.window_height = display.render_height = height * ssaa;
    return demo_startup(display);
}

double capture_show_time_ms() { return static_cast<double>(capture_run.frame) * 1000.0 / capture_run.fps; }

void capture_render() { demo_render_frame(); }

void capture_advance() {
    demo_present_frame();
    ++capture_run.frame;
}

std::vector<uint8_t> capture_read_back() {
    const int width = capture_run.width * capture_run.ssaa, height = capture_run.height * capture_run.ssaa;
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * 3 * height);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

std::vector<uint8_t> capture_grab() { return to_picture->convert(capture_read_back()); }
