// Reading pixels back: the driver is asked for RGBA bytes, the pair every ES
// 3.0 implementation reads, and they are packed as the caller asked.
#pragma once
#include "gl/es3_context.h"

namespace es3 {

// Reads width x height pixels of the read framebuffer as GL_RGB or GL_RGBA
// bytes, rows aligned to the pack alignment.
void read_pixels_as(GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, void* out);

} // namespace es3
