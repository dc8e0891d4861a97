// Enables and the raster state: what only the renderer's shaders act on
// (lighting, fog, texturing, normalising) is kept here, what the driver acts
// on (blending, depth, culling, scissor, viewport, clearing) is kept here
// and passed on as it changes.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "gl/es3_context.h"
#include "gl/es3_renderer.h"

namespace es3 {

bool* capability(GLenum cap, bool* driver_cap) {
    ServerState& s = ctx.s;
    *driver_cap = false;
    if (cap >= GL_LIGHT0 && cap < GL_LIGHT0 + max_lights) return &s.light_enabled[cap - GL_LIGHT0];
    switch (cap) {
    case GL_LIGHTING: return &s.lighting;
    case GL_NORMALIZE: return &s.normalize;
    case GL_FOG: return &s.fog;
    case GL_TEXTURE_2D: return &s.texture_2d;
    case GL_LINE_SMOOTH: return &s.line_smooth;
    case GL_DEBUG_OUTPUT: return &ctx.debug_output;
    default: break;
    }
    *driver_cap = true;
    switch (cap) {
    case GL_BLEND: return &s.blend;
    case GL_DEPTH_TEST: return &s.depth_test;
    case GL_CULL_FACE: return &s.cull_face;
    case GL_SCISSOR_TEST: return &s.scissor_test;
    case GL_DITHER: return &s.dither;
    default: return nullptr;
    }
}

namespace {
void set_capability(GLenum cap, bool on, const char* function) {
    if (!outside_begin(function)) return;
    if (cap == GL_DEBUG_OUTPUT_SYNCHRONOUS) {
        // Our own errors are always reported from the call that raised them.
        if (driver.DebugMessageCallback) (on ? driver.Enable : driver.Disable)(cap);
        return;
    }
    bool driver_cap = false;
    bool* flag = capability(cap, &driver_cap);
    if (!flag) {
        char message[80];
        std::snprintf(message, sizeof message, "%s: capability 0x%04x", function, cap);
        set_error(GL_INVALID_ENUM, message);
        return;
    }
    if (*flag == on) return;
    *flag = on;
    if (cap >= GL_LIGHT0 && cap < GL_LIGHT0 + max_lights) ++ctx.serials.lights;
    if (driver_cap || (cap == GL_DEBUG_OUTPUT && driver.DebugMessageCallback))
        (on ? driver.Enable : driver.Disable)(cap);
}

bool valid_blend_factor(GLenum factor, bool source) {
    switch (factor) {
    case GL_ZERO: case GL_ONE:
    case GL_SRC_COLOR: case GL_ONE_MINUS_SRC_COLOR: case GL_DST_COLOR: case GL_ONE_MINUS_DST_COLOR:
    case GL_SRC_ALPHA: case GL_ONE_MINUS_SRC_ALPHA: case GL_DST_ALPHA: case GL_ONE_MINUS_DST_ALPHA:
        return true;
    case GL_SRC_ALPHA_SATURATE:
        return source;
    default:
        return false;
    }
}
} // namespace

void apply_driver_state() {
    const ServerState& s = ctx.s;
    const std::pair<GLenum, bool> caps[] = {{GL_BLEND, s.blend},
                                            {GL_DEPTH_TEST, s.depth_test},
                                            {GL_CULL_FACE, s.cull_face},
                                            {GL_SCISSOR_TEST, s.scissor_test},
                                            {GL_DITHER, s.dither}};
    for (const auto& cap : caps) (cap.second ? driver.Enable : driver.Disable)(cap.first);
    driver.BlendFunc(s.blend_src, s.blend_dst);
    driver.DepthFunc(s.depth_func);
    driver.DepthMask(s.depth_mask);
    driver.CullFace(s.cull_mode);
    driver.FrontFace(s.front_face);
    driver.ClearColor(s.clear_colour[0], s.clear_colour[1], s.clear_colour[2], s.clear_colour[3]);
    driver.ClearDepthf(s.clear_depth);
    driver.Scissor(s.scissor[0], s.scissor[1], s.scissor[2], s.scissor[3]);
    driver.Viewport(s.viewport[0], s.viewport[1], s.viewport[2], s.viewport[3]);
    driver.BindTexture(GL_TEXTURE_2D, bound_texture().name);
}

void GLAPIENTRY Enable(GLenum cap) { set_capability(cap, true, "glEnable"); }
void GLAPIENTRY Disable(GLenum cap) { set_capability(cap, false, "glDisable"); }

GLboolean GLAPIENTRY IsEnabled(GLenum cap) {
    if (!outside_begin("glIsEnabled")) return GL_FALSE;
    bool driver_cap = false;
    const bool* flag = capability(cap, &driver_cap);
    if (flag) return *flag ? GL_TRUE : GL_FALSE;
    const ClientState& c = ctx.c;
    switch (cap) {
    case GL_VERTEX_ARRAY: return c.vertex.enabled;
    case GL_NORMAL_ARRAY: return c.normal.enabled;
    case GL_TEXTURE_COORD_ARRAY: return c.texcoord.enabled;
    case GL_COLOR_ARRAY: return c.colour.enabled;
    case GL_INDEX_ARRAY: return c.index.enabled;
    case GL_EDGE_FLAG_ARRAY: return c.edge_flag.enabled;
    default: break;
    }
    set_error(GL_INVALID_ENUM, "glIsEnabled: unknown capability");
    return GL_FALSE;
}

void GLAPIENTRY BlendFunc(GLenum sfactor, GLenum dfactor) {
    if (!outside_begin("glBlendFunc")) return;
    if (!valid_blend_factor(sfactor, true) || !valid_blend_factor(dfactor, false)) {
        set_error(GL_INVALID_ENUM, "glBlendFunc: unknown factor");
        return;
    }
    ctx.s.blend_src = sfactor;
    ctx.s.blend_dst = dfactor;
    driver.BlendFunc(sfactor, dfactor);
}

void GLAPIENTRY DepthFunc(GLenum func) {
    if (!outside_begin("glDepthFunc")) return;
    if (func < GL_NEVER || func > GL_ALWAYS) {
        set_error(GL_INVALID_ENUM, "glDepthFunc: unknown function");
        return;
    }
    ctx.s.depth_func = func;
    driver.DepthFunc(func);
}

void GLAPIENTRY DepthMask(GLboolean flag) {
    if (!outside_begin("glDepthMask")) return;
    ctx.s.depth_mask = flag != GL_FALSE;
    driver.DepthMask(flag);
}

void GLAPIENTRY CullFace(GLenum mode) {
    if (!outside_begin("glCullFace")) return;
    if (mode != GL_FRONT && mode != GL_BACK && mode != GL_FRONT_AND_BACK) {
        set_error(GL_INVALID_ENUM, "glCullFace: unknown face");
        return;
    }
    ctx.s.cull_mode = mode;
    driver.CullFace(mode);
}

void GLAPIENTRY ShadeModel(GLenum mode) {
    if (!outside_begin("glShadeModel")) return;
    if (mode != GL_FLAT && mode != GL_SMOOTH) {
        set_error(GL_INVALID_ENUM, "glShadeModel: unknown model");
        return;
    }
    ctx.s.shade_model = mode;
}

void GLAPIENTRY ClearColor(GLfloat r, GLfloat g, GLfloat b, GLfloat a) {
    if (!outside_begin("glClearColor")) return;
    const float clamped[4] = {std::fmin(std::fmax(r, 0.0f), 1.0f), std::fmin(std::fmax(g, 0.0f), 1.0f),
                              std::fmin(std::fmax(b, 0.0f), 1.0f), std::fmin(std::fmax(a, 0.0f), 1.0f)};
    std::memcpy(ctx.s.clear_colour, clamped, sizeof clamped);
    driver.ClearColor(clamped[0], clamped[1], clamped[2], clamped[3]);
}

void GLAPIENTRY ClearDepth(GLdouble depth) {
    if (!outside_begin("glClearDepth")) return;
    ctx.s.clear_depth = static_cast<float>(depth < 0 ? 0 : depth > 1 ? 1 : depth);
    driver.ClearDepthf(ctx.s.clear_depth);
}

void GLAPIENTRY Clear(GLbitfield mask) {
    if (!outside_begin("glClear")) return;
    if (mask & ~GLbitfield(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | 0x400 /* stencil */)) {
        set_error(GL_INVALID_VALUE, "glClear: unknown buffer bits");
        return;
    }
    driver.Clear(mask);
}

namespace {
bool set_rectangle(GLint* rectangle, GLint x, GLint y, GLsizei width, GLsizei height, const char* function) {
    if (!outside_begin(function)) return false;
    if (width < 0 || height < 0) {
        char message[64];
        std::snprintf(message, sizeof message, "%s: negative size", function);
        set_error(GL_INVALID_VALUE, message);
        return false;
    }
    const GLint r[4] = {x, y, width, height};
    std::memcpy(rectangle, r, sizeof r);
    return true;
}
} // namespace

void GLAPIENTRY Viewport(GLint x, GLint y, GLsizei width, GLsizei height) {
    if (set_rectangle(ctx.s.viewport, x, y, width, height, "glViewport")) driver.Viewport(x, y, width, height);
}

void GLAPIENTRY Scissor(GLint x, GLint y, GLsizei width, GLsizei height) {
    if (set_rectangle(ctx.s.scissor, x, y, width, height, "glScissor")) driver.Scissor(x, y, width, height);
}

void GLAPIENTRY PixelStorei(GLenum pname, GLint param) {
    if (!outside_begin("glPixelStorei")) return;
    GLint* value = pname == GL_PACK_ALIGNMENT ? &ctx.c.pack_alignment
                   : pname == GL_UNPACK_ALIGNMENT ? &ctx.c.unpack_alignment
                                                  : nullptr;
    if (!value) {
        set_error(GL_INVALID_ENUM, "glPixelStorei: only the pack and unpack alignments");
        return;
    }
    if (param != 1 && param != 2 && param != 4 && param != 8) {
        set_error(GL_INVALID_VALUE, "glPixelStorei: alignment must be 1, 2, 4 or 8");
        return;
    }
    *value = param;
    driver.PixelStorei(pname, param);
}

void GLAPIENTRY Finish() {
    if (!outside_begin("glFinish")) return;
    driver.Finish();
}

} // namespace es3
