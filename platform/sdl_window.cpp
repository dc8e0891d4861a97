// Window, OpenGL context, buffer swap, message pump and cursor on SDL2. The
// show fills the screen on the desktop's own mode (the screen's mode is never
// changed) or plays in a resizable window; either way the scenes draw at the
// render size and the swap scales that picture into the window, 4:3 kept.
#include <GL/gl.h>
#include <SDL.h>

#include <cstring>

#include "platform/platform.h"
#include "platform/render_target.h"

namespace {
SDL_Window* window;
SDL_GLContext gl_context;
bool offscreen;
int render_width = 800, render_height = 600;
char error_text[512];

void keep_error(const char* what) {
    SDL_snprintf(error_text, sizeof error_text, "%s: %s", what, SDL_GetError());
}

bool software_renderer() {
    const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    if (!renderer) return false;
    for (const char* name : {"llvmpipe", "softpipe", "swrast"})
        if (std::strstr(renderer, name)) return true;
    return false;
}

// Drivers that put nothing on any screen. They run only when asked for by
// name: without a display SDL falls back to them, and the show would play
// to nobody at full speed.
bool unseen_driver(const char* driver) {
    return std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0 ||
           std::strcmp(driver, "evdev") == 0;
}

bool driver_asked_for(const char* driver) {
    const char* asked = SDL_getenv("SDL_VIDEODRIVER");
    return asked && std::strstr(asked, driver);
}

// Starts SDL's video on a display someone can see, or on a driver asked for
// by name. False when there is none (the reason kept for platform_error).
bool open_display() {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        keep_error("no display could be opened");
        return false;
    }
    const char* driver = SDL_GetCurrentVideoDriver();
    if (unseen_driver(driver) && !driver_asked_for(driver)) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        const char* x_display = SDL_getenv("DISPLAY");
        const bool named = x_display && *x_display;
        SDL_snprintf(error_text, sizeof error_text,
                     "no display could be opened (%s%s); SDL_VIDEODRIVER=offscreen runs without one",
                     named ? "no X server answers at DISPLAY=" : "DISPLAY is not set", named ? x_display : "");
        return false;
    }
    return true;
}

void close_window() {
    if (gl_context) SDL_GL_DeleteContext(gl_context);
    if (window) SDL_DestroyWindow(window);
    gl_context = nullptr;
    window = nullptr;
}
} // namespace

bool platform_create_window(const char* title, const DisplayRequest& request) {
    if (window) return true;
    if (!open_display()) return false;
    if (request.display >= SDL_GetNumVideoDisplays()) {
        SDL_snprintf(error_text, sizeof error_text, "there is no display %d", request.display);
        return false;
    }
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 0);
    // Depth lives in the render framebuffer; the window only shows the picture.
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN | SDL_WINDOW_ALLOW_HIGHDPI;
    if (request.fullscreen) flags |= SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_BORDERLESS;
    else flags |= SDL_WINDOW_RESIZABLE;
    const int centred = static_cast<int>(SDL_WINDOWPOS_CENTERED_DISPLAY(request.display));
    SDL_Rect place = {centred, centred, request.window_width, request.window_height};
    // Made at the screen's own size too, so that it covers the screen where
    // no window manager acts on the fullscreen request.
    if (request.fullscreen && SDL_GetDisplayBounds(request.display, &place) != 0)
        place = {centred, centred, request.window_width, request.window_height};
    window = SDL_CreateWindow(title, place.x, place.y, place.w, place.h, flags);
    if (!window) {
        keep_error("cannot create the window");
        return false;
    }
    gl_context = SDL_GL_CreateContext(window);
    if (!gl_context) {
        keep_error("cannot create the OpenGL context");
        close_window();
        return false;
    }
    SDL_GL_MakeCurrent(window, gl_context);
    // Frames are paced by the swap alone.
    SDL_GL_SetSwapInterval(1);
    offscreen = std::strcmp(SDL_GetCurrentVideoDriver(), "offscreen") == 0;

    int drawable_width, drawable_height;
    SDL_GL_GetDrawableSize(window, &drawable_width, &drawable_height);
    if (request.render_width > 0) {
        render_width = request.render_width;
        render_height = request.render_height;
    } else if (software_renderer()) {
        // A software renderer keeps its frame rate at the show's own size.
        render_width = 800;
        render_height = 600;
    } else {
        const Rectangle picture = letterbox(drawable_width, drawable_height);
        render_width = picture.width;
        render_height = picture.height;
    }
    // Black on screen while the show loads.
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    SDL_GL_SwapWindow(window);
    const char* why = nullptr;
    if (!render_target_create(render_width, render_height, &why)) {
        SDL_snprintf(error_text, sizeof error_text, "%dx%d: %s", render_width, render_height, why);
        close_window();
        return false;
    }
    return true;
}

bool platform_create_window(const char* title, int width, int height) {
    DisplayRequest request;
    request.fullscreen = false;
    request.window_width = request.render_width = width;
    request.window_height = request.render_height = height;
    return platform_create_window(title, request);
}

const char* platform_error() { return error_text; }

int platform_display_count() {
    // Left open for the window: SDL 2.26 does not find X again once its
    // video has been shut down.
    static bool opened = open_display();
    if (!opened) return 0;
    const int count = SDL_GetNumVideoDisplays();
    return count > 0 ? count : 0;
}

void platform_render_size(int* width, int* height) {
    *width = render_width;
    *height = render_height;
}

void platform_swap_buffers() {
    if (offscreen) {
        // Nobody sees an offscreen window, so the picture stays in the render
        // framebuffer, where the capture tool reads it. Without waiting for the
        // renderer the queued frames pile up faster than they are drawn.
        glFinish();
        SDL_GL_SwapWindow(window);
        return;
    }
    int drawable_width, drawable_height;
    SDL_GL_GetDrawableSize(window, &drawable_width, &drawable_height);
    render_target_present(drawable_width, drawable_height);
    SDL_GL_SwapWindow(window);
    render_target_bind();
}

void platform_pump_messages() {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        WindowMessage message = WindowMessage::other;
        if (event.type == SDL_KEYDOWN)
            message = (event.key.keysym.mod & KMOD_ALT) ? WindowMessage::system_key_down
                                                        : WindowMessage::key_down;
        else if (event.type == SDL_QUIT)
            message = WindowMessage::close;
        window_proc(message);
    }
}

void platform_post_key_down(bool alt_held) {
    SDL_Event event = {};
    event.type = SDL_KEYDOWN;
    event.key.state = SDL_PRESSED;
    event.key.keysym.sym = SDLK_a;
    event.key.keysym.scancode = SDL_SCANCODE_A;
    event.key.keysym.mod = alt_held ? KMOD_LALT : KMOD_NONE;
    SDL_PushEvent(&event);
}

void platform_show_cursor(bool shown) { SDL_ShowCursor(shown ? SDL_ENABLE : SDL_DISABLE); }
