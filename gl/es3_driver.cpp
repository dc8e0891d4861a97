// Loads the ES 3.0 entry points the renderer uses from the current context
// and makes sure the context really is OpenGL ES 3.0 or later.
#include "gl/es3_driver.h"

#include <cstdlib>
#include <cstring>

namespace es3 {

Driver driver;

bool load_driver(GlProcLoader get_proc, const char** why) {
    Driver loaded{};
    bool complete = true;
#define ES3_DRIVER_LOAD(ret, name, params)                                                  \
    loaded.name = reinterpret_cast<ret(GLAPIENTRY*) params>(get_proc("gl" #name)); \
    complete = complete && loaded.name != nullptr;
    ES3_DRIVER_FUNCTIONS(ES3_DRIVER_LOAD)
#undef ES3_DRIVER_LOAD
    if (!complete) {
        *why = "the OpenGL ES driver lacks ES 3.0 entry points";
        return false;
    }
    // "OpenGL ES 3.2 Mesa ..." here, or "4.5 (Compatibility Profile) ..." on
    // a desktop context; browsers report WebGL 2 as "OpenGL ES 3.0 (WebGL 2.0)".
    const char* version = reinterpret_cast<const char*>(loaded.GetString(GL_VERSION));
    const bool es = version && std::strncmp(version, "OpenGL ES ", 10) == 0;
    if (!es || std::atoi(version + 10) < 3) {
        *why = "the context is not OpenGL ES 3.0";
        return false;
    }
    const char* extensions = reinterpret_cast<const char*>(loaded.GetString(GL_EXTENSIONS));
    if (extensions && std::strstr(extensions, "GL_KHR_debug")) {
        void* callback = get_proc("glDebugMessageCallbackKHR");
        if (!callback) callback = get_proc("glDebugMessageCallback");
        loaded.DebugMessageCallback = reinterpret_cast<decltype(loaded.DebugMessageCallback)>(callback);
    }
    driver = loaded;
    return true;
}

} // namespace es3
