// Shaders generated per state, with GL 1.x's equations: lighting per vertex
// (default material, attenuated positional and directional lights), colours
// clamped per vertex, texture modulate, fog per fragment from the eye-plane
// distance. Uniforms are sent only when the state behind them has changed.
#include "gl/es3_programs.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <unordered_map>

namespace es3 {

namespace {
enum KeyBits : uint32_t {
    lights_mask = 0xff,          // which lights are on
    directional_shift = 8,       // which of them are directional
    lighting_bit = 1u << 16,
    normalize_bit = 1u << 17,
    fog_shift = 18,              // 0 none, 1 linear, 2 exp, 3 exp2
    texture_bit = 1u << 20,
    texture_matrix_bit = 1u << 21,
    border_s_bit = 1u << 22,     // GL_CLAMP with linear filtering
    border_t_bit = 1u << 23,
    flat_bit = 1u << 24,
};

// GL's default material and light model, which the show never changes.
constexpr float material_ambient = 0.2f, material_diffuse = 0.8f, material_alpha = 1.0f;

struct Program {
    GLuint name = 0;
    GLint mvp = -1, modelview = -1, normal_matrix = -1, texture_matrix = -1, scene_colour = -1;
    GLint light_position = -1, light_ambient = -1, light_diffuse = -1, light_attenuation = -1;
    GLint fog = -1, fog_colour = -1, texture_size = -1;
    // The state each group of uniforms was last sent for.
    uint32_t sent_modelview = 0, sent_projection = 0, sent_texture_matrix = 0, sent_lights = 0, sent_fog = 0;
};

std::unordered_map<uint32_t, std::unique_ptr<Program>> programs;
GLuint current_program = 0;

// Derived matrices, remade when their sources change.
struct Derived {
    uint32_t modelview = 0, projection = 0;
    Matrix mvp;
    float normal_matrix[9];
} derived;

bool linear_filtering(const Texture& t) { return t.mag_filter == GL_LINEAR || t.min_filter == GL_LINEAR; }

void append(std::string* s, const char* text) { s->append(text); }

template <typename... Numbers>
void appendf(std::string* s, const char* format, Numbers... numbers) {
    char line[512];
    std::snprintf(line, sizeof line, format, numbers...);
    s->append(line);
}

GLuint compile(GLenum stage, const std::string& source, ProgramKey key) {
    const GLuint shader = driver.CreateShader(stage);
    const GLchar* text = source.c_str();
    driver.ShaderSource(shader, 1, &text, nullptr);
    driver.CompileShader(shader);
    GLint ok = 0;
    driver.GetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[1024] = "";
        driver.GetShaderInfoLog(shader, sizeof log, nullptr, log);
        std::fprintf(stderr, "gl: es3: the %s shader for state 0x%07x does not compile: %s\n",
                     stage == GL_VERTEX_SHADER ? "vertex" : "fragment", key.bits, log);
        driver.DeleteShader(shader);
        return 0;
    }
    return shader;
}

std::unique_ptr<Program> build(ProgramKey key) {
    const GLuint vertex = compile(GL_VERTEX_SHADER, vertex_shader_source(key), key);
    const GLuint fragment = compile(GL_FRAGMENT_SHADER, fragment_shader_source(key), key);
    if (!vertex || !fragment) return nullptr;
    auto p = std::make_unique<Program>();
    p->name = driver.CreateProgram();
    driver.AttachShader(p->name, vertex);
    driver.AttachShader(p->name, fragment);
    driver.LinkProgram(p->name);
    driver.DeleteShader(vertex);
    driver.DeleteShader(fragment);
    GLint ok = 0;
    driver.GetProgramiv(p->name, GL_LINK_STATUS, &ok);
    if (!ok) {
        char log[1024] = "";
        driver.GetProgramInfoLog(p->name, sizeof log, nullptr, log);
        std::fprintf(stderr, "gl: es3: the program for state 0x%07x does not link: %s\n", key.bits, log);
        return nullptr;
    }
    auto where = [&](const char* name) { return driver.GetUniformLocation(p->name, name); };
    p->mvp = where("u_mvp");
    p->modelview = where("u_modelview");
    p->normal_matrix = where("u_normal_matrix");
    p->texture_matrix = where("u_texture_matrix");
    p->scene_colour = where("u_scene_colour");
    p->light_position = where("u_light_position");
    p->light_ambient = where("u_light_ambient");
    p->light_diffuse = where("u_light_diffuse");
    p->light_attenuation = where("u_light_attenuation");
    p->fog = where("u_fog");
    p->fog_colour = where("u_fog_colour");
    p->texture_size = where("u_texture_size");
    driver.UseProgram(p->name);
    current_program = p->name;
    driver.Uniform1i(where("u_texture"), 0);
    return p;
}

void update_derived() {
    const Serials& s = ctx.serials;
    if (derived.modelview == s.modelview && derived.projection == s.projection) return;
    const Matrix& mv = ctx.stacks[0].back();
    derived.mvp = multiply(ctx.stacks[1].back(), mv);
    if (derived.modelview != s.modelview) {
        // Normals go through the inverse transpose of the upper 3 x 3.
        const float* m = mv.m;
        const double a = m[0], b = m[4], c = m[8], d = m[1], e = m[5], f = m[9], g = m[2], h = m[6], i = m[10];
        const double det = a * (e * i - f * h) - b * (d * i - f * g) + c * (d * h - e * g);
        const double r = det != 0 ? 1.0 / det : 0.0;
        // Inverse transpose, column-major: column k is row k of the inverse.
        const double n[9] = {(e * i - f * h) * r, (c * h - b * i) * r, (b * f - c * e) * r,
                             (f * g - d * i) * r, (a * i - c * g) * r, (c * d - a * f) * r,
                             (d * h - e * g) * r, (b * g - a * h) * r, (a * e - b * d) * r};
        for (int k = 0; k < 9; ++k) derived.normal_matrix[k] = static_cast<float>(n[k]);
    }
    derived.modelview = s.modelview;
    derived.projection = s.projection;
}

void send_lights(const Program& p, ProgramKey key) {
    const ServerState& s = ctx.s;
    float position[4 * max_lights], ambient[4 * max_lights], diffuse[4 * max_lights], attenuation[3 * max_lights];
    int n = 0;
    for (int i = 0; i < max_lights; ++i) {
        if (!(key.bits & (1u << i))) continue;
        const Light& l = s.lights[i];
        float* pos = position + 4 * n;
        if (l.position[3] == 0) {
            const float length = std::sqrt(l.position[0] * l.position[0] + l.position[1] * l.position[1] +
                                           l.position[2] * l.position[2]);
            const float scale = length > 0 ? 1.0f / length : 0.0f;
            for (int k = 0; k < 3; ++k) pos[k] = l.position[k] * scale;
            pos[3] = 0;
        } else {
            for (int k = 0; k < 3; ++k) pos[k] = l.position[k] / l.position[3];
            pos[3] = 1;
        }
        for (int k = 0; k < 3; ++k) {
            ambient[4 * n + k] = l.ambient[k] * material_ambient;
            diffuse[4 * n + k] = l.diffuse[k] * material_diffuse;
            attenuation[3 * n + k] = l.attenuation[k];
        }
        ambient[4 * n + 3] = diffuse[4 * n + 3] = 0;
        ++n;
    }
    const float scene[4] = {s.model_ambient[0] * material_ambient, s.model_ambient[1] * material_ambient,
                            s.model_ambient[2] * material_ambient, material_alpha};
    driver.Uniform4fv(p.scene_colour, 1, scene);
    if (n == 0) return;
    driver.Uniform4fv(p.light_position, n, position);
    driver.Uniform4fv(p.light_ambient, n, ambient);
    driver.Uniform4fv(p.light_diffuse, n, diffuse);
    driver.Uniform3fv(p.light_attenuation, n, attenuation);
}

void send_fog(const Program& p) {
    const ServerState& s = ctx.s;
    const float range = s.fog_end - s.fog_start;
    const float fog[3] = {s.fog_density, s.fog_end, range != 0 ? 1.0f / range : 0.0f};
    driver.Uniform3fv(p.fog, 1, fog);
    driver.Uniform3fv(p.fog_colour, 1, s.fog_colour);
}

void send_uniforms(Program& p, ProgramKey key) {
    const Serials& s = ctx.serials;
    if (p.sent_modelview != s.modelview || p.sent_projection != s.projection) {
        update_derived();
        driver.UniformMatrix4fv(p.mvp, 1, GL_FALSE, derived.mvp.m);
        if (p.modelview >= 0) driver.UniformMatrix4fv(p.modelview, 1, GL_FALSE, ctx.stacks[0].back().m);
        if (p.normal_matrix >= 0) driver.UniformMatrix3fv(p.normal_matrix, 1, GL_FALSE, derived.normal_matrix);
        p.sent_modelview = s.modelview;
        p.sent_projection = s.projection;
    }
    if (p.texture_matrix >= 0 && p.sent_texture_matrix != s.texture_matrix) {
        driver.UniformMatrix4fv(p.texture_matrix, 1, GL_FALSE, ctx.stacks[2].back().m);
        p.sent_texture_matrix = s.texture_matrix;
    }
    if (key.lighting() && p.sent_lights != s.lights) {
        send_lights(p, key);
        p.sent_lights = s.lights;
    }
    if (p.fog >= 0 && p.sent_fog != s.fog) {
        send_fog(p);
        p.sent_fog = s.fog;
    }
    if (p.texture_size >= 0) {
        const Texture& t = bound_texture();
        driver.Uniform2f(p.texture_size, float(t.width), float(t.height));
    }
}
} // namespace

int ProgramKey::light_count() const {
    int n = 0;
    for (uint32_t m = bits & lights_mask; m; m &= m - 1) ++n;
    return n;
}
bool ProgramKey::lighting() const { return bits & lighting_bit; }
bool ProgramKey::flat() const { return bits & flat_bit; }

ProgramKey key_for_current_state() {
    const ServerState& s = ctx.s;
    ProgramKey key;
    if (s.lighting) {
        key.bits |= lighting_bit;
        for (int i = 0; i < max_lights; ++i) {
            if (!s.light_enabled[i]) continue;
            key.bits |= 1u << i;
            if (s.lights[i].position[3] == 0) key.bits |= 1u << (directional_shift + i);
        }
        if (s.normalize) key.bits |= normalize_bit;
    }
    if (s.fog) key.bits |= (s.fog_mode == GL_LINEAR ? 1u : s.fog_mode == GL_EXP ? 2u : 3u) << fog_shift;
    if (s.texture_2d) {
        const Texture& t = bound_texture();
        if (texture_complete(t)) {
            key.bits |= texture_bit;
            if (!is_identity(ctx.stacks[2].back())) key.bits |= texture_matrix_bit;
            if (linear_filtering(t) && t.wrap_s == GL_CLAMP) key.bits |= border_s_bit;
            if (linear_filtering(t) && t.wrap_t == GL_CLAMP) key.bits |= border_t_bit;
        }
    }
    if (s.shade_model == GL_FLAT) key.bits |= flat_bit;
    return key;
}

std::string vertex_shader_source(ProgramKey key) {
    const bool lighting = key.lighting(), fog = (key.bits >> fog_shift) & 3, texture = key.bits & texture_bit;
    const bool texture_matrix = key.bits & texture_matrix_bit;
    const int lights = key.light_count();
    std::string s = "#version 300 es\n"
                    "layout(location = 0) in vec3 a_position;\n"
                    "layout(location = 1) in vec3 a_normal;\n"
                    "layout(location = 2) in vec4 a_colour;\n"
                    "layout(location = 3) in vec2 a_texcoord;\n"
                    "layout(location = 4) in vec3 a_lit_position;\n"
                    "uniform mat4 u_mvp;\n";
    if (lighting || fog) append(&s, "uniform mat4 u_modelview;\n");
    if (lighting) {
        append(&s, "uniform mat3 u_normal_matrix;\nuniform vec4 u_scene_colour;\n");
        if (lights > 0)
            appendf(&s,
                    "uniform vec4 u_light_position[%d];\nuniform vec4 u_light_ambient[%d];\n"
                    "uniform vec4 u_light_diffuse[%d];\nuniform vec3 u_light_attenuation[%d];\n",
                    lights, lights, lights, lights);
    }
    if (texture_matrix) append(&s, "uniform mat4 u_texture_matrix;\n");
    append(&s, key.flat() ? "flat out vec4 v_colour;\n" : "out vec4 v_colour;\n");
    if (texture) append(&s, texture_matrix ? "out vec3 v_texcoord;\n" : "out vec2 v_texcoord;\n");
    if (fog) append(&s, "out float v_fog_distance;\n");
    append(&s, "void main() {\n    gl_Position = u_mvp * vec4(a_position, 1.0);\n");
    if (fog) append(&s, "    v_fog_distance = abs((u_modelview * vec4(a_position, 1.0)).z);\n");
    if (lighting) {
        append(&s, key.flat() ? "    vec3 eye = (u_modelview * vec4(a_lit_position, 1.0)).xyz;\n"
                              : "    vec3 eye = (u_modelview * vec4(a_position, 1.0)).xyz;\n");
        append(&s, (key.bits & normalize_bit) ? "    vec3 n = normalize(u_normal_matrix * a_normal);\n"
                                              : "    vec3 n = u_normal_matrix * a_normal;\n");
        append(&s, "    vec3 c = u_scene_colour.rgb;\n");
        int slot = 0;
        for (int i = 0; i < max_lights; ++i) {
            if (!(key.bits & (1u << i))) continue;
            if (key.bits & (1u << (directional_shift + i))) {
                appendf(&s,
                        "    c += u_light_ambient[%d].rgb + max(dot(n, u_light_position[%d].xyz), 0.0) * "
                        "u_light_diffuse[%d].rgb;\n",
                        slot, slot, slot);
            } else {
                appendf(&s,
                        "    {\n        vec3 vp = u_light_position[%d].xyz - eye;\n"
                        "        float d2 = dot(vp, vp);\n        float inv_d = inversesqrt(d2);\n",
                        slot);
                appendf(&s,
                        "        vec3 k = u_light_attenuation[%d];\n"
                        "        float attenuation = 1.0 / (k.x + k.y * d2 * inv_d + k.z * d2);\n"
                        "        c += attenuation * (u_light_ambient[%d].rgb",
                        slot, slot);
                appendf(&s, " + max(dot(n, vp * inv_d), 0.0) * u_light_diffuse[%d].rgb);\n    }\n", slot);
            }
            ++slot;
        }
        append(&s, "    v_colour = clamp(vec4(c, u_scene_colour.a), 0.0, 1.0);\n");
    } else {
        append(&s, "    v_colour = clamp(a_colour, 0.0, 1.0);\n");
    }
    if (texture)
        append(&s, texture_matrix ? "    v_texcoord = (u_texture_matrix * vec4(a_texcoord, 0.0, 1.0)).xyw;\n"
                                  : "    v_texcoord = a_texcoord;\n");
    append(&s, "}\n");
    return s;
}

std::string fragment_shader_source(ProgramKey key) {
    const uint32_t fog = (key.bits >> fog_shift) & 3;
    const bool texture = key.bits & texture_bit, texture_matrix = key.bits & texture_matrix_bit;
    const bool border_s = key.bits & border_s_bit, border_t = key.bits & border_t_bit;
    std::string s = "#version 300 es\nprecision highp float;\n";
    append(&s, key.flat() ? "flat in vec4 v_colour;\n" : "in vec4 v_colour;\n");
    if (texture) {
        append(&s, texture_matrix ? "in vec3 v_texcoord;\n" : "in vec2 v_texcoord;\n");
        append(&s, "uniform sampler2D u_texture;\n");
        if (border_s || border_t) append(&s, "uniform vec2 u_texture_size;\n");
    }
    if (fog) append(&s, "in float v_fog_distance;\nuniform vec3 u_fog;\nuniform vec3 u_fog_colour;\n");
    append(&s, "out vec4 fragment;\nvoid main() {\n    vec4 c = v_colour;\n");
    if (texture) {
        append(&s, texture_matrix ? "    vec2 st = v_texcoord.xy / v_texcoord.z;\n" : "    vec2 st = v_texcoord;\n");
        if (border_s || border_t) {
            // GL_CLAMP: coordinates held to 0..1, and within half a texel of
            // an edge the filter takes in the border's black.
            append(&s, border_s ? "    st.x = clamp(st.x, 0.0, 1.0);\n" : "");
            append(&s, border_t ? "    st.y = clamp(st.y, 0.0, 1.0);\n" : "");
            append(&s, "    vec2 u = st * u_texture_size - 0.5;\n"
                       "    vec2 border = clamp(max(-u, u - (u_texture_size - 1.0)), 0.0, 1.0);\n");
            append(&s, border_s ? "" : "    border.x = 0.0;\n");
            append(&s, border_t ? "" : "    border.y = 0.0;\n");
            append(&s, "    c *= texture(u_texture, st) * ((1.0 - border.x) * (1.0 - border.y));\n");
        } else {
            append(&s, "    c *= texture(u_texture, st);\n");
        }
    }
    if (fog == 1) append(&s, "    float f = (u_fog.y - v_fog_distance) * u_fog.z;\n");
    if (fog == 2) append(&s, "    float f = exp2(-u_fog.x * v_fog_distance * 1.442695);\n");
    if (fog == 3) append(&s, "    float d = u_fog.x * v_fog_distance;\n    float f = exp2(-d * d * 1.442695);\n");
    if (fog) append(&s, "    c.rgb = mix(u_fog_colour, c.rgb, clamp(f, 0.0, 1.0));\n");
    append(&s, "    fragment = c;\n}\n");
    return s;
}

bool use_program_for_current_state(ProgramKey* key_out) {
    const ProgramKey key = key_for_current_state();
    auto found = programs.find(key.bits);
    if (found == programs.end()) {
        std::unique_ptr<Program> built = build(key);
        if (!built) {
            set_error(GL_INVALID_OPERATION, "draw: the renderer cannot build a shader for this state");
            return false;
        }
        found = programs.emplace(key.bits, std::move(built)).first;
    }
    Program& p = *found->second;
    if (current_program != p.name) {
        driver.UseProgram(p.name);
        current_program = p.name;
    }
    send_uniforms(p, key);
    *key_out = key;
    return true;
}

void forget_programs() {
    programs.clear();
    current_program = 0;
    derived = Derived();
}

} // namespace es3
