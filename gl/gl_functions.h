// The GL entry points the show draws through, as one list: the dispatch table
// (gl/gl_api.h), the driver loader and the ES 3.0 renderer are all made from
// it, so an entry cannot be missing from one of them.
//   X(return type, name without "gl", (parameters))
#pragma once
#include "gl/gl_enums.h"

#define GL_API_FUNCTIONS(X)                                                                                          \
    /* state */                                                                                                      \
    X(void, Enable, (GLenum cap))                                                                                    \
    X(void, Disable, (GLenum cap))                                                                                   \
    X(GLboolean, IsEnabled, (GLenum cap))                                                                            \
    X(void, BlendFunc, (GLenum sfactor, GLenum dfactor))                                                             \
    X(void, DepthFunc, (GLenum func))                                                                                \
    X(void, DepthMask, (GLboolean flag))                                                                             \
    X(void, CullFace, (GLenum mode))                                                                                 \
    X(void, ShadeModel, (GLenum mode))                                                                               \
    X(void, ClearColor, (GLfloat r, GLfloat g, GLfloat b, GLfloat a))                                                \
    X(void, ClearDepth, (GLdouble depth))                                                                            \
    X(void, Clear, (GLbitfield mask))                                                                                \
    X(void, Viewport, (GLint x, GLint y, GLsizei width, GLsizei height))                                             \
    X(void, Scissor, (GLint x, GLint y, GLsizei width, GLsizei height))                                              \
    X(void, PixelStorei, (GLenum pname, GLint param))                                                                \
    X(void, Finish, ())                                                                                              \
    X(void, PushAttrib, (GLbitfield mask))                                                                           \
    X(void, PopAttrib, ())                                                                                           \
    /* queries */                                                                                                    \
    X(GLenum, GetError, ())                                                                                          \
    X(const GLubyte*, GetString, (GLenum name))                                                                      \
    X(void, GetBooleanv, (GLenum pname, GLboolean * data))                                                           \
    X(void, GetIntegerv, (GLenum pname, GLint * data))                                                               \
    X(void, GetFloatv, (GLenum pname, GLfloat * data))                                                               \
    X(void, GetDoublev, (GLenum pname, GLdouble * data))                                                             \
    X(void, DebugMessageCallback, (GLDEBUGPROC callback, const void* user))                                          \
    /* matrices */                                                                                                   \
    X(void, MatrixMode, (GLenum mode))                                                                               \
    X(void, LoadIdentity, ())                                                                                        \
    X(void, LoadMatrixf, (const GLfloat* m))                                                                         \
    X(void, PushMatrix, ())                                                                                          \
    X(void, PopMatrix, ())                                                                                           \
    X(void, Translatef, (GLfloat x, GLfloat y, GLfloat z))                                                           \
    X(void, Rotatef, (GLfloat angle, GLfloat x, GLfloat y, GLfloat z))                                               \
    X(void, Scalef, (GLfloat x, GLfloat y, GLfloat z))                                                               \
    X(void, Frustum, (GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f))                       \
    X(void, Ortho, (GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f))                         \
    /* lights and fog */                                                                                             \
    X(void, Lightf, (GLenum light, GLenum pname, GLfloat param))                                                     \
    X(void, Lightfv, (GLenum light, GLenum pname, const GLfloat* params))                                            \
    X(void, GetLightfv, (GLenum light, GLenum pname, GLfloat * params))                                              \
    X(void, Fogi, (GLenum pname, GLint param))                                                                       \
    X(void, Fogf, (GLenum pname, GLfloat param))                                                                     \
    X(void, Fogfv, (GLenum pname, const GLfloat* params))                                                            \
    /* immediate mode */                                                                                             \
    X(void, Begin, (GLenum mode))                                                                                    \
    X(void, End, ())                                                                                                 \
    X(void, Vertex2f, (GLfloat x, GLfloat y))                                                                        \
    X(void, Vertex3f, (GLfloat x, GLfloat y, GLfloat z))                                                             \
    X(void, Vertex3fv, (const GLfloat* v))                                                                           \
    X(void, Normal3f, (GLfloat x, GLfloat y, GLfloat z))                                                             \
    X(void, Normal3fv, (const GLfloat* v))                                                                           \
    X(void, Color3f, (GLfloat r, GLfloat g, GLfloat b))                                                              \
    X(void, Color4f, (GLfloat r, GLfloat g, GLfloat b, GLfloat a))                                                   \
    X(void, Color4fv, (const GLfloat* v))                                                                            \
    X(void, Color4ubv, (const GLubyte* v))                                                                           \
    X(void, TexCoord2f, (GLfloat s, GLfloat t))                                                                      \
    X(void, TexCoord2fv, (const GLfloat* v))                                                                         \
    /* vertex arrays */                                                                                              \
    X(void, EnableClientState, (GLenum array))                                                                       \
    X(void, DisableClientState, (GLenum array))                                                                      \
    X(void, VertexPointer, (GLint size, GLenum type, GLsizei stride, const void* pointer))                           \
    X(void, NormalPointer, (GLenum type, GLsizei stride, const void* pointer))                                       \
    X(void, TexCoordPointer, (GLint size, GLenum type, GLsizei stride, const void* pointer))                         \
    X(void, InterleavedArrays, (GLenum format, GLsizei stride, const void* pointer))                                 \
    X(void, DrawArrays, (GLenum mode, GLint first, GLsizei count))                                                   \
    X(void, PushClientAttrib, (GLbitfield mask))                                                                     \
    X(void, PopClientAttrib, ())                                                                                     \
    /* textures */                                                                                                   \
    X(void, GenTextures, (GLsizei n, GLuint * textures))                                                             \
    X(void, DeleteTextures, (GLsizei n, const GLuint* textures))                                                     \
    X(GLboolean, IsTexture, (GLuint texture))                                                                        \
    X(void, BindTexture, (GLenum target, GLuint texture))                                                            \
    X(void, TexParameteri, (GLenum target, GLenum pname, GLint param))                                               \
    X(void, TexImage2D,                                                                                              \
      (GLenum target, GLint level, GLint internalformat, GLsizei width, GLsizei height, GLint border, GLenum format, \
       GLenum type, const void* pixels))                                                                             \
    X(void, GetTexParameteriv, (GLenum target, GLenum pname, GLint * params))                                        \
    X(void, GetTexLevelParameteriv, (GLenum target, GLint level, GLenum pname, GLint * params))                      \
    X(void, GetTexImage, (GLenum target, GLint level, GLenum format, GLenum type, void* pixels))                     \
    /* framebuffers */                                                                                               \
    X(void, ReadPixels, (GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type, void* data))   \
    X(void, GenFramebuffers, (GLsizei n, GLuint * framebuffers))                                                     \
    X(void, BindFramebuffer, (GLenum target, GLuint framebuffer))                                                    \
    X(void, GenRenderbuffers, (GLsizei n, GLuint * renderbuffers))                                                   \
    X(void, BindRenderbuffer, (GLenum target, GLuint renderbuffer))                                                  \
    X(void, RenderbufferStorage, (GLenum target, GLenum format, GLsizei width, GLsizei height))                      \
    X(void, FramebufferRenderbuffer,                                                                                 \
      (GLenum target, GLenum attachment, GLenum renderbuffertarget, GLuint renderbuffer))                            \
    X(GLenum, CheckFramebufferStatus, (GLenum target))                                                               \
    X(void, BlitFramebuffer,                                                                                         \
      (GLint sx0, GLint sy0, GLint sx1, GLint sy1, GLint dx0, GLint dy0, GLint dx1, GLint dy1, GLbitfield mask,      \
       GLenum filter))
