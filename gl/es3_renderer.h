// The fixed-function renderer on OpenGL ES 3.0: the GL 1.x calls of
// gl/gl_functions.h carried out with GL's own equations on shaders it
// generates per state. gl_load(GlChoice::es3, ...) installs it.
//
// Covers, as GL 1.x specifies them:
// - glBegin/glEnd of triangles, triangle strips and fans, quads, quad strips
//   and polygons, with the current normal, colour and texture coordinates;
//   vertex, normal and texture-coordinate arrays of floats, set one by one or
//   with glInterleavedArrays, drawn with glDrawArrays in the same modes.
// - The modelview (32 deep), projection and texture (4 deep) matrix stacks
//   and glLoadIdentity, glLoadMatrixf, glTranslatef, glRotatef, glScalef,
//   glFrustum, glOrtho, in single precision as GL keeps them.
// - Lighting per vertex: eight lights, positional (position taken through
//   the modelview at glLightfv time, constant/linear/quadratic attenuation)
//   or directional, ambient and diffuse terms with GL's default material
//   and light model; GL_NORMALIZE (without it normals keep the length the
//   modelview gives them); flat and smooth shading with GL's provoking
//   vertex for every primitive (the last vertex of a quad, the first of a
//   polygon); vertex colours clamped to 0..1.
// - Fog: linear, exp and exp2 of the eye-plane distance |z|, the factor
//   taken per fragment; one 2D texture unit in modulate mode (a texture
//   without a complete image draws as if texturing were off, as GL 1.x
//   says); GL_CLAMP sampled with the border's black as GL does.
// - Blend, depth, cull, scissor, viewport and clear state; glPushAttrib and
//   glPopAttrib of the current, enable, lighting, fog, depth, colour-buffer,
//   polygon, scissor, texture, transform and viewport groups;
//   glPushClientAttrib of the vertex-array and pixel-store groups.
// - glGet*, glIsEnabled, glGetLightfv and the texture queries for that
//   state; glGetTexImage of RGB and RGBA textures; glReadPixels in GL_RGB as
//   well as GL_RGBA. GL's errors where GL raises them (a refused call changes
//   nothing), also reported through glDebugMessageCallback.
// - Framebuffer and renderbuffer objects and the blit, passed to the driver.
//
// Leaves out, because the show never uses them: glMaterial and colour
// material (specular light colours are kept, but the default material's
// black specular makes them add nothing), spot lights, two-sided lighting,
// a local viewer, texture environments other than modulate, more than one
// texture unit, texture coordinate generation, points and lines
// (GL_LINE_SMOOTH is accepted and has nothing to smooth), alpha test,
// stencil, polygon modes, display lists, fog coordinates, colour index,
// selection and feedback. Asking for them raises GL_INVALID_ENUM, or, for
// the primitives, GL_INVALID_OPERATION at glEnd.
#pragma once
#include "gl/gl_table.h"

// Loads the ES 3.0 entry points the renderer needs and points every entry of
// *table at the renderer. False, with *why, when the context cannot serve.
bool es3_install(GlApi* table, GlProcLoader get_proc, const char** why);

namespace es3 {
#define ES3_DECLARE(ret, name, params) ret GLAPIENTRY name params;
GL_API_FUNCTIONS(ES3_DECLARE)
#undef ES3_DECLARE
} // namespace es3
