// Light and fog parameters with GL's checks: a light's position and spot
// direction are taken into eye coordinates by the modelview matrix current
// at the call; a refused value (a negative attenuation, say) leaves the
// light as it was.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "gl/es3_context.h"
#include "gl/es3_renderer.h"

namespace es3 {

namespace {
Light* light_of(GLenum light, const char* function) {
    if (light >= GL_LIGHT0 && light < GL_LIGHT0 + max_lights) return &ctx.s.lights[light - GL_LIGHT0];
    char message[64];
    std::snprintf(message, sizeof message, "%s: unknown light", function);
    set_error(GL_INVALID_ENUM, message);
    return nullptr;
}

bool scalar_light_parameter(GLenum pname) {
    return pname == GL_SPOT_EXPONENT || pname == GL_SPOT_CUTOFF || pname == GL_CONSTANT_ATTENUATION ||
           pname == GL_LINEAR_ATTENUATION || pname == GL_QUADRATIC_ATTENUATION;
}

void set_light(GLenum light, GLenum pname, const GLfloat* params, const char* function) {
    if (!outside_begin(function)) return;
    Light* l = light_of(light, function);
    if (!l) return;
    const float* m = ctx.stacks[0].back().m;
    char message[96];
    switch (pname) {
    case GL_AMBIENT: std::memcpy(l->ambient, params, sizeof l->ambient); break;
    case GL_DIFFUSE: std::memcpy(l->diffuse, params, sizeof l->diffuse); break;
    case GL_SPECULAR: std::memcpy(l->specular, params, sizeof l->specular); break;
    case GL_POSITION:
        for (int row = 0; row < 4; ++row)
            l->position[row] =
                m[row] * params[0] + m[4 + row] * params[1] + m[8 + row] * params[2] + m[12 + row] * params[3];
        break;
    case GL_SPOT_DIRECTION:
        for (int row = 0; row < 3; ++row)
            l->spot_direction[row] = m[row] * params[0] + m[4 + row] * params[1] + m[8 + row] * params[2];
        break;
    case GL_SPOT_EXPONENT:
        if (params[0] < 0 || params[0] > 128) {
            std::snprintf(message, sizeof message, "%s(GL_SPOT_EXPONENT): outside 0..128", function);
            set_error(GL_INVALID_VALUE, message);
            return;
        }
        l->spot_exponent = params[0];
        break;
    case GL_SPOT_CUTOFF:
        if (params[0] != 180.0f && (params[0] < 0 || params[0] > 90)) {
            std::snprintf(message, sizeof message, "%s(GL_SPOT_CUTOFF): outside 0..90 and not 180", function);
            set_error(GL_INVALID_VALUE, message);
            return;
        }
        if (params[0] != 180.0f) {
            std::snprintf(message, sizeof message, "%s(GL_SPOT_CUTOFF): spot lights are not drawn here", function);
            set_error(GL_INVALID_ENUM, message);
            return;
        }
        l->spot_cutoff = params[0];
        break;
    case GL_CONSTANT_ATTENUATION:
    case GL_LINEAR_ATTENUATION:
    case GL_QUADRATIC_ATTENUATION:
        if (!(params[0] >= 0)) {
            std::snprintf(message, sizeof message, "%s: negative attenuation refused", function);
            set_error(GL_INVALID_VALUE, message);
            return;
        }
        l->attenuation[pname - GL_CONSTANT_ATTENUATION] = params[0];
        break;
    default:
        std::snprintf(message, sizeof message, "%s: unknown parameter 0x%04x", function, pname);
        set_error(GL_INVALID_ENUM, message);
        return;
    }
    ++ctx.serials.lights;
}

void set_fog(GLenum pname, const GLfloat* params, const char* function) {
    if (!outside_begin(function)) return;
    ServerState& s = ctx.s;
    char message[96];
    switch (pname) {
    case GL_FOG_MODE: {
        const GLenum mode = static_cast<GLenum>(params[0]);
        if (mode != GL_LINEAR && mode != GL_EXP && mode != GL_EXP2) {
            std::snprintf(message, sizeof message, "%s(GL_FOG_MODE): unknown mode", function);
            set_error(GL_INVALID_ENUM, message);
            return;
        }
        s.fog_mode = mode;
        break;
    }
    case GL_FOG_DENSITY:
        if (!(params[0] >= 0)) {
            std::snprintf(message, sizeof message, "%s(GL_FOG_DENSITY): negative density refused", function);
            set_error(GL_INVALID_VALUE, message);
            return;
        }
        s.fog_density = params[0];
        break;
    case GL_FOG_START: s.fog_start = params[0]; break;
    case GL_FOG_END: s.fog_end = params[0]; break;
    case GL_FOG_COLOR:
        for (int k = 0; k < 4; ++k) s.fog_colour[k] = std::fmin(std::fmax(params[k], 0.0f), 1.0f);
        break;
    case GL_FOG_COORD_SRC:
        // Fog from the fragment's depth only: there are no fog coordinates here.
        if (static_cast<GLenum>(params[0]) != GL_FRAGMENT_DEPTH) {
            std::snprintf(message, sizeof message, "%s(GL_FOG_COORD_SRC): only GL_FRAGMENT_DEPTH", function);
            set_error(GL_INVALID_ENUM, message);
            return;
        }
        break;
    default:
        std::snprintf(message, sizeof message, "%s: unknown parameter 0x%04x", function, pname);
        set_error(GL_INVALID_ENUM, message);
        return;
    }
    ++ctx.serials.fog;
}
} // namespace

void GLAPIENTRY Lightfv(GLenum light, GLenum pname, const GLfloat* params) {
    set_light(light, pname, params, "glLightfv");
}

void GLAPIENTRY Lightf(GLenum light, GLenum pname, GLfloat param) {
    if (!scalar_light_parameter(pname)) {
        if (outside_begin("glLightf")) set_error(GL_INVALID_ENUM, "glLightf: not a single-value parameter");
        return;
    }
    set_light(light, pname, &param, "glLightf");
}

void GLAPIENTRY GetLightfv(GLenum light, GLenum pname, GLfloat* params) {
    if (!outside_begin("glGetLightfv")) return;
    const Light* l = light_of(light, "glGetLightfv");
    if (!l) return;
    switch (pname) {
    case GL_AMBIENT: std::memcpy(params, l->ambient, sizeof l->ambient); break;
    case GL_DIFFUSE: std::memcpy(params, l->diffuse, sizeof l->diffuse); break;
    case GL_SPECULAR: std::memcpy(params, l->specular, sizeof l->specular); break;
    case GL_POSITION: std::memcpy(params, l->position, sizeof l->position); break;
    case GL_SPOT_DIRECTION: std::memcpy(params, l->spot_direction, sizeof l->spot_direction); break;
    case GL_SPOT_EXPONENT: params[0] = l->spot_exponent; break;
    case GL_SPOT_CUTOFF: params[0] = l->spot_cutoff; break;
    case GL_CONSTANT_ATTENUATION:
    case GL_LINEAR_ATTENUATION:
    case GL_QUADRATIC_ATTENUATION: params[0] = l->attenuation[pname - GL_CONSTANT_ATTENUATION]; break;
    default: set_error(GL_INVALID_ENUM, "glGetLightfv: unknown parameter"); break;
    }
}

void GLAPIENTRY Fogfv(GLenum pname, const GLfloat* params) { set_fog(pname, params, "glFogfv"); }

void GLAPIENTRY Fogf(GLenum pname, GLfloat param) {
    if (pname == GL_FOG_COLOR) {
        if (outside_begin("glFogf")) set_error(GL_INVALID_ENUM, "glFogf: GL_FOG_COLOR takes four values");
        return;
    }
    set_fog(pname, &param, "glFogf");
}

void GLAPIENTRY Fogi(GLenum pname, GLint param) {
    if (pname == GL_FOG_COLOR) {
        if (outside_begin("glFogi")) set_error(GL_INVALID_ENUM, "glFogi: GL_FOG_COLOR takes four values");
        return;
    }
    const GLfloat value = static_cast<GLfloat>(param);
    set_fog(pname, &value, "glFogi");
}

} // namespace es3
