// glGet* for the state the renderer keeps, converted between types as GL
// converts them; anything else is the driver's to answer.
#include <cmath>
#include <cstring>

#include "gl/es3_context.h"
#include "gl/es3_renderer.h"

namespace es3 {

namespace {
struct Values {
    int count = 0;
    bool colour = false; // colours become integers scaled to the full range
    double v[16];
};

Values values(std::initializer_list<double> list, bool colour = false) {
    Values r;
    for (double x : list) r.v[r.count++] = x;
    r.colour = colour;
    return r;
}

Values values(const float* from, int count, bool colour = false) {
    Values r;
    for (; r.count < count; ++r.count) r.v[r.count] = from[r.count];
    r.colour = colour;
    return r;
}

Values values(const GLint* from, int count) {
    Values r;
    for (; r.count < count; ++r.count) r.v[r.count] = from[r.count];
    return r;
}

// The values of a name the renderer keeps; count 0 for the driver's names.
Values kept(GLenum pname) {
    const ServerState& s = ctx.s;
    const ClientState& c = ctx.c;
    bool driver_cap = false;
    if (const bool* flag = capability(pname, &driver_cap)) return values({*flag ? 1.0 : 0.0});
    switch (pname) {
    case GL_CURRENT_COLOR: return values(s.colour, 4, true);
    case GL_CURRENT_NORMAL: return values(s.normal, 3);
    case GL_CURRENT_TEXTURE_COORDS: return values(s.texcoord, 4);
    case GL_CULL_FACE_MODE: return values({double(s.cull_mode)});
    case GL_FRONT_FACE: return values({double(s.front_face)});
    case GL_SHADE_MODEL: return values({double(s.shade_model)});
    case GL_LIGHT_MODEL_AMBIENT: return values(s.model_ambient, 4, true);
    case GL_DEPTH_RANGE: return values({0.0, 1.0});
    case GL_DEPTH_WRITEMASK: return values({s.depth_mask ? 1.0 : 0.0});
    case GL_DEPTH_CLEAR_VALUE: return values({double(s.clear_depth)});
    case GL_DEPTH_FUNC: return values({double(s.depth_func)});
    case GL_MATRIX_MODE: return values({double(s.matrix_mode)});
    case GL_VIEWPORT: return values(s.viewport, 4);
    case GL_SCISSOR_BOX: return values(s.scissor, 4);
    case GL_MODELVIEW_STACK_DEPTH: return values({double(ctx.stacks[0].size())});
    case GL_PROJECTION_STACK_DEPTH: return values({double(ctx.stacks[1].size())});
    case GL_TEXTURE_STACK_DEPTH: return values({double(ctx.stacks[2].size())});
    case GL_MODELVIEW_MATRIX: return values(ctx.stacks[0].back().m, 16);
    case GL_PROJECTION_MATRIX: return values(ctx.stacks[1].back().m, 16);
    case GL_TEXTURE_MATRIX: return values(ctx.stacks[2].back().m, 16);
    case GL_ATTRIB_STACK_DEPTH: return values({double(ctx.attrib_stack.size())});
    case GL_CLIENT_ATTRIB_STACK_DEPTH: return values({double(ctx.client_attrib_stack.size())});
    case GL_MAX_ATTRIB_STACK_DEPTH:
    case GL_MAX_CLIENT_ATTRIB_STACK_DEPTH: return values({double(max_attrib_depth)});
    case GL_MAX_MODELVIEW_STACK_DEPTH:
    case GL_MAX_PROJECTION_STACK_DEPTH:
    case GL_MAX_TEXTURE_STACK_DEPTH: return values({double(max_stack_depth)});
    case GL_MAX_LIGHTS: return values({double(max_lights)});
    case GL_BLEND_SRC: return values({double(s.blend_src)});
    case GL_BLEND_DST: return values({double(s.blend_dst)});
    case GL_COLOR_CLEAR_VALUE: return values(s.clear_colour, 4, true);
    case GL_PACK_ALIGNMENT: return values({double(c.pack_alignment)});
    case GL_UNPACK_ALIGNMENT: return values({double(c.unpack_alignment)});
    case GL_TEXTURE_BINDING_2D: return values({double(s.texture_binding)});
    case GL_FOG_MODE: return values({double(s.fog_mode)});
    case GL_FOG_DENSITY: return values({double(s.fog_density)});
    case GL_FOG_START: return values({double(s.fog_start)});
    case GL_FOG_END: return values({double(s.fog_end)});
    case GL_FOG_COLOR: return values(s.fog_colour, 4, true);
    case GL_FOG_COORD_SRC: return values({double(GL_FRAGMENT_DEPTH)});
    case GL_VERTEX_ARRAY: return values({c.vertex.enabled ? 1.0 : 0.0});
    case GL_NORMAL_ARRAY: return values({c.normal.enabled ? 1.0 : 0.0});
    case GL_TEXTURE_COORD_ARRAY: return values({c.texcoord.enabled ? 1.0 : 0.0});
    case GL_COLOR_ARRAY: return values({c.colour.enabled ? 1.0 : 0.0});
    default: return Values();
    }
}
} // namespace

const GLubyte* GLAPIENTRY GetString(GLenum name) {
    return outside_begin("glGetString") ? driver.GetString(name) : nullptr;
}

void GLAPIENTRY GetBooleanv(GLenum pname, GLboolean* data) {
    if (!outside_begin("glGetBooleanv")) return;
    const Values r = kept(pname);
    if (r.count == 0) return driver.GetBooleanv(pname, data);
    for (int k = 0; k < r.count; ++k) data[k] = r.v[k] != 0 ? GL_TRUE : GL_FALSE;
}

void GLAPIENTRY GetIntegerv(GLenum pname, GLint* data) {
    if (!outside_begin("glGetIntegerv")) return;
    const Values r = kept(pname);
    if (r.count == 0) return driver.GetIntegerv(pname, data);
    for (int k = 0; k < r.count; ++k)
        data[k] = r.colour ? GLint(std::lround((r.v[k] * 4294967295.0 - 1.0) / 2.0)) : GLint(std::lround(r.v[k]));
}

void GLAPIENTRY GetFloatv(GLenum pname, GLfloat* data) {
    if (!outside_begin("glGetFloatv")) return;
    const Values r = kept(pname);
    if (r.count == 0) return driver.GetFloatv(pname, data);
    for (int k = 0; k < r.count; ++k) data[k] = GLfloat(r.v[k]);
}

void GLAPIENTRY GetDoublev(GLenum pname, GLdouble* data) {
    if (!outside_begin("glGetDoublev")) return;
    const Values r = kept(pname);
    if (r.count == 0) {
        set_error(GL_INVALID_ENUM, "glGetDoublev: only the state this renderer keeps");
        return;
    }
    for (int k = 0; k < r.count; ++k) data[k] = r.v[k];
}

} // namespace es3
