// Loads the ES 3.0 entry points the renderer uses from the current context
// and makes sure the context really is OpenGL ES 3.0 or later.
#include "gl/es3_driver.h"

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
    const char* version = reinterpret_cast<const char*>(loaded.GetString(GL_VERSION));
    GLint major = 0;
    loaded.GetIntegerv(GL_MAJOR_VERSION, &major);
    // A desktop context reports "4.5 ..." here, an ES one "OpenGL ES 3.2 ..."
    // (WebGL 2 reports "WebGL 2.0 ...", which is ES 3.0).
    const bool es = version && (std::strncmp(version, "OpenGL ES ", 10) == 0 || std::strncmp(version, "WebGL ", 6) == 0);
    loaded.GetError();
    if (!es || major < 3) {
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
