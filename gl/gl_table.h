// The dispatch table behind gl/gl_api.h's names, and how it is filled. The
// ES 3.0 renderer includes this (not gl_api.h), so that a GL name in its own
// code cannot call back into the table by mistake.
#pragma once
#include "gl/gl_enums.h"
#include "gl/gl_functions.h"

enum class GlChoice { compatibility, es3 };

// Returns the entry point of a GL function by name, or null.
typedef void* (*GlProcLoader)(const char* name);

struct GlApi {
#define GL_API_MEMBER(ret, name, params) ret(GLAPIENTRY* name) params;
    GL_API_FUNCTIONS(GL_API_MEMBER)
#undef GL_API_MEMBER
};

extern GlApi gl_api;

// Fills gl_api for the context that is current. False, with *why set, when
// the driver lacks an entry point or the context is not what the choice needs.
bool gl_load(GlChoice choice, GlProcLoader get_proc, const char** why);
// What gl_load last filled the table for.
GlChoice gl_loaded_choice();
// "compat" or "es3", as the command line names them.
const char* gl_choice_name(GlChoice choice);
