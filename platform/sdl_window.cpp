// Window, OpenGL context, buffer swap, message pump, display mode and cursor
// on SDL2.
#include <GL/gl.h>
#include <SDL.h>

#include "platform/platform.h"

namespace {
SDL_Window* window;
SDL_GLContext gl_context;
char error_text[512];

void keep_error(const char* what) {
    SDL_snprintf(error_text, sizeof error_text, "%s: %s", what, SDL_GetError());
}
} // namespace

bool platform_create_window(const char* title, int width, int height) {
    if (window) return true;
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        keep_error("cannot open a display");
        return false;
    }
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    window = SDL_CreateWindow(title, 0, 0, width, height,
                              SDL_WINDOW_OPENGL | SDL_WINDOW_BORDERLESS | SDL_WINDOW_SHOWN);
    if (!window) {
        keep_error("cannot create the window");
        return false;
    }
    gl_context = SDL_GL_CreateContext(window);
    if (!gl_context) {
        keep_error("cannot create the OpenGL context");
        SDL_DestroyWindow(window);
        window = nullptr;
        return false;
    }
    SDL_GL_MakeCurrent(window, gl_context);
    // Frames are paced by the swap alone.
    SDL_GL_SetSwapInterval(1);
    return true;
}

const char* platform_error() { return error_text; }

void platform_swap_buffers() {
    // Offscreen, nothing paces the swap: without waiting for the renderer the
    // queued frames pile up in memory faster than they are drawn.
    static const bool offscreen = SDL_strcmp(SDL_GetCurrentVideoDriver(), "offscreen") == 0;
    if (offscreen) glFinish();
    SDL_GL_SwapWindow(window);
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

void platform_desktop_size(int* width, int* height) {
    SDL_DisplayMode mode;
    if (SDL_GetDesktopDisplayMode(0, &mode) == 0) {
        *width = mode.w;
        *height = mode.h;
    } else {
        *width = 0;
        *height = 0;
    }
}

void platform_set_display_mode(int width, int height) {
    if (!window) return;
    SDL_DisplayMode desktop;
    if (SDL_GetDesktopDisplayMode(0, &desktop) != 0) return;
    if (width == desktop.w && height == desktop.h) {
        // Back to the desktop: leaving fullscreen restores its mode.
        SDL_SetWindowFullscreen(window, 0);
        return;
    }
    SDL_DisplayMode wanted = {SDL_PIXELFORMAT_RGB888, width, height, 0, nullptr};
    SDL_DisplayMode closest;
    // Only switch when the screen offers this exact size; otherwise the
    // window stays as it is on the unchanged desktop.
    if (!SDL_GetClosestDisplayMode(0, &wanted, &closest)) return;
    if (closest.w != width || closest.h != height) return;
    if (SDL_SetWindowDisplayMode(window, &closest) == 0) SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN);
}

void platform_show_cursor(bool shown) { SDL_ShowCursor(shown ? SDL_ENABLE : SDL_DISABLE); }
