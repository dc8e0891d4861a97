// Where a textured polygon can change the picture: the lit part of a texture
// read back from GL, a scissor around the lit part of a flat quad, and
// whether an opaque quad covers the whole view.
#include "geometry/lit_area.h"

#include "geometry/fog.h"

#include "gl/gl_api.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// The RGB texels of level 0 of a texture, bottom row first; empty when it
// has no image. Leaves the binding and the pack alignment as they were.
std::vector<uint8_t> read_texels(uint32_t texture, int* width, int* height) {
    GLint bound = 0, alignment = 4;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    glGetIntegerv(GL_PACK_ALIGNMENT, &alignment);
    glBindTexture(GL_TEXTURE_2D, texture);
    GLint w = 0, h = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
    std::vector<uint8_t> texels;
    if (w > 0 && h > 0) {
        texels.resize(static_cast<size_t>(w) * h * 3);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
        glPixelStorei(GL_PACK_ALIGNMENT, alignment);
    }
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(bound));
    *width = w;
    *height = h;
    return texels;
}

// Lit texels, each as the square of texture coordinates its filtered samples
// can reach: linear filtering takes texel i into samples at s from
// (i - 0.5) / w to (i + 1.5) / w, widened here by half a texel each way.
// Returns false when there are none. A lit texel in the first or last
// column (row) sets *wraps_s (*wraps_t): repeat wrapping carries it to the
// opposite edge.
template <typename Visit>
bool visit_lit_texels(uint32_t texture, bool* wraps_s, bool* wraps_t, Visit visit) {
    int w = 0, h = 0;
    const std::vector<uint8_t> texels = read_texels(texture, &w, &h);
    bool any = false;
    *wraps_s = *wraps_t = false;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint8_t* p = &texels[(static_cast<size_t>(y) * w + x) * 3];
            if ((p[0] | p[1] | p[2]) == 0) continue;
            any = true;
            *wraps_s = *wraps_s || x == 0 || x == w - 1;
            *wraps_t = *wraps_t || y == 0 || y == h - 1;
            visit(static_cast<float>(x - 1) / w, static_cast<float>(y - 1) / h, static_cast<float>(x + 2) / w,
                  static_cast<float>(y + 2) / h);
        }
    return any;
}

struct Window {
    double x, y, depth;
};

struct Projection {
    double m[16]; // projection x modelview, column-major
    GLint viewport[4];
    double near_depth, far_depth;
};

Projection current_projection() {
    float model[16], projection[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, model);
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    Projection p;
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r) {
            double sum = 0;
            for (int k = 0; k < 4; ++k) sum += double(projection[k * 4 + r]) * model[c * 4 + k];
            p.m[c * 4 + r] = sum;
        }
    glGetIntegerv(GL_VIEWPORT, p.viewport);
    GLdouble range[2] = {0, 1};
    glGetDoublev(GL_DEPTH_RANGE, range);
    p.near_depth = range[0];
    p.far_depth = range[1];
    return p;
}

// False for a point on or behind the eye plane.
bool to_window(const Projection& p, const double v[3], Window* out) {
    double clip[4];
    for (int r = 0; r < 4; ++r) clip[r] = p.m[r] * v[0] + p.m[4 + r] * v[1] + p.m[8 + r] * v[2] + p.m[12 + r];
    if (!(clip[3] > 1e-6)) return false;
    out->x = p.viewport[0] + (clip[0] / clip[3] + 1.0) * 0.5 * p.viewport[2];
    out->y = p.viewport[1] + (clip[1] / clip[3] + 1.0) * 0.5 * p.viewport[3];
    out->depth = p.near_depth + (clip[2] / clip[3] + 1.0) * 0.5 * (p.far_depth - p.near_depth);
    return true;
}

// Whether GL would cull a polygon wound this way in the window.
bool culled(double signed_area) {
    if (!glIsEnabled(GL_CULL_FACE)) return false;
    GLint front = GL_CCW, mode = GL_BACK;
    glGetIntegerv(GL_FRONT_FACE, &front);
    glGetIntegerv(GL_CULL_FACE_MODE, &mode);
    const bool front_facing = (signed_area > 0) == (front == GL_CCW);
    return mode == GL_FRONT_AND_BACK || (mode == GL_FRONT) == front_facing;
}

} // namespace

TextureBox texture_lit_box(uint32_t texture) {
    TextureBox box{1, 1, 0, 0};
    bool wraps_s = false, wraps_t = false;
    const bool lit = visit_lit_texels(texture, &wraps_s, &wraps_t, [&](float s0, float t0, float s1, float t1) {
        box.s0 = std::min(box.s0, s0);
        box.t0 = std::min(box.t0, t0);
        box.s1 = std::max(box.s1, s1);
        box.t1 = std::max(box.t1, t1);
    });
    if (!lit) return TextureBox{0, 0, 1, 1};
    if (wraps_s) box.s0 = 0, box.s1 = 1;
    if (wraps_t) box.t0 = 0, box.t1 = 1;
    return TextureBox{std::max(box.s0, 0.0f), std::max(box.t0, 0.0f), std::min(box.s1, 1.0f), std::min(box.t1, 1.0f)};
}

TextureOutline whole_texture_outline() { return TextureOutline{4, {{0, 0}, {1, 0}, {1, 1}, {0, 1}}}; }

TextureOutline texture_lit_outline(uint32_t texture) {
    // Eight directions: the bounding box and the two diagonals both ways.
    static const float directions[8][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}, {1, 1}, {-1, -1}, {1, -1}, {-1, 1}};
    float reach[8];
    std::fill(reach, reach + 8, -1e30f);
    bool wraps_s = false, wraps_t = false;
    const bool lit = visit_lit_texels(texture, &wraps_s, &wraps_t, [&](float s0, float t0, float s1, float t1) {
        for (int k = 0; k < 8; ++k)
            for (float s : {s0, s1})
                for (float t : {t0, t1}) reach[k] = std::max(reach[k], directions[k][0] * s + directions[k][1] * t);
    });
    if (!lit || wraps_s || wraps_t) return whole_texture_outline();
    // The square cut by each direction's line in turn; convex throughout.
    std::vector<std::pair<float, float>> polygon = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    for (int k = 0; k < 8; ++k) {
        auto outside = [&](const std::pair<float, float>& p) {
            return directions[k][0] * p.first + directions[k][1] * p.second - reach[k];
        };
        std::vector<std::pair<float, float>> cut;
        for (size_t i = 0; i < polygon.size(); ++i) {
            const auto& a = polygon[i];
            const auto& b = polygon[(i + 1) % polygon.size()];
            const float da = outside(a), db = outside(b);
            if (da <= 0) cut.push_back(a);
            if ((da < 0 && db > 0) || (da > 0 && db < 0)) {
                const float f = da / (da - db);
                cut.push_back({a.first + f * (b.first - a.first), a.second + f * (b.second - a.second)});
            }
        }
        polygon = cut;
    }
    if (polygon.size() < 3 || polygon.size() > 8) return whole_texture_outline();
    TextureOutline outline;
    outline.count = static_cast<int32_t>(polygon.size());
    for (size_t i = 0; i < polygon.size(); ++i) {
        outline.st[i][0] = polygon[i].first;
        outline.st[i][1] = polygon[i].second;
    }
    return outline;
}

bool begin_lit_scissor(const float origin[3], const float s_end[3], const float t_end[3], const TextureBox& box) {
    const Projection p = current_projection();
    double x0 = 1e30, y0 = 1e30, x1 = -1e30, y1 = -1e30;
    for (float s : {box.s0, box.s1})
        for (float t : {box.t0, box.t1}) {
            double v[3];
            for (int k = 0; k < 3; ++k)
                v[k] = origin[k] + s * (double(s_end[k]) - origin[k]) + t * (double(t_end[k]) - origin[k]);
            Window w;
            if (!to_window(p, v, &w)) return false;
            x0 = std::min(x0, w.x);
            y0 = std::min(y0, w.y);
            x1 = std::max(x1, w.x);
            y1 = std::max(y1, w.y);
        }
    // A pixel is drawn when its centre is covered: one pixel more each way
    // than the bounds leaves room for rounding.
    const double vx = p.viewport[0], vy = p.viewport[1];
    const double left = std::max(vx, std::floor(x0) - 1), bottom = std::max(vy, std::floor(y0) - 1);
    const double right = std::min(vx + p.viewport[2], std::ceil(x1) + 1);
    const double top = std::min(vy + p.viewport[3], std::ceil(y1) + 1);
    glScissor(static_cast<GLint>(left), static_cast<GLint>(bottom), static_cast<GLsizei>(std::max(0.0, right - left)),
              static_cast<GLsizei>(std::max(0.0, top - bottom)));
    glEnable(GL_SCISSOR_TEST);
    return true;
}

void end_lit_scissor() { glDisable(GL_SCISSOR_TEST); }

void draw_lit_quad(const float origin[3], const float s_end[3], const float t_end[3], const TextureBox& box) {
    const float corners[4][3] = {{origin[0], origin[1], origin[2]},
                                 {t_end[0], t_end[1], t_end[2]},
                                 {s_end[0] + t_end[0] - origin[0], s_end[1] + t_end[1] - origin[1],
                                  s_end[2] + t_end[2] - origin[2]},
                                 {s_end[0], s_end[1], s_end[2]}};
    // A quad at one eye depth takes its fog in the colour (geometry/fog.h).
    double eye_z = 0;
    float colour[4];
    const bool fold_fog = flat_eye_depth(corners, 4, &eye_z) && fold_fog_into_colour(eye_z, colour);
    const bool scissored = begin_lit_scissor(origin, s_end, t_end, box);
    static const float st[4][2] = {{0, 0}, {0, 1}, {1, 1}, {1, 0}};
    glBegin(GL_QUADS);
    for (int k = 0; k < 4; ++k) {
        glTexCoord2fv(st[k]);
        glVertex3fv(corners[k]);
    }
    glEnd();
    if (scissored) end_lit_scissor();
    if (fold_fog) unfold_fog(colour);
}

bool quad_covers_viewport(const float corners[4][3], double* depth_min, double* depth_max) {
    const Projection p = current_projection();
    Window w[4];
    *depth_min = 1e30;
    *depth_max = -1e30;
    for (int i = 0; i < 4; ++i) {
        const double v[3] = {corners[i][0], corners[i][1], corners[i][2]};
        if (!to_window(p, v, &w[i])) return false;
        *depth_min = std::min(*depth_min, w[i].depth);
        *depth_max = std::max(*depth_max, w[i].depth);
    }
    double area = 0;
    for (int i = 0; i < 4; ++i) area += w[i].x * w[(i + 1) % 4].y - w[(i + 1) % 4].x * w[i].y;
    if (area == 0 || culled(area)) return false;
    const double sign = area > 0 ? 1.0 : -1.0;
    // Every corner of the viewport at least a pixel inside every edge.
    const double vx = p.viewport[0], vy = p.viewport[1], vw = p.viewport[2], vh = p.viewport[3];
    const double view[4][2] = {{vx, vy}, {vx + vw, vy}, {vx + vw, vy + vh}, {vx, vy + vh}};
    for (int i = 0; i < 4; ++i) {
        const Window& a = w[i];
        const Window& b = w[(i + 1) % 4];
        const double length = std::hypot(b.x - a.x, b.y - a.y);
        if (length == 0) return false;
        for (const auto& c : view) {
            const double inside = sign * ((b.x - a.x) * (c[1] - a.y) - (b.y - a.y) * (c[0] - a.x)) / length;
            if (inside < 1.0) return false;
        }
    }
    return true;
}
