// A framebuffer object of the render size (8-bit RGB, 16-bit depth, like the
// window's own pixel format) that the scenes draw into; the swap blits it into
// the letterboxed rectangle of the window.
#include "platform/render_target.h"

#include "gl/gl_api.h"

namespace {
GLuint framebuffer;
int render_width, render_height;
} // namespace

Rectangle letterbox(int width, int height) {
    if (static_cast<long>(width) * 3 >= static_cast<long>(height) * 4) {
        const int w = static_cast<int>(static_cast<long>(height) * 4 / 3);
        return {(width - w) / 2, 0, w, height};
    }
    const int h = static_cast<int>(static_cast<long>(width) * 3 / 4);
    return {0, (height - h) / 2, width, h};
}

bool render_target_create(int width, int height, const char** why) {
    if (!gl_api.GenFramebuffers || !gl_api.BindFramebuffer || !gl_api.GenRenderbuffers || !gl_api.BindRenderbuffer ||
        !gl_api.RenderbufferStorage || !gl_api.FramebufferRenderbuffer || !gl_api.CheckFramebufferStatus ||
        !gl_api.BlitFramebuffer) {
        *why = "the OpenGL driver has no framebuffer objects";
        return false;
    }
    GLint largest = 0, viewport[2] = {0, 0};
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &largest);
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
    if (width > largest || height > largest || width > viewport[0] || height > viewport[1]) {
        *why = "the render size is larger than the OpenGL driver can draw";
        return false;
    }
    GLuint buffers[2];
    glGenFramebuffers(1, &framebuffer);
    glGenRenderbuffers(2, buffers);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, buffers[0]);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGB8, width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, buffers[0]);
    glBindRenderbuffer(GL_RENDERBUFFER, buffers[1]);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT16, width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, buffers[1]);
    if (glGetError() != GL_NO_ERROR || glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        *why = "the OpenGL driver cannot make a framebuffer of the render size";
        return false;
    }
    render_width = width;
    render_height = height;
    return true;
}

void render_target_present(int drawable_width, int drawable_height) {
    const Rectangle to = letterbox(drawable_width, drawable_height);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
    // The scenes' clear colour is the fog colour; the bars are black whatever it is.
    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(clear[0], clear[1], clear[2], clear[3]);
    const bool same_size = to.width == render_width && to.height == render_height;
    glBlitFramebuffer(0, 0, render_width, render_height, to.x, to.y, to.x + to.width, to.y + to.height,
                     GL_COLOR_BUFFER_BIT, same_size ? GL_NEAREST : GL_LINEAR);
}

void render_target_bind() { glBindFramebuffer(GL_FRAMEBUFFER, framebuffer); }
