// The GL 1.x state the ES 3.0 renderer keeps for the show: what glPushAttrib
// can save, the client arrays, matrix stacks, textures, the error flag, and
// counters that tell the shaders which uniforms are out of date.
#pragma once
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "gl/es3_driver.h"

namespace es3 {

constexpr int max_lights = 8;
constexpr size_t max_stack_depth = 32;
constexpr size_t max_attrib_depth = 16;

// Column-major, as GL stores it.
struct Matrix {
    float m[16];
};
Matrix identity_matrix();
Matrix multiply(const Matrix& a, const Matrix& b); // a * b
bool is_identity(const Matrix& a);

struct Light {
    float ambient[4] = {0, 0, 0, 1};
    float diffuse[4] = {0, 0, 0, 1};
    float specular[4] = {0, 0, 0, 1};
    float position[4] = {0, 0, 1, 0}; // eye coordinates
    float spot_direction[3] = {0, 0, -1};
    float spot_exponent = 0, spot_cutoff = 180;
    float attenuation[3] = {1, 0, 0}; // constant, linear, quadratic
};

// Everything glPushAttrib saves, in one record.
struct ServerState {
    // Current vertex attributes.
    float colour[4] = {1, 1, 1, 1};
    float normal[3] = {0, 0, 1};
    float texcoord[4] = {0, 0, 0, 1};
    // Enables.
    bool lighting = false, normalize = false, fog = false, texture_2d = false, blend = false, depth_test = false,
         cull_face = false, scissor_test = false, line_smooth = false, dither = true;
    bool light_enabled[max_lights] = {};
    // Lighting.
    Light lights[max_lights];
    float model_ambient[4] = {0.2f, 0.2f, 0.2f, 1.0f};
    GLenum shade_model = GL_SMOOTH;
    // Fog.
    GLenum fog_mode = GL_EXP;
    float fog_density = 1, fog_start = 0, fog_end = 1;
    float fog_colour[4] = {0, 0, 0, 0};
    // Depth, colour buffer, polygons.
    GLenum depth_func = GL_LESS;
    bool depth_mask = true;
    float clear_depth = 1;
    GLenum blend_src = GL_ONE, blend_dst = GL_ZERO;
    float clear_colour[4] = {0, 0, 0, 0};
    GLenum cull_mode = GL_BACK, front_face = GL_CCW;
    // Rectangles.
    GLint scissor[4] = {0, 0, 0, 0};
    GLint viewport[4] = {0, 0, 0, 0};
    // Texture and transform.
    GLuint texture_binding = 0; // the show's id
    GLenum matrix_mode = GL_MODELVIEW;
};

struct ArrayPointer {
    bool enabled = false;
    GLint size = 4;
    GLenum type = GL_FLOAT;
    GLsizei stride = 0;
    const void* pointer = nullptr;
};

// Everything glPushClientAttrib saves.
struct ClientState {
    ArrayPointer vertex, normal, texcoord, colour, index, edge_flag;
    GLint pack_alignment = 4, unpack_alignment = 4;
};

// A texture under one of the show's ids, with the driver's name behind it.
struct Texture {
    GLuint name = 0; // 0 until first bound
    GLsizei width = 0, height = 0;
    GLint internal_format = GL_RGBA;
    GLint min_filter = GL_NEAREST_MIPMAP_LINEAR, mag_filter = GL_LINEAR;
    GLint wrap_s = GL_REPEAT, wrap_t = GL_REPEAT;
};

// One vertex as the shaders take it. In flat shading the provoking vertex's
// normal, colour and position (for lighting) go into every vertex of its
// triangle; position and texture coordinates stay each vertex's own.
struct Vertex {
    float position[3];
    float normal[3];
    float colour[4];
    float texcoord[2];
    float lit_position[3];
};

// Counters bumped when a group of uniforms changes.
struct Serials {
    uint32_t modelview = 1, projection = 1, texture_matrix = 1, lights = 1, fog = 1;
};

struct Context {
    ServerState s;
    ClientState c;
    std::vector<Matrix> stacks[3]; // modelview, projection, texture; back() is the top
    std::vector<std::pair<GLbitfield, ServerState>> attrib_stack;
    std::vector<std::pair<GLbitfield, ClientState>> client_attrib_stack;
    std::unordered_map<GLuint, Texture> textures;
    GLuint next_generated_texture = 1;
    GLuint texture_reader = 0; // framebuffer for glGetTexImage
    Serials serials;

    GLenum error = GL_NO_ERROR;
    bool debug_output = false;
    GLDEBUGPROC debug_callback = nullptr;
    const void* debug_user = nullptr;

    // Between glBegin and glEnd: the primitive and its vertices so far.
    bool inside_begin = false;
    GLenum begin_mode = 0;
    std::vector<Vertex> begun;
    std::vector<Vertex> triangles; // the last primitive as triangles
};

extern Context ctx;

// Records a GL error (the first one stays until glGetError reads it) and
// reports it through the debug callback when debug output is on.
void set_error(GLenum error, const char* message);
// False, with GL_INVALID_OPERATION, between glBegin and glEnd.
bool outside_begin(const char* function);
// The matrix stack glMatrixMode selects, and its top.
std::vector<Matrix>& current_stack();
Matrix& current_matrix();
// Marks the uniforms of the current matrix stack out of date.
void matrix_changed();

// The flag behind a capability; *driver_cap tells whether the driver acts on
// it too. Null for a capability the renderer does not know.
bool* capability(GLenum cap, bool* driver_cap);
// Puts back in the driver the state it keeps for the show (blend, depth,
// culling, scissor, viewport, clear values, texture binding).
void apply_driver_state();
// The record of the texture bound now, made (with a driver name) on first use.
Texture& bound_texture();
// The show's id's record, or null.
Texture* find_texture(GLuint id);
bool texture_complete(const Texture& texture);

// Drawing: triangles whose vertices are complete records.
void draw_triangles(const Vertex* vertices, size_t count);
// Turns a primitive of `count` vertices into triangles, provoking vertex
// handled (see Vertex), appending to *out. False for a mode the renderer
// does not draw.
bool primitive_to_triangles(GLenum mode, const Vertex* vertices, size_t count, std::vector<Vertex>* out);
// Forgets what the renderer knows of the driver's state (after a reset).
void reset_draw_state();

} // namespace es3
