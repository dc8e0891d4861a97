// The GL the show draws with: every GL name the scenes, geometry, runtime and
// tools call goes through one dispatch table, filled at start-up either with
// the driver's own entry points or with our fixed-function renderer on
// OpenGL ES 3.0. Include this instead of <GL/gl.h> (never both in one file).
//
// Choosing:
//   gl_load(GlChoice::compatibility, get_proc, &why)  desktop compatibility
//       context; every name goes straight to the driver (one indirect call).
//   gl_load(GlChoice::es3, get_proc, &why)  an OpenGL ES 3.0 context, or
//       WebGL 2: the GL 1.x calls are carried out by gl/es3_*.cpp on shaders.
//   Call it once the context is current, before any other GL call; it
//   returns false (with the reason in *why) when the context cannot serve
//   the choice. The show's own window code does this (`--gl=es3`).
//
// Building: compile every gl/*.cpp. They use no GL headers and link no GL
// library: all driver entry points come from get_proc. With ES 3.0 the
// renderer uses only what GLES 3.0 and WebGL 2 have: GLSL ES 3.00, buffer
// objects (glBufferData/glBufferSubData, no client arrays, no mapping),
// triangles only (quads and strips are turned into triangles), texture
// names of its own behind the show's fixed texture ids, and no feedback
// loops (glGetTexImage reads through a framebuffer of its own).
//
// The platform provides: a current context (ES 3.0 / WebGL 2 for es3) and a
// get_proc(name) that returns the entry point for a "gl..." name or null
// (SDL_GL_GetProcAddress serves; in a browser, emscripten's
// emscripten_webgl_get_proc_address or SDL's). Under es3 it must not call
// the driver directly while the show draws: the renderer keeps its own copy
// of the driver's state (bound program, buffers, vertex arrays, texture).
//
// What the es3 renderer covers and leaves out: gl/es3_renderer.h.
#pragma once
#include "gl/gl_table.h"

#define glEnable gl_api.Enable
#define glDisable gl_api.Disable
#define glIsEnabled gl_api.IsEnabled
#define glBlendFunc gl_api.BlendFunc
#define glDepthFunc gl_api.DepthFunc
#define glDepthMask gl_api.DepthMask
#define glCullFace gl_api.CullFace
#define glShadeModel gl_api.ShadeModel
#define glClearColor gl_api.ClearColor
#define glClearDepth gl_api.ClearDepth
#define glClear gl_api.Clear
#define glViewport gl_api.Viewport
#define glScissor gl_api.Scissor
#define glPixelStorei gl_api.PixelStorei
#define glFinish gl_api.Finish
#define glPushAttrib gl_api.PushAttrib
#define glPopAttrib gl_api.PopAttrib
#define glGetError gl_api.GetError
#define glGetString gl_api.GetString
#define glGetBooleanv gl_api.GetBooleanv
#define glGetIntegerv gl_api.GetIntegerv
#define glGetFloatv gl_api.GetFloatv
#define glGetDoublev gl_api.GetDoublev
#define glDebugMessageCallback gl_api.DebugMessageCallback
#define glMatrixMode gl_api.MatrixMode
#define glLoadIdentity gl_api.LoadIdentity
#define glLoadMatrixf gl_api.LoadMatrixf
#define glPushMatrix gl_api.PushMatrix
#define glPopMatrix gl_api.PopMatrix
#define glTranslatef gl_api.Translatef
#define glRotatef gl_api.Rotatef
#define glScalef gl_api.Scalef
#define glFrustum gl_api.Frustum
#define glOrtho gl_api.Ortho
#define glLightf gl_api.Lightf
#define glLightfv gl_api.Lightfv
#define glGetLightfv gl_api.GetLightfv
#define glFogi gl_api.Fogi
#define glFogf gl_api.Fogf
#define glFogfv gl_api.Fogfv
#define glBegin gl_api.Begin
#define glEnd gl_api.End
#define glVertex2f gl_api.Vertex2f
#define glVertex3f gl_api.Vertex3f
#define glVertex3fv gl_api.Vertex3fv
#define glNormal3f gl_api.Normal3f
#define glNormal3fv gl_api.Normal3fv
#define glColor3f gl_api.Color3f
#define glColor4f gl_api.Color4f
#define glColor4fv gl_api.Color4fv
#define glColor4ubv gl_api.Color4ubv
#define glTexCoord2f gl_api.TexCoord2f
#define glTexCoord2fv gl_api.TexCoord2fv
#define glEnableClientState gl_api.EnableClientState
#define glDisableClientState gl_api.DisableClientState
#define glVertexPointer gl_api.VertexPointer
#define glNormalPointer gl_api.NormalPointer
#define glTexCoordPointer gl_api.TexCoordPointer
#define glInterleavedArrays gl_api.InterleavedArrays
#define glDrawArrays gl_api.DrawArrays
#define glPushClientAttrib gl_api.PushClientAttrib
#define glPopClientAttrib gl_api.PopClientAttrib
#define glGenTextures gl_api.GenTextures
#define glDeleteTextures gl_api.DeleteTextures
#define glIsTexture gl_api.IsTexture
#define glBindTexture gl_api.BindTexture
#define glTexParameteri gl_api.TexParameteri
#define glTexImage2D gl_api.TexImage2D
#define glGetTexParameteriv gl_api.GetTexParameteriv
#define glGetTexLevelParameteriv gl_api.GetTexLevelParameteriv
#define glGetTexImage gl_api.GetTexImage
#define glReadPixels gl_api.ReadPixels
#define glGenFramebuffers gl_api.GenFramebuffers
#define glBindFramebuffer gl_api.BindFramebuffer
#define glGenRenderbuffers gl_api.GenRenderbuffers
#define glBindRenderbuffer gl_api.BindRenderbuffer
#define glRenderbufferStorage gl_api.RenderbufferStorage
#define glFramebufferRenderbuffer gl_api.FramebufferRenderbuffer
#define glCheckFramebufferStatus gl_api.CheckFramebufferStatus
#define glBlitFramebuffer gl_api.BlitFramebuffer
