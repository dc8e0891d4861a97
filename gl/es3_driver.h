// The OpenGL ES 3.0 entry points the renderer calls, loaded by name from the
// context (nothing is linked), and the few ES-only constants it needs.
#pragma once
#include "gl/gl_table.h"

#define GL_ARRAY_BUFFER 0x8892
#define GL_STREAM_DRAW 0x88E0
#define GL_STATIC_DRAW 0x88E4
#define GL_FRAGMENT_SHADER 0x8B30
#define GL_VERTEX_SHADER 0x8B31
#define GL_COMPILE_STATUS 0x8B81
#define GL_LINK_STATUS 0x8B82
#define GL_INFO_LOG_LENGTH 0x8B84
#define GL_TEXTURE0 0x84C0

#define ES3_DRIVER_FUNCTIONS(X)                                                                                  \
    X(GLenum, GetError, ())                                                                                       \
    X(const GLubyte*, GetString, (GLenum name))                                                                   \
    X(void, GetIntegerv, (GLenum pname, GLint * data))                                                            \
    X(void, GetFloatv, (GLenum pname, GLfloat * data))                                                            \
    X(void, GetBooleanv, (GLenum pname, GLboolean * data))                                                        \
    X(void, Enable, (GLenum cap))                                                                                 \
    X(void, Disable, (GLenum cap))                                                                                \
    X(void, BlendFunc, (GLenum sfactor, GLenum dfactor))                                                          \
    X(void, DepthFunc, (GLenum func))                                                                             \
    X(void, DepthMask, (GLboolean flag))                                                                          \
    X(void, CullFace, (GLenum mode))                                                                              \
    X(void, FrontFace, (GLenum mode))                                                                             \
    X(void, ClearColor, (GLfloat r, GLfloat g, GLfloat b, GLfloat a))                                             \
    X(void, ClearDepthf, (GLfloat depth))                                                                         \
    X(void, Clear, (GLbitfield mask))                                                                             \
    X(void, Viewport, (GLint x, GLint y, GLsizei width, GLsizei height))                                          \
    X(void, Scissor, (GLint x, GLint y, GLsizei width, GLsizei height))                                           \
    X(void, PixelStorei, (GLenum pname, GLint param))                                                             \
    X(void, Finish, ())                                                                                           \
    X(void, ReadPixels, (GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type, void* data)) \
    X(void, GenTextures, (GLsizei n, GLuint * textures))                                                          \
    X(void, DeleteTextures, (GLsizei n, const GLuint* textures))                                                  \
    X(void, BindTexture, (GLenum target, GLuint texture))                                                         \
    X(void, ActiveTexture, (GLenum texture))                                                                      \
    X(void, TexParameteri, (GLenum target, GLenum pname, GLint param))                                            \
    X(void, TexImage2D,                                                                                           \
      (GLenum target, GLint level, GLint internalformat, GLsizei width, GLsizei height, GLint border,             \
       GLenum format, GLenum type, const void* pixels))                                                           \
    X(void, GenBuffers, (GLsizei n, GLuint * buffers))                                                            \
    X(void, BindBuffer, (GLenum target, GLuint buffer))                                                           \
    X(void, BufferData, (GLenum target, GLsizeiptr size, const void* data, GLenum usage))                         \
    X(void, BufferSubData, (GLenum target, GLintptr offset, GLsizeiptr size, const void* data))                   \
    X(void, GenVertexArrays, (GLsizei n, GLuint * arrays))                                                        \
    X(void, BindVertexArray, (GLuint array))                                                                      \
    X(void, EnableVertexAttribArray, (GLuint index))                                                              \
    X(void, DisableVertexAttribArray, (GLuint index))                                                             \
    X(void, VertexAttribPointer,                                                                                  \
      (GLuint index, GLint size, GLenum type, GLboolean normalized, GLsizei stride, const void* pointer))         \
    X(void, VertexAttrib4fv, (GLuint index, const GLfloat* v))                                                    \
    X(GLuint, CreateShader, (GLenum type))                                                                        \
    X(void, ShaderSource, (GLuint shader, GLsizei count, const GLchar* const* strings, const GLint* lengths))      \
    X(void, CompileShader, (GLuint shader))                                                                       \
    X(void, GetShaderiv, (GLuint shader, GLenum pname, GLint * params))                                           \
    X(void, GetShaderInfoLog, (GLuint shader, GLsizei size, GLsizei * length, GLchar * log))                      \
    X(void, DeleteShader, (GLuint shader))                                                                        \
    X(GLuint, CreateProgram, ())                                                                                  \
    X(void, AttachShader, (GLuint program, GLuint shader))                                                        \
    X(void, LinkProgram, (GLuint program))                                                                        \
    X(void, GetProgramiv, (GLuint program, GLenum pname, GLint * params))                                         \
    X(void, GetProgramInfoLog, (GLuint program, GLsizei size, GLsizei * length, GLchar * log))                    \
    X(void, UseProgram, (GLuint program))                                                                         \
    X(GLint, GetUniformLocation, (GLuint program, const GLchar* name))                                            \
    X(void, Uniform1i, (GLint location, GLint v))                                                                 \
    X(void, Uniform2f, (GLint location, GLfloat x, GLfloat y))                                                    \
    X(void, Uniform3fv, (GLint location, GLsizei count, const GLfloat* v))                                        \
    X(void, Uniform4fv, (GLint location, GLsizei count, const GLfloat* v))                                        \
    X(void, UniformMatrix3fv, (GLint location, GLsizei count, GLboolean transpose, const GLfloat* v))             \
    X(void, UniformMatrix4fv, (GLint location, GLsizei count, GLboolean transpose, const GLfloat* v))             \
    X(void, DrawArrays, (GLenum mode, GLint first, GLsizei count))                                                \
    X(void, GenFramebuffers, (GLsizei n, GLuint * framebuffers))                                                  \
    X(void, BindFramebuffer, (GLenum target, GLuint framebuffer))                                                 \
    X(void, FramebufferTexture2D, (GLenum target, GLenum attachment, GLenum textarget, GLuint texture, GLint level)) \
    X(void, GenRenderbuffers, (GLsizei n, GLuint * renderbuffers))                                                \
    X(void, BindRenderbuffer, (GLenum target, GLuint renderbuffer))                                               \
    X(void, RenderbufferStorage, (GLenum target, GLenum format, GLsizei width, GLsizei height))                   \
    X(void, FramebufferRenderbuffer,                                                                              \
      (GLenum target, GLenum attachment, GLenum renderbuffertarget, GLuint renderbuffer))                         \
    X(GLenum, CheckFramebufferStatus, (GLenum target))                                                            \
    X(void, BlitFramebuffer,                                                                                      \
      (GLint sx0, GLint sy0, GLint sx1, GLint sy1, GLint dx0, GLint dy0, GLint dx1, GLint dy1, GLbitfield mask,   \
       GLenum filter))

namespace es3 {

struct Driver {
#define ES3_DRIVER_MEMBER(ret, name, params) ret(GLAPIENTRY* name) params;
    ES3_DRIVER_FUNCTIONS(ES3_DRIVER_MEMBER)
#undef ES3_DRIVER_MEMBER
    // KHR_debug where the context has it; null otherwise.
    void(GLAPIENTRY* DebugMessageCallback)(GLDEBUGPROC callback, const void* user);
};

extern Driver driver;

// Loads every entry point and checks that the context is OpenGL ES 3.0 or
// later. False, with *why, otherwise.
bool load_driver(GlProcLoader get_proc, const char** why);

} // namespace es3
