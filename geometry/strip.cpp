// Electric bands along a polyline: two triangle strips, one offset along x
// and one along y (first segment) or z (later segments), from static arrays.
#include <GL/gl.h>
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
