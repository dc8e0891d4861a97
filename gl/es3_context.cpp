// The renderer's installation on a fresh ES 3.0 context, GL's error flag and
// debug output.
#include <cstdio>
#include <cstring>

#include "gl/es3_context.h"
#include "gl/es3_renderer.h"

namespace es3 {

Context ctx;

void set_error(GLenum error, const char* message) {
    if (ctx.error == GL_NO_ERROR) ctx.error = error;
    if (ctx.debug_output && ctx.debug_callback)
        ctx.debug_callback(GL_DEBUG_SOURCE_API, GL_DEBUG_TYPE_ERROR, error, GL_DEBUG_SEVERITY_HIGH,
                           static_cast<GLsizei>(std::strlen(message)), message, ctx.debug_user);
}

bool outside_begin(const char* function) {
    if (!ctx.inside_begin) return true;
    char message[96];
    std::snprintf(message, sizeof message, "%s between glBegin and glEnd", function);
    set_error(GL_INVALID_OPERATION, message);
    return false;
}

GLenum GLAPIENTRY GetError() {
    if (ctx.inside_begin) {
        set_error(GL_INVALID_OPERATION, "glGetError between glBegin and glEnd");
        return GL_NO_ERROR;
    }
    const GLenum error = ctx.error;
    ctx.error = GL_NO_ERROR;
    return error != GL_NO_ERROR ? error : driver.GetError();
}

void GLAPIENTRY DebugMessageCallback(GLDEBUGPROC callback, const void* user) {
    if (!outside_begin("glDebugMessageCallback")) return;
    ctx.debug_callback = callback;
    ctx.debug_user = user;
    // The driver's own messages (calls passed on to it) go to the same place.
    if (driver.DebugMessageCallback) driver.DebugMessageCallback(callback, user);
}

} // namespace es3

bool es3_install(GlApi* table, GlProcLoader get_proc, const char** why) {
    using namespace es3;
    if (!load_driver(get_proc, why)) return false;
    ctx = Context();
    for (auto& stack : ctx.stacks) stack.assign(1, identity_matrix());
    const float white[4] = {1, 1, 1, 1};
    std::memcpy(ctx.s.lights[0].diffuse, white, sizeof white);
    std::memcpy(ctx.s.lights[0].specular, white, sizeof white);
    // The window's size, as GL starts out.
    driver.GetIntegerv(GL_VIEWPORT, ctx.s.viewport);
    std::memcpy(ctx.s.scissor, ctx.s.viewport, sizeof ctx.s.viewport);
    reset_draw_state();
    apply_driver_state();
#define ES3_POINT(ret, name, params) table->name = &es3::name;
    GL_API_FUNCTIONS(ES3_POINT)
#undef ES3_POINT
    return true;
}
