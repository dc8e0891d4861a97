// glPushAttrib/glPopAttrib and their client-side pair: the whole state is
// saved, and popping puts back the groups the push named, then hands the
// driver its share again.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "gl/es3_context.h"
#include "gl/es3_renderer.h"

namespace es3 {

namespace {
void put_back_enables(ServerState& s, const ServerState& saved) {
    s.lighting = saved.lighting;
    s.normalize = saved.normalize;
    s.fog = saved.fog;
    s.texture_2d = saved.texture_2d;
    s.blend = saved.blend;
    s.depth_test = saved.depth_test;
    s.cull_face = saved.cull_face;
    s.scissor_test = saved.scissor_test;
    s.line_smooth = saved.line_smooth;
    s.dither = saved.dither;
    std::memcpy(s.light_enabled, saved.light_enabled, sizeof s.light_enabled);
}

template <typename State>
void push(std::vector<std::pair<GLbitfield, State>>& stack, GLbitfield mask, const State& state, const char* function) {
    if (!outside_begin(function)) return;
    if (stack.size() >= max_attrib_depth) {
        char message[64];
        std::snprintf(message, sizeof message, "%s: attribute stack full", function);
        set_error(GL_STACK_OVERFLOW, message);
        return;
    }
    stack.emplace_back(mask, state);
}

// Takes the top of the stack into *mask and *saved; false when it is empty.
template <typename State>
bool pop(std::vector<std::pair<GLbitfield, State>>& stack, GLbitfield* mask, State* saved, const char* function) {
    if (!outside_begin(function)) return false;
    if (stack.empty()) {
        char message[64];
        std::snprintf(message, sizeof message, "%s: attribute stack empty", function);
        set_error(GL_STACK_UNDERFLOW, message);
        return false;
    }
    *mask = stack.back().first;
    *saved = stack.back().second;
    stack.pop_back();
    return true;
}
} // namespace

void GLAPIENTRY PushAttrib(GLbitfield mask) { push(ctx.attrib_stack, mask, ctx.s, "glPushAttrib"); }

void GLAPIENTRY PopAttrib() {
    GLbitfield mask = 0;
    ServerState saved;
    if (!pop(ctx.attrib_stack, &mask, &saved, "glPopAttrib")) return;
    ServerState& s = ctx.s;
    if (mask & GL_CURRENT_BIT) {
        std::memcpy(s.colour, saved.colour, sizeof s.colour);
        std::memcpy(s.normal, saved.normal, sizeof s.normal);
        std::memcpy(s.texcoord, saved.texcoord, sizeof s.texcoord);
    }
    if (mask & GL_ENABLE_BIT) put_back_enables(s, saved);
    if (mask & GL_LIGHTING_BIT) {
        s.lighting = saved.lighting;
        std::memcpy(s.light_enabled, saved.light_enabled, sizeof s.light_enabled);
        std::copy(saved.lights, saved.lights + max_lights, s.lights);
        std::memcpy(s.model_ambient, saved.model_ambient, sizeof s.model_ambient);
        s.shade_model = saved.shade_model;
    }
    if (mask & GL_FOG_BIT) {
        s.fog = saved.fog;
        s.fog_mode = saved.fog_mode;
        s.fog_density = saved.fog_density;
        s.fog_start = saved.fog_start;
        s.fog_end = saved.fog_end;
        std::memcpy(s.fog_colour, saved.fog_colour, sizeof s.fog_colour);
    }
    if (mask & GL_DEPTH_BUFFER_BIT) {
        s.depth_test = saved.depth_test;
        s.depth_func = saved.depth_func;
        s.depth_mask = saved.depth_mask;
        s.clear_depth = saved.clear_depth;
    }
    if (mask & GL_COLOR_BUFFER_BIT) {
        s.blend = saved.blend;
        s.dither = saved.dither;
        s.blend_src = saved.blend_src;
        s.blend_dst = saved.blend_dst;
        std::memcpy(s.clear_colour, saved.clear_colour, sizeof s.clear_colour);
    }
    if (mask & GL_POLYGON_BIT) {
        s.cull_face = saved.cull_face;
        s.cull_mode = saved.cull_mode;
        s.front_face = saved.front_face;
    }
    if (mask & GL_SCISSOR_BIT) {
        s.scissor_test = saved.scissor_test;
        std::memcpy(s.scissor, saved.scissor, sizeof s.scissor);
    }
    if (mask & GL_VIEWPORT_BIT) std::memcpy(s.viewport, saved.viewport, sizeof s.viewport);
    if (mask & GL_TEXTURE_BIT) s.texture_binding = saved.texture_binding;
    if (mask & GL_TRANSFORM_BIT) {
        s.matrix_mode = saved.matrix_mode;
        s.normalize = saved.normalize;
    }
    ++ctx.serials.lights;
    ++ctx.serials.fog;
    apply_driver_state();
}

void GLAPIENTRY PushClientAttrib(GLbitfield mask) {
    push(ctx.client_attrib_stack, mask, ctx.c, "glPushClientAttrib");
}

void GLAPIENTRY PopClientAttrib() {
    GLbitfield mask = 0;
    ClientState saved;
    if (!pop(ctx.client_attrib_stack, &mask, &saved, "glPopClientAttrib")) return;
    ClientState& c = ctx.c;
    if (mask & GL_CLIENT_VERTEX_ARRAY_BIT) {
        c.vertex = saved.vertex;
        c.normal = saved.normal;
        c.texcoord = saved.texcoord;
        c.colour = saved.colour;
        c.index = saved.index;
        c.edge_flag = saved.edge_flag;
    }
    if (mask & GL_CLIENT_PIXEL_STORE_BIT) {
        c.pack_alignment = saved.pack_alignment;
        c.unpack_alignment = saved.unpack_alignment;
        driver.PixelStorei(GL_PACK_ALIGNMENT, c.pack_alignment);
        driver.PixelStorei(GL_UNPACK_ALIGNMENT, c.unpack_alignment);
    }
}

} // namespace es3
