// Electric bands along a polyline: two triangle strips, one offset along x
// and one along y (first segment) or z (later segments), from static arrays;
// or their triangles cut to the part of the band texture that can be lit.
#include "gl/gl_api.h"

#include <algorithm>
#include <cstdio>

#include "geometry/strip.h"

StripVertex strip_band_a[1000];
StripVertex strip_band_b[1000];
float ring_points[100][3];

namespace {

struct StripCorner {
    float s, k;
};
// The + edge always has s = 0.8, the - edge s = 1.8; k weights the t step.
const StripCorner strip_corner_table[5] = {{1.8f, 1.0f}, {0.8f, 0.0f}, {0.8f, 1.0f}, {1.8f, 0.0f}, {1.8f, 1.0f}};

void put(StripVertex* band, int32_t at, int32_t row, float step, float base, const float* p, const float* axis,
         float w, float side)
{
    band[at].s = strip_corner_table[row].s;
    band[at].t = step * strip_corner_table[row].k + base;
    band[at].x = p[0] + side * w * axis[0];
    band[at].y = p[1] + side * w * axis[1];
    band[at].z = p[2] + side * w * axis[2];
}

StripVertex lerp(const StripVertex& a, const StripVertex& b, float f)
{
    return StripVertex{a.s + f * (b.s - a.s), a.t + f * (b.t - a.t), a.x + f * (b.x - a.x), a.y + f * (b.y - a.y),
                       a.z + f * (b.z - a.z)};
}

// The part of a triangle where lo <= s <= hi, as a fan appended to out in the
// triangle's own winding. New corners lie on its edges with s and t taken
// along with the position, as interpolation across the triangle has them;
// an edge is always cut from its end with the lower s, so the two triangles
// that share it get the very same corner and no pixel on it is lost or
// drawn twice.
int32_t cut_triangle(const StripVertex* corners, float lo, float hi, StripVertex* out)
{
    StripVertex polygon[5], next[5];
    int32_t n = 3;
    std::copy(corners, corners + 3, polygon);
    for (int side = 0; side < 2; side++) {
        // Signed distance inside the bound: >= 0 is kept.
        const float bound = side == 0 ? lo : hi;
        auto inside = [&](const StripVertex& v) { return side == 0 ? v.s - lo : hi - v.s; };
        int32_t m = 0;
        for (int32_t i = 0; i < n; i++) {
            const StripVertex& a = polygon[i];
            const StripVertex& b = polygon[(i + 1) % n];
            const float da = inside(a), db = inside(b);
            if (da >= 0)
                next[m++] = a;
            if ((da < 0 && db > 0) || (da > 0 && db < 0)) {
                const StripVertex& low = a.s < b.s ? a : b;
                const StripVertex& high = a.s < b.s ? b : a;
                next[m++] = lerp(low, high, (bound - low.s) / (high.s - low.s));
            }
        }
        n = m;
        std::copy(next, next + n, polygon);
    }
    int32_t count = 0;
    for (int32_t k = 1; k + 1 < n; k++) {
        out[count++] = polygon[0];
        out[count++] = polygon[k];
        out[count++] = polygon[k + 1];
    }
    return count;
}

// Each triangle of a strip of `count` vertices cut to lo <= s <= hi and drawn
// as separate triangles; odd triangles of a strip are wound the other way.
void draw_cut_strip(const StripVertex* strip, int32_t count, float lo, float hi)
{
    static StripVertex cut[9 * 4 * strip_max_segments];
    int32_t n = 0;
    for (int32_t k = 0; k + 2 < count; k++) {
        const StripVertex triangle[3] = {strip[k + (k & 1)], strip[k + 1 - (k & 1)], strip[k + 2]};
        n += cut_triangle(triangle, lo, hi, cut + n);
    }
    glInterleavedArrays(GL_T2F_V3F, 0, cut);
    glDrawArrays(GL_TRIANGLES, 0, n);
}

} // namespace

bool build_strip_bands(int32_t segments, const float* points, float half_width)
{
    if (segments < 1 || segments > strip_max_segments) {
        static bool reported = false;
        if (!reported)
            std::fprintf(stderr, "geometry: strip of %d segments refused (allowed 1..%d)\n", int(segments),
                         int(strip_max_segments));
        reported = true;
        return false;
    }
    static const float x_axis[3] = {1.0f, 0.0f, 0.0f};
    static const float y_axis[3] = {0.0f, 1.0f, 0.0f};
    static const float z_axis[3] = {0.0f, 0.0f, 1.0f};
    const float step = 1.0f / float(segments);
    float base = 0.0f;
    const float w = half_width;

    // Segment 0: an opening vertex, then the segment's quad.
    const float* p0 = points;
    const float* p1 = points + 3;
    put(strip_band_a, 0, 0, step, base, p0, x_axis, w, -1.0f);
    put(strip_band_a, 1, 1, step, base, p0, x_axis, w, 1.0f);
    put(strip_band_a, 2, 2, step, base, p1, x_axis, w, 1.0f);
    put(strip_band_a, 3, 3, step, base, p0, x_axis, w, -1.0f);
    put(strip_band_a, 4, 4, step, base, p1, x_axis, w, -1.0f);
    put(strip_band_b, 0, 0, step, base, p0, y_axis, w, -1.0f);
    put(strip_band_b, 1, 1, step, base, p0, y_axis, w, 1.0f);
    put(strip_band_b, 2, 2, step, base, p1, y_axis, w, 1.0f);
    put(strip_band_b, 3, 3, step, base, p0, y_axis, w, -1.0f);
    put(strip_band_b, 4, 4, step, base, p1, y_axis, w, -1.0f);

    for (int32_t i = 1; i < segments; i++) {
        base += step;
        const float* a = points + 3 * i;
        const float* b = points + 3 * (i + 1);
        const int32_t at = 4 * i + 1;
        put(strip_band_a, at, 1, step, base, a, x_axis, w, 1.0f);
        put(strip_band_a, at + 1, 2, step, base, b, x_axis, w, 1.0f);
        put(strip_band_a, at + 2, 3, step, base, a, x_axis, w, -1.0f);
        put(strip_band_a, at + 3, 4, step, base, b, x_axis, w, -1.0f);
        put(strip_band_b, at, 1, step, base, a, z_axis, w, 1.0f);
        put(strip_band_b, at + 1, 2, step, base, b, z_axis, w, 1.0f);
        put(strip_band_b, at + 2, 3, step, base, a, z_axis, w, -1.0f);
        put(strip_band_b, at + 3, 4, step, base, b, z_axis, w, -1.0f);
    }
    return true;
}

void draw_strip(int32_t segments, const float* points, float half_width)
{
    if (!build_strip_bands(segments, points, half_width))
        return;
    const GLsizei count = GLsizei(4 * segments + 1);
    glInterleavedArrays(GL_T2F_V3F, 0, strip_band_a);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, count);
    glInterleavedArrays(GL_T2F_V3F, 0, strip_band_b);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, count);
}

void draw_strip_lit(int32_t segments, const float* points, float half_width, const TextureBox& box)
{
    // The bands' s from 0.8 to 1.8 meets the lit range in the texture's first
    // repeat and its second; the cut keeps everything between.
    float lo = 1.8f, hi = 0.8f;
    for (int32_t repeat = 0; repeat < 2; repeat++) {
        const float from = std::max(0.8f, float(repeat) + box.s0);
        const float to = std::min(1.8f, float(repeat) + box.s1);
        if (from < to) {
            lo = std::min(lo, from);
            hi = std::max(hi, to);
        }
    }
    if (lo <= 0.8f && hi >= 1.8f) {
        draw_strip(segments, points, half_width);
        return;
    }
    if (!build_strip_bands(segments, points, half_width))
        return;
    const int32_t count = 4 * segments + 1;
    draw_cut_strip(strip_band_a, count, lo, hi);
    draw_cut_strip(strip_band_b, count, lo, hi);
}
