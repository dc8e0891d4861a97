// Fills the dispatch table: with the driver's own entry points for a desktop
// compatibility context, or with the ES 3.0 renderer.
#include <cstring>

#include "gl/es3_renderer.h"
#include "gl/gl_table.h"

GlApi gl_api;

namespace {
GlChoice loaded_choice = GlChoice::compatibility;

// Entry points a compatibility context may lack; their callers check.
bool optional(const char* name) {
    return std::strstr(name, "Framebuffer") || std::strstr(name, "Renderbuffer") ||
           std::strcmp(name, "glDebugMessageCallback") == 0;
}
} // namespace

bool gl_load(GlChoice choice, GlProcLoader get_proc, const char** why) {
    GlApi table{};
    if (choice == GlChoice::es3) {
        if (!es3_install(&table, get_proc, why)) return false;
    } else {
        auto get_string = reinterpret_cast<const GLubyte*(GLAPIENTRY*)(GLenum)>(get_proc("glGetString"));
        const char* version = get_string ? reinterpret_cast<const char*>(get_string(GL_VERSION)) : nullptr;
        if (!version || std::strncmp(version, "OpenGL ES", 9) == 0) {
            *why = "the context is not a desktop OpenGL compatibility context";
            return false;
        }
        bool complete = true;
#define GL_LOAD_ENTRY(ret, name, params)                                                 \
    table.name = reinterpret_cast<ret(GLAPIENTRY*) params>(get_proc("gl" #name));             \
    if (!table.name && !optional("gl" #name)) complete = false;
        GL_API_FUNCTIONS(GL_LOAD_ENTRY)
#undef GL_LOAD_ENTRY
        if (!complete) {
            *why = "the OpenGL driver lacks GL 1.x entry points";
            return false;
        }
    }
    gl_api = table;
    loaded_choice = choice;
    return true;
}

GlChoice gl_loaded_choice() { return loaded_choice; }

const char* gl_choice_name(GlChoice choice) { return choice == GlChoice::es3 ? "es3" : "compat"; }
