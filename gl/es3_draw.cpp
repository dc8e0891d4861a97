// Drawing: triangles from glBegin/glEnd go into one streaming buffer in a
// fixed layout, so that consecutive draws only move the first vertex;
// arrays go into a second one. A full buffer is orphaned (a fresh store from
// glBufferData), never waited on.
#include "gl/es3_draw.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "gl/es3_programs.h"

namespace es3 {

namespace {
constexpr size_t stream_capacity = size_t(4) << 20;

struct Stream {
    GLuint buffer = 0;
    size_t capacity = 0, used = 0;
};

// What the driver's vertex array holds for one attribute.
struct AttributeSetup {
    bool from_array = false;
    GLuint buffer = 0;
    int components = 0;
    GLsizei stride = 0;
    size_t offset = 0;
    bool value_known = false;
    float value[4] = {0, 0, 0, 0};
};

struct DrawState {
    Stream immediate, arrays;
    GLuint vertex_array = 0;
    GLuint bound_buffer = 0;
    AttributeSetup attributes[5];
} state;

void bind_buffer(GLuint buffer) {
    if (state.bound_buffer == buffer) return;
    driver.BindBuffer(GL_ARRAY_BUFFER, buffer);
    state.bound_buffer = buffer;
}

// One vertex array object of our own holds every attribute setup.
void make_vertex_array() {
    if (state.vertex_array) return;
    driver.GenVertexArrays(1, &state.vertex_array);
    driver.BindVertexArray(state.vertex_array);
}

size_t stream_write(Stream& s, const void* data, size_t bytes, size_t align) {
    make_vertex_array();
    if (!s.buffer) driver.GenBuffers(1, &s.buffer);
    bind_buffer(s.buffer);
    size_t at = (s.used + align - 1) / align * align;
    if (s.capacity == 0 || at + bytes > s.capacity) {
        s.capacity = std::max(stream_capacity, bytes);
        driver.BufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(s.capacity), nullptr, GL_STREAM_DRAW);
        at = 0;
    }
    driver.BufferSubData(GL_ARRAY_BUFFER, static_cast<GLintptr>(at), static_cast<GLsizeiptr>(bytes), data);
    s.used = at + bytes;
    return at;
}

void point_attribute(int location, GLuint buffer, int components, GLsizei stride, size_t offset) {
    AttributeSetup& a = state.attributes[location];
    if (!a.from_array) {
        driver.EnableVertexAttribArray(GLuint(location));
        a.from_array = true;
        a.value_known = false;
    }
    if (a.buffer == buffer && a.components == components && a.stride == stride && a.offset == offset) return;
    bind_buffer(buffer);
    driver.VertexAttribPointer(GLuint(location), components, GL_FLOAT, GL_FALSE, stride,
                               reinterpret_cast<const void*>(offset));
    a.buffer = buffer;
    a.components = components;
    a.stride = stride;
    a.offset = offset;
}
} // namespace

void reserve_array_stream(size_t bytes) {
    Stream& s = state.arrays;
    if (s.capacity != 0 && s.used + bytes <= s.capacity) return;
    make_vertex_array();
    if (!s.buffer) driver.GenBuffers(1, &s.buffer);
    bind_buffer(s.buffer);
    s.capacity = std::max(stream_capacity, bytes);
    driver.BufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(s.capacity), nullptr, GL_STREAM_DRAW);
    s.used = 0;
}

size_t stream_array_bytes(const void* data, size_t bytes) { return stream_write(state.arrays, data, bytes, 16); }

void attribute_from_array(int location, int components, GLsizei stride, size_t offset) {
    point_attribute(location, state.arrays.buffer, components, stride, offset);
}

void attribute_constant(int location, const float value[4]) {
    make_vertex_array();
    AttributeSetup& a = state.attributes[location];
    if (a.from_array) {
        driver.DisableVertexAttribArray(GLuint(location));
        a.from_array = false;
    }
    if (a.value_known && std::memcmp(a.value, value, sizeof a.value) == 0) return;
    driver.VertexAttrib4fv(GLuint(location), value);
    std::memcpy(a.value, value, sizeof a.value);
    a.value_known = true;
}

void draw_triangles(const Vertex* vertices, size_t count) {
    ProgramKey key;
    if (!use_program_for_current_state(&key)) return;
    const size_t at = stream_write(state.immediate, vertices, count * sizeof(Vertex), sizeof(Vertex));
    const GLuint buffer = state.immediate.buffer;
    const GLsizei stride = sizeof(Vertex);
    point_attribute(position_attribute, buffer, 3, stride, offsetof(Vertex, position));
    point_attribute(normal_attribute, buffer, 3, stride, offsetof(Vertex, normal));
    point_attribute(colour_attribute, buffer, 4, stride, offsetof(Vertex, colour));
    point_attribute(texcoord_attribute, buffer, 2, stride, offsetof(Vertex, texcoord));
    point_attribute(lit_position_attribute, buffer, 3, stride, offsetof(Vertex, lit_position));
    driver.DrawArrays(GL_TRIANGLES, static_cast<GLint>(at / sizeof(Vertex)), static_cast<GLsizei>(count));
}

void reset_draw_state() {
    state = DrawState();
    forget_programs();
}

} // namespace es3
