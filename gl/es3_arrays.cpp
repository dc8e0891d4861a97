// Client vertex arrays: the pointers GL 1.x keeps, glInterleavedArrays, and
// glDrawArrays, which copies the vertices it draws into a buffer (ES 3.0 and
// WebGL 2 read no client memory). Triangles, strips and fans are drawn as
// they are; other primitives go through glEnd's conversion.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "gl/es3_context.h"
#include "gl/es3_draw.h"
#include "gl/es3_programs.h"
#include "gl/es3_renderer.h"

namespace es3 {

namespace {
ArrayPointer* array_of(GLenum array) {
    ClientState& c = ctx.c;
    switch (array) {
    case GL_VERTEX_ARRAY: return &c.vertex;
    case GL_NORMAL_ARRAY: return &c.normal;
    case GL_TEXTURE_COORD_ARRAY: return &c.texcoord;
    case GL_COLOR_ARRAY: return &c.colour;
    case GL_INDEX_ARRAY: return &c.index;
    case GL_EDGE_FLAG_ARRAY: return &c.edge_flag;
    default: return nullptr;
    }
}

void set_client_state(GLenum array, bool on, const char* function) {
    ArrayPointer* a = array_of(array);
    if (!a) {
        char message[64];
        std::snprintf(message, sizeof message, "%s: unknown array", function);
        set_error(GL_INVALID_ENUM, message);
        return;
    }
    a->enabled = on;
}

// Float arrays of size `low`..`high` only; GL's other types are not drawn here.
bool set_pointer(ArrayPointer* a, GLint size, GLint low, GLint high, GLenum type, GLsizei stride,
                 const void* pointer, const char* function) {
    char message[96];
    if (stride < 0) {
        std::snprintf(message, sizeof message, "%s: negative stride", function);
        set_error(GL_INVALID_VALUE, message);
        return false;
    }
    if (type != GL_FLOAT || size < low || size > high) {
        std::snprintf(message, sizeof message, "%s: only %d to %d floats a vertex are drawn here", function, low, high);
        set_error(GL_INVALID_ENUM, message);
        return false;
    }
    a->size = size;
    a->type = type;
    a->stride = stride;
    a->pointer = pointer;
    return true;
}

GLsizei stride_of(const ArrayPointer& a) { return a.stride ? a.stride : GLsizei(a.size * sizeof(float)); }

const float* element(const ArrayPointer& a, GLint i) {
    return reinterpret_cast<const float*>(static_cast<const char*>(a.pointer) + size_t(i) * stride_of(a));
}

// The vertices of a draw as glVertex would have made them.
void gather_vertices(GLint first, GLsizei count, std::vector<Vertex>* out) {
    const ClientState& c = ctx.c;
    const ServerState& s = ctx.s;
    out->resize(size_t(count));
    for (GLsizei k = 0; k < count; ++k) {
        Vertex& v = (*out)[size_t(k)];
        const float* p = element(c.vertex, first + k);
        v.position[0] = v.lit_position[0] = p[0];
        v.position[1] = v.lit_position[1] = p[1];
        v.position[2] = v.lit_position[2] = c.vertex.size > 2 ? p[2] : 0.0f;
        std::memcpy(v.normal, c.normal.enabled ? element(c.normal, first + k) : s.normal, sizeof v.normal);
        std::memcpy(v.colour, s.colour, sizeof v.colour);
        const float* t = c.texcoord.enabled ? element(c.texcoord, first + k) : s.texcoord;
        v.texcoord[0] = t[0];
        v.texcoord[1] = c.texcoord.enabled && c.texcoord.size < 2 ? 0.0f : t[1];
    }
}

struct Source {
    int location;
    const ArrayPointer* array;
};

// Copies the enabled arrays' part of the draw into the stream, one copy for
// arrays that interleave in the same records, and points the attributes at
// it; disabled arrays give their attribute the current value.
void send_arrays(GLint first, GLsizei count, bool lit_position) {
    const ClientState& c = ctx.c;
    const ServerState& s = ctx.s;
    std::vector<Source> sources = {{position_attribute, &c.vertex}};
    const float normal[4] = {s.normal[0], s.normal[1], s.normal[2], 1.0f};
    if (c.normal.enabled) sources.push_back({normal_attribute, &c.normal});
    else attribute_constant(normal_attribute, normal);
    if (c.texcoord.enabled) sources.push_back({texcoord_attribute, &c.texcoord});
    else attribute_constant(texcoord_attribute, s.texcoord);
    attribute_constant(colour_attribute, s.colour);
    // Off unless the position array feeds it below: WebGL checks every
    // enabled array against the draw's vertex range.
    static const float unused[4] = {0, 0, 0, 1};
    if (!lit_position) attribute_constant(lit_position_attribute, unused);
    std::sort(sources.begin(), sources.end(),
              [](const Source& a, const Source& b) { return a.array->pointer < b.array->pointer; });

    // Runs of sources that share their records: [begin, end) of `sources`.
    struct Run {
        size_t begin, end;
        const char* base;
        size_t span; // bytes of one record the run reads
    };
    std::vector<Run> runs;
    size_t total = 0;
    for (size_t k = 0; k < sources.size(); ++k) {
        const ArrayPointer& a = *sources[k].array;
        const char* p = static_cast<const char*>(a.pointer);
        const size_t bytes = size_t(a.size) * sizeof(float);
        if (!runs.empty()) {
            Run& r = runs.back();
            const ArrayPointer& head = *sources[r.begin].array;
            if (stride_of(head) == stride_of(a) && p + bytes <= r.base + stride_of(a)) {
                r.end = k + 1;
                r.span = std::max(r.span, size_t(p + bytes - r.base));
                continue;
            }
        }
        runs.push_back({k, k + 1, p, bytes});
    }
    for (const Run& r : runs) total += size_t(count - 1) * stride_of(*sources[r.begin].array) + r.span + 16;
    reserve_array_stream(total);
    for (const Run& r : runs) {
        const GLsizei stride = stride_of(*sources[r.begin].array);
        const size_t at = stream_array_bytes(r.base + size_t(first) * stride, size_t(count - 1) * stride + r.span);
        for (size_t k = r.begin; k < r.end; ++k) {
            const ArrayPointer& a = *sources[k].array;
            const size_t offset = at + size_t(static_cast<const char*>(a.pointer) - r.base);
            attribute_from_array(sources[k].location, a.size, stride, offset);
            if (sources[k].location == position_attribute && lit_position)
                attribute_from_array(lit_position_attribute, a.size, stride, offset);
        }
    }
}
} // namespace

void GLAPIENTRY EnableClientState(GLenum array) { set_client_state(array, true, "glEnableClientState"); }
void GLAPIENTRY DisableClientState(GLenum array) { set_client_state(array, false, "glDisableClientState"); }

void GLAPIENTRY VertexPointer(GLint size, GLenum type, GLsizei stride, const void* pointer) {
    if (outside_begin("glVertexPointer"))
        set_pointer(&ctx.c.vertex, size, 2, 3, type, stride, pointer, "glVertexPointer");
}

void GLAPIENTRY NormalPointer(GLenum type, GLsizei stride, const void* pointer) {
    if (outside_begin("glNormalPointer")) set_pointer(&ctx.c.normal, 3, 3, 3, type, stride, pointer, "glNormalPointer");
}

void GLAPIENTRY TexCoordPointer(GLint size, GLenum type, GLsizei stride, const void* pointer) {
    if (outside_begin("glTexCoordPointer"))
        set_pointer(&ctx.c.texcoord, size, 1, 2, type, stride, pointer, "glTexCoordPointer");
}

void GLAPIENTRY InterleavedArrays(GLenum format, GLsizei stride, const void* pointer) {
    if (!outside_begin("glInterleavedArrays")) return;
    // Texture coordinate and normal floats before the vertex's, as GL lays them out.
    int texcoords = 0, normals = 0, vertex = 0;
    switch (format) {
    case GL_V2F: vertex = 2; break;
    case GL_V3F: vertex = 3; break;
    case GL_N3F_V3F: normals = 3, vertex = 3; break;
    case GL_T2F_V3F: texcoords = 2, vertex = 3; break;
    case GL_T2F_N3F_V3F: texcoords = 2, normals = 3, vertex = 3; break;
    default:
        set_error(GL_INVALID_ENUM, "glInterleavedArrays: only the formats without colours are drawn here");
        return;
    }
    if (stride < 0) {
        set_error(GL_INVALID_VALUE, "glInterleavedArrays: negative stride");
        return;
    }
    const GLsizei record = GLsizei((texcoords + normals + vertex) * sizeof(float));
    if (stride == 0) stride = record;
    const float* p = static_cast<const float*>(pointer);
    ClientState& c = ctx.c;
    c.colour.enabled = c.index.enabled = c.edge_flag.enabled = false;
    c.texcoord.enabled = texcoords > 0;
    if (texcoords) set_pointer(&c.texcoord, texcoords, 1, 2, GL_FLOAT, stride, p, "glInterleavedArrays");
    c.normal.enabled = normals > 0;
    if (normals) set_pointer(&c.normal, 3, 3, 3, GL_FLOAT, stride, p + texcoords, "glInterleavedArrays");
    c.vertex.enabled = true;
    set_pointer(&c.vertex, vertex, 2, 3, GL_FLOAT, stride, p + texcoords + normals, "glInterleavedArrays");
}

void GLAPIENTRY DrawArrays(GLenum mode, GLint first, GLsizei count) {
    if (!outside_begin("glDrawArrays")) return;
    if (mode > GL_POLYGON) {
        set_error(GL_INVALID_ENUM, "glDrawArrays: unknown primitive");
        return;
    }
    if (count < 0 || first < 0) {
        set_error(GL_INVALID_VALUE, "glDrawArrays: negative first or count");
        return;
    }
    if (mode < GL_TRIANGLES) {
        set_error(GL_INVALID_OPERATION, "glDrawArrays: points and lines are not drawn by this renderer");
        return;
    }
    if (!ctx.c.vertex.enabled || count == 0) return;
    if (mode == GL_TRIANGLES || mode == GL_TRIANGLE_STRIP || mode == GL_TRIANGLE_FAN) {
        // Their last vertex provokes, in GL as in ES.
        ProgramKey key;
        if (!use_program_for_current_state(&key)) return;
        send_arrays(first, count, key.flat() && key.lighting());
        driver.DrawArrays(mode, 0, count);
        return;
    }
    static std::vector<Vertex> vertices;
    gather_vertices(first, count, &vertices);
    ctx.triangles.clear();
    primitive_to_triangles(mode, vertices.data(), vertices.size(), &ctx.triangles);
    if (!ctx.triangles.empty()) draw_triangles(ctx.triangles.data(), ctx.triangles.size());
}

} // namespace es3
