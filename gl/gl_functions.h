// The GL entry points the show draws through, as one list: the dispatch table
// (gl/gl_api.h), the driver loader and the ES 3.0 renderer are all made from
// it, so an entry cannot be missing from one of them.
//   X(return type, name without "gl", (parameters), (argument names))
#pragma once
#include "gl/gl_enums.h"

#define GL_API_FUNCTIONS(X)                                                                                       \
    /* state */                                                                                                    \
    X(void, Enable, (GLenum cap), (cap))                                                                           \
    X(void, Disable, (GLenum cap), (cap))                                                                          \
    X(GLboolean, IsEnabled, (GLenum cap), (cap))                                                                   \
    X(void, BlendFunc, (GLenum sfactor, GLenum dfactor), (sfactor, dfactor))                                       \
    X(void, DepthFunc, (GLenum func), (func))                                                                      \
    X(void, DepthMask, (GLboolean flag), (flag))                                                                   \
    X(void, CullFace, (GLenum mode), (mode))                                                                       \
    X(void, ShadeModel, (GLenum mode), (mode))                                                                     \
    X(void, ClearColor, (GLfloat r, GLfloat g, GLfloat b, GLfloat a), (r, g, b, a))                                \
    X(void, ClearDepth, (GLdouble depth), (depth))                                                                 \
    X(void, Clear, (GLbitfield mask), (mask))                                                                      \
    X(void, Viewport, (GLint x, GLint y, GLsizei width, GLsizei height), (x, y, width, height))                    \
    X(void, Scissor, (GLint x, GLint y, GLsizei width, GLsizei height), (x, y, width, height))                     \
    X(void, PixelStorei, (GLenum pname, GLint param), (pname, param))                                              \
    X(void, Finish, (), ())                                                                                        \
    X(void, PushAttrib, (GLbitfield mask), (mask))                                                                 \
    X(void, PopAttrib, (), ())                                                                                     \
    /* queries */                                                                                                  \
    X(GLenum, GetError, (), ())                                                                                    \
    X(const GLubyte*, GetString, (GLenum name), (name))                                                            \
    X(void, GetBooleanv, (GLenum pname, GLboolean * data), (pname, data))                                          \
    X(void, GetIntegerv, (GLenum pname, GLint * data), (pname, data))                                              \
    X(void, GetFloatv, (GLenum pname, GLfloat * data), (pname, data))                                              \
    X(void, GetDoublev, (GLenum pname, GLdouble * data), (pname, data))                                            \
    X(void, DebugMessageCallback, (GLDEBUGPROC callback, const void* user), (callback, user))                      \
    /* matrices */                                                                                                 \
    X(void, MatrixMode, (GLenum mode), (mode))                                                                     \
    X(void, LoadIdentity, (), ())                                                                                  \
    X(void, LoadMatrixf, (const GLfloat* m), (m))                                                                  \
    X(void, PushMatrix, (), ())                                                                                    \
    X(void, PopMatrix, (), ())                                                                                     \
    X(void, Translatef, (GLfloat x, GLfloat y, GLfloat z), (x, y, z))                                              \
    X(void, Rotatef, (GLfloat angle, GLfloat x, GLfloat y, GLfloat z), (angle, x, y, z))                           \
    X(void, Scalef, (GLfloat x, GLfloat y, GLfloat z), (x, y, z))                                                  \
    X(void, Frustum, (GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f), (l, r, b, t, n, f)) \
    X(void, Ortho, (GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f), (l, r, b, t, n, f))   \
    /* lights and fog */                                                                                           \
    X(void, Lightf, (GLenum light, GLenum pname, GLfloat param), (light, pname, param))                            \
    X(void, Lightfv, (GLenum light, GLenum pname, const GLfloat* params), (light, pname, params))                  \
    X(void, GetLightfv, (GLenum light, GLenum pname, GLfloat * params), (light, pname, params))                    \
    X(void, Fogi, (GLenum pname, GLint param), (pname, param))                                                     \
    X(void, Fogf, (GLenum pname, GLfloat param), (pname, param))                                                   \
    X(void, Fogfv, (GLenum pname, const GLfloat* params), (pname, params))                                         \
    /* immediate mode */                                                                                           \
    X(void, Begin, (GLenum mode), (mode))                                                                          \
    X(void, End, (), ())                                                                                           \
    X(void, Vertex2f, (GLfloat x, GLfloat y), (x, y))                                                              \
    X(void, Vertex3f, (GLfloat x, GLfloat y, GLfloat z), (x, y, z))                                                \
    X(void, Vertex3fv, (const GLfloat* v), (v))                                                                    \
    X(void, Normal3f, (GLfloat x, GLfloat y, GLfloat z), (x, y, z))                                                \
    X(void, Normal3fv, (const GLfloat* v), (v))                                                                    \
    X(void, Color3f, (GLfloat r, GLfloat g, GLfloat b), (r, g, b))                                                 \
    X(void, Color4f, (GLfloat r, GLfloat g, GLfloat b, GLfloat a), (r, g, b, a))                                   \
    X(void, Color4fv, (const GLfloat* v), (v))                                                                     \
    X(void, Color4ubv, (const GLubyte* v), (v))                                                                    \
    X(void, TexCoord2f, (GLfloat s, GLfloat t), (s, t))                                                            \
    X(void, TexCoord2fv, (const GLfloat* v), (v))                                                                  \
    /* vertex arrays */                                                                                            \
    X(void, EnableClientState, (GLenum array), (array))                                                            \
    X(void, DisableClientState, (GLenum array), (array))                                                           \
    X(void, VertexPointer, (GLint size, GLenum type, GLsizei stride, const void* pointer),                         \
      (size, type, stride, pointer))                                                                               \
    X(void, NormalPointer, (GLenum type, GLsizei stride, const void* pointer), (type, stride, pointer))            \
    X(void, TexCoordPointer, (GLint size, GLenum type, GLsizei stride, const void* pointer),                       \
      (size, type, stride, pointer))                                                                               \
    X(void, InterleavedArrays, (GLenum format, GLsizei stride, const void* pointer), (format, stride, pointer))    \
    X(void, DrawArrays, (GLenum mode, GLint first, GLsizei count), (mode, first, count))                           \
    X(void, PushClientAttrib, (GLbitfield mask), (mask))                                                           \
    X(void, PopClientAttrib, (), ())                                                                               \
    /* textures */                                                                                                 \
    X(void, GenTextures, (GLsizei n, GLuint * textures), (n, textures))                                            \
    X(void, DeleteTextures, (GLsizei n, const GLuint* textures), (n, textures))                                    \
    X(GLboolean, IsTexture, (GLuint texture), (texture))                                                           \
    X(void, BindTexture, (GLenum target, GLuint texture), (target, texture))                                       \
    X(void, TexParameteri, (GLenum target, GLenum pname, GLint param), (target, pname, param))                     \
    X(void, TexImage2D,                                                                                            \
      (GLenum target, GLint level, GLint internalformat, GLsizei width, GLsizei height, GLint border,              \
       GLenum format, GLenum type, const void* pixels),                                                            \
      (target, level, internalformat, width, height, border, format, type, pixels))                                \
    X(void, GetTexParameteriv, (GLenum target, GLenum pname, GLint * params), (target, pname, params))             \
    X(void, GetTexLevelParameteriv, (GLenum target, GLint level, GLenum pname, GLint * params),                    \
      (target, level, pname, params))                                                                              \
    X(void, GetTexImage, (GLenum target, GLint level, GLenum format, GLenum type, void* pixels),                   \
      (target, level, format, type, pixels))                                                                       \
    /* framebuffers */                                                                                             \
    X(void, ReadPixels, (GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type, void* data), \
      (x, y, width, height, format, type, data))                                                                   \
    X(void, GenFramebuffers, (GLsizei n, GLuint * framebuffers), (n, framebuffers))                                \
    X(void, BindFramebuffer, (GLenum target, GLuint framebuffer), (target, framebuffer))                           \
    X(void, GenRenderbuffers, (GLsizei n, GLuint * renderbuffers), (n, renderbuffers))                             \
    X(void, BindRenderbuffer, (GLenum target, GLuint renderbuffer), (target, renderbuffer))                        \
    X(void, RenderbufferStorage, (GLenum target, GLenum format, GLsizei width, GLsizei height),                    \
      (target, format, width, height))                                                                             \
    X(void, FramebufferRenderbuffer,                                                                               \
      (GLenum target, GLenum attachment, GLenum renderbuffertarget, GLuint renderbuffer),                          \
      (target, attachment, renderbuffertarget, renderbuffer))                                                      \
    X(GLenum, CheckFramebufferStatus, (GLenum target), (target))                                                   \
    X(void, BlitFramebuffer,                                                                                       \
      (GLint sx0, GLint sy0, GLint sx1, GLint sy1, GLint dx0, GLint dy0, GLint dx1, GLint dy1, GLbitfield mask,    \
       GLenum filter),                                                                                             \
      (sx0, sy0, sx1, sy1, dx0, dy0, dx1, dy1, mask, filter))
