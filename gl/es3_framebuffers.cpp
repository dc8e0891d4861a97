// Framebuffer and renderbuffer objects, the blit, and reading pixels back:
// ES 3.0 has them all, so they go to the driver; glReadPixels in GL_RGB is
// read as RGBA and packed.
#include "gl/es3_framebuffers.h"

#include <cstdint>
#include <cstring>
#include <vector>

#include "gl/es3_renderer.h"

namespace es3 {

void read_pixels_as(GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, void* out) {
    const int components = format == GL_RGBA ? 4 : 3;
    const size_t alignment = size_t(ctx.c.pack_alignment);
    const size_t row = size_t(width) * components;
    const size_t stride = (row + alignment - 1) / alignment * alignment;
    if (format == GL_RGBA && stride == row) {
        driver.ReadPixels(x, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, out);
        return;
    }
    static std::vector<uint8_t> rgba;
    rgba.resize(size_t(width) * height * 4);
    driver.PixelStorei(GL_PACK_ALIGNMENT, 4);
    driver.ReadPixels(x, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    driver.PixelStorei(GL_PACK_ALIGNMENT, ctx.c.pack_alignment);
    for (GLsizei j = 0; j < height; ++j) {
        const uint8_t* from = &rgba[size_t(j) * width * 4];
        uint8_t* to = static_cast<uint8_t*>(out) + size_t(j) * stride;
        if (components == 4) {
            std::memcpy(to, from, row);
            continue;
        }
        for (GLsizei i = 0; i < width; ++i, from += 4, to += 3) {
            to[0] = from[0];
            to[1] = from[1];
            to[2] = from[2];
        }
    }
}

void GLAPIENTRY ReadPixels(GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type, void* data) {
    if (!outside_begin("glReadPixels")) return;
    if (width < 0 || height < 0) {
        set_error(GL_INVALID_VALUE, "glReadPixels: negative size");
        return;
    }
    if (type == GL_UNSIGNED_BYTE && (format == GL_RGB || format == GL_RGBA))
        read_pixels_as(x, y, width, height, format, data);
    else
        driver.ReadPixels(x, y, width, height, format, type, data);
}

void GLAPIENTRY GenFramebuffers(GLsizei n, GLuint* framebuffers) {
    if (outside_begin("glGenFramebuffers")) driver.GenFramebuffers(n, framebuffers);
}

void GLAPIENTRY BindFramebuffer(GLenum target, GLuint framebuffer) {
    if (outside_begin("glBindFramebuffer")) driver.BindFramebuffer(target, framebuffer);
}

void GLAPIENTRY GenRenderbuffers(GLsizei n, GLuint* renderbuffers) {
    if (outside_begin("glGenRenderbuffers")) driver.GenRenderbuffers(n, renderbuffers);
}

void GLAPIENTRY BindRenderbuffer(GLenum target, GLuint renderbuffer) {
    if (outside_begin("glBindRenderbuffer")) driver.BindRenderbuffer(target, renderbuffer);
}

void GLAPIENTRY RenderbufferStorage(GLenum target, GLenum format, GLsizei width, GLsizei height) {
    if (outside_begin("glRenderbufferStorage")) driver.RenderbufferStorage(target, format, width, height);
}

void GLAPIENTRY FramebufferRenderbuffer(GLenum target, GLenum attachment, GLenum renderbuffertarget,
                                        GLuint renderbuffer) {
    if (outside_begin("glFramebufferRenderbuffer"))
        driver.FramebufferRenderbuffer(target, attachment, renderbuffertarget, renderbuffer);
}

GLenum GLAPIENTRY CheckFramebufferStatus(GLenum target) {
    return outside_begin("glCheckFramebufferStatus") ? driver.CheckFramebufferStatus(target) : 0;
}

void GLAPIENTRY BlitFramebuffer(GLint sx0, GLint sy0, GLint sx1, GLint sy1, GLint dx0, GLint dy0, GLint dx1,
                                GLint dy1, GLbitfield mask, GLenum filter) {
    if (outside_begin("glBlitFramebuffer"))
        driver.BlitFramebuffer(sx0, sy0, sx1, sy1, dx0, dy0, dx1, dy1, mask, filter);
}

} // namespace es3
