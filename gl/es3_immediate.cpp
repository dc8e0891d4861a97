// glBegin/glEnd: each vertex takes the current normal, colour and texture
// coordinates; glEnd turns the primitive into triangles (ES has no quads)
// with GL's provoking vertex for flat shading, and draws them.
#include <cstring>

#include "gl/es3_context.h"
#include "gl/es3_renderer.h"

namespace es3 {

namespace {
void emit(const Vertex* v, size_t a, size_t b, size_t c, size_t provoking, bool flat, std::vector<Vertex>* out) {
    for (size_t k : {a, b, c}) {
        out->push_back(v[k]);
        if (flat) {
            // The flat colour is the last vertex's in ES: give it the
            // provoking vertex's lighting inputs and colour.
            Vertex& e = out->back();
            std::memcpy(e.normal, v[provoking].normal, sizeof e.normal);
            std::memcpy(e.colour, v[provoking].colour, sizeof e.colour);
            std::memcpy(e.lit_position, v[provoking].position, sizeof e.lit_position);
        }
    }
}

void add_vertex(float x, float y, float z) {
    if (!ctx.inside_begin) return; // outside glBegin/glEnd a vertex means nothing
    Vertex v;
    const ServerState& s = ctx.s;
    v.position[0] = v.lit_position[0] = x;
    v.position[1] = v.lit_position[1] = y;
    v.position[2] = v.lit_position[2] = z;
    std::memcpy(v.normal, s.normal, sizeof v.normal);
    std::memcpy(v.colour, s.colour, sizeof v.colour);
    v.texcoord[0] = s.texcoord[0];
    v.texcoord[1] = s.texcoord[1];
    ctx.begun.push_back(v);
}

void set4(float* to, float a, float b, float c, float d) {
    to[0] = a;
    to[1] = b;
    to[2] = c;
    to[3] = d;
}
} // namespace

bool primitive_to_triangles(GLenum mode, const Vertex* v, size_t n, std::vector<Vertex>* out) {
    const bool flat = ctx.s.shade_model == GL_FLAT;
    switch (mode) {
    case GL_TRIANGLES:
        for (size_t i = 0; i + 2 < n; i += 3) emit(v, i, i + 1, i + 2, i + 2, flat, out);
        return true;
    case GL_TRIANGLE_STRIP:
        // Every other triangle turned round, so that all face the same way.
        for (size_t i = 0; i + 2 < n; ++i) {
            if (i % 2 == 0) emit(v, i, i + 1, i + 2, i + 2, flat, out);
            else emit(v, i + 1, i, i + 2, i + 2, flat, out);
        }
        return true;
    case GL_TRIANGLE_FAN:
        for (size_t i = 1; i + 1 < n; ++i) emit(v, 0, i, i + 1, i + 1, flat, out);
        return true;
    case GL_POLYGON:
        for (size_t i = 1; i + 1 < n; ++i) emit(v, 0, i, i + 1, 0, flat, out);
        return true;
    case GL_QUADS:
        // Split along the 0-2 diagonal, as desktop drivers do; the last
        // vertex provokes.
        for (size_t i = 0; i + 3 < n; i += 4) {
            emit(v, i, i + 1, i + 2, i + 3, flat, out);
            emit(v, i, i + 2, i + 3, i + 3, flat, out);
        }
        return true;
    case GL_QUAD_STRIP:
        for (size_t i = 0; i + 3 < n; i += 2) {
            emit(v, i, i + 1, i + 3, i + 3, flat, out);
            emit(v, i, i + 3, i + 2, i + 3, flat, out);
        }
        return true;
    default:
        return false;
    }
}

void GLAPIENTRY Begin(GLenum mode) {
    if (!outside_begin("glBegin")) return;
    if (mode > GL_POLYGON) {
        set_error(GL_INVALID_ENUM, "glBegin: unknown primitive");
        return;
    }
    ctx.inside_begin = true;
    ctx.begin_mode = mode;
    ctx.begun.clear();
}

void GLAPIENTRY End() {
    if (!ctx.inside_begin) {
        set_error(GL_INVALID_OPERATION, "glEnd without glBegin");
        return;
    }
    ctx.inside_begin = false;
    ctx.triangles.clear();
    if (!primitive_to_triangles(ctx.begin_mode, ctx.begun.data(), ctx.begun.size(), &ctx.triangles)) {
        set_error(GL_INVALID_OPERATION, "glEnd: points and lines are not drawn by this renderer");
        return;
    }
    if (!ctx.triangles.empty()) draw_triangles(ctx.triangles.data(), ctx.triangles.size());
}

void GLAPIENTRY Vertex2f(GLfloat x, GLfloat y) { add_vertex(x, y, 0); }
void GLAPIENTRY Vertex3f(GLfloat x, GLfloat y, GLfloat z) { add_vertex(x, y, z); }
void GLAPIENTRY Vertex3fv(const GLfloat* v) { add_vertex(v[0], v[1], v[2]); }

void GLAPIENTRY Normal3f(GLfloat x, GLfloat y, GLfloat z) {
    ctx.s.normal[0] = x;
    ctx.s.normal[1] = y;
    ctx.s.normal[2] = z;
}
void GLAPIENTRY Normal3fv(const GLfloat* v) { Normal3f(v[0], v[1], v[2]); }

void GLAPIENTRY Color3f(GLfloat r, GLfloat g, GLfloat b) { set4(ctx.s.colour, r, g, b, 1); }
void GLAPIENTRY Color4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a) { set4(ctx.s.colour, r, g, b, a); }
void GLAPIENTRY Color4fv(const GLfloat* v) { set4(ctx.s.colour, v[0], v[1], v[2], v[3]); }
void GLAPIENTRY Color4ubv(const GLubyte* v) {
    set4(ctx.s.colour, v[0] / 255.0f, v[1] / 255.0f, v[2] / 255.0f, v[3] / 255.0f);
}

void GLAPIENTRY TexCoord2f(GLfloat s, GLfloat t) { set4(ctx.s.texcoord, s, t, 0, 1); }
void GLAPIENTRY TexCoord2fv(const GLfloat* v) { set4(ctx.s.texcoord, v[0], v[1], 0, 1); }

} // namespace es3
