// Vertex normals: area-weighted face normals summed per vertex in single
// precision, optionally across every face with a corner at the same position.
#include "geometry/normals.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

// Exact-equality key of a position; -0 and +0 compare equal as floats, so they
// share a key.
struct PositionKey {
    uint32_t x, y, z;
    bool operator<(const PositionKey& o) const
    {
        if (x != o.x)
            return x < o.x;
        if (y != o.y)
            return y < o.y;
        return z < o.z;
    }
    bool operator==(const PositionKey& o) const { return x == o.x && y == o.y && z == o.z; }
};

uint32_t key_bits(float v)
{
    if (v == 0.0f)
        v = 0.0f;
    uint32_t bits;
    std::memcpy(&bits, &v, 4);
    return bits;
}

bool has_nan(const float* p) { return p[0] != p[0] || p[1] != p[1] || p[2] != p[2]; }

struct CornerEntry {
    PositionKey key;
    int32_t face;
    bool operator<(const CornerEntry& o) const
    {
        if (!(key == o.key))
            return key < o.key;
        return face < o.face;
    }
};

} // namespace

void compute_vertex_normals(const int32_t* indices, int32_t face_count, const float* positions,
                            float* normals, int32_t vertex_count, int32_t mode)
{
    if (mode < 1)
        return;

    // Face normals (unnormalised: twice the area) and, per vertex, the faces
    // that use it by index, in face order.
    std::vector<float> face_normals(size_t(face_count) * 3);
    std::vector<int32_t> direct_start(size_t(vertex_count) + 1, 0);
    for (int32_t f = 0; f < face_count; f++) {
        const float* p0 = positions + indices[3 * f];
        const float* p1 = positions + indices[3 * f + 1];
        const float* p2 = positions + indices[3 * f + 2];
        const float e1x = p1[0] - p0[0], e1y = p1[1] - p0[1], e1z = p1[2] - p0[2];
        const float e2x = p2[0] - p1[0], e2y = p2[1] - p1[1], e2z = p2[2] - p1[2];
        face_normals[3 * f] = e1y * e2z - e1z * e2y;
        face_normals[3 * f + 1] = e1z * e2x - e1x * e2z;
        face_normals[3 * f + 2] = e1x * e2y - e1y * e2x;
        for (int32_t c = 0; c < 3; c++)
            direct_start[indices[3 * f + c] / 3 + 1]++;
    }
    for (int32_t v = 0; v < vertex_count; v++)
        direct_start[v + 1] += direct_start[v];
    std::vector<int32_t> direct_faces(size_t(face_count) * 3);
    {
        std::vector<int32_t> fill(direct_start.begin(), direct_start.end() - 1);
        for (int32_t f = 0; f < face_count; f++)
            for (int32_t c = 0; c < 3; c++)
                direct_faces[fill[indices[3 * f + c] / 3]++] = f;
    }

    // Every face with a corner at a position, in face order, once each: a
    // sorted corner list stands in for scanning all faces per vertex.
    std::vector<CornerEntry> corners;
    if (mode >= 2) {
        corners.reserve(size_t(face_count) * 3);
        for (int32_t f = 0; f < face_count; f++)
            for (int32_t c = 0; c < 3; c++) {
                const float* p = positions + indices[3 * f + c];
                if (has_nan(p))
                    continue; // never equal to anything, itself included
                corners.push_back({{key_bits(p[0]), key_bits(p[1]), key_bits(p[2])}, f});
            }
        std::sort(corners.begin(), corners.end());
        corners.erase(std::unique(corners.begin(), corners.end(),
                                  [](const CornerEntry& a, const CornerEntry& b) {
                                      return a.key == b.key && a.face == b.face;
                                  }),
                      corners.end());
    }

    std::vector<int32_t> seen_by(size_t(face_count), -1);
    for (int32_t v = 0; v < vertex_count; v++) {
        float sum[3] = {0.0f, 0.0f, 0.0f};
        const int32_t first = direct_start[v], last = direct_start[v + 1];
        for (int32_t i = first; i < last; i++) {
            const int32_t f = direct_faces[i];
            seen_by[f] = v;
            sum[0] += face_normals[3 * f];
            sum[1] += face_normals[3 * f + 1];
            sum[2] += face_normals[3 * f + 2];
        }
        // Only vertices some face uses take part in the smoothing.
        if (mode >= 2 && last > first && !has_nan(positions + 3 * v)) {
            const float* p = positions + 3 * v;
            const CornerEntry probe{{key_bits(p[0]), key_bits(p[1]), key_bits(p[2])}, -1};
            auto it = std::lower_bound(corners.begin(), corners.end(), probe);
            for (; it != corners.end() && it->key == probe.key; ++it) {
                const int32_t f = it->face;
                if (seen_by[f] == v)
                    continue;
                sum[0] += face_normals[3 * f];
                sum[1] += face_normals[3 * f + 1];
                sum[2] += face_normals[3 * f + 2];
            }
        }
        const float length = float(std::sqrt(double(sum[0] * sum[0] + sum[1] * sum[1] + sum[2] * sum[2])));
        float* out = normals + 3 * v;
        if (length == 0.0f) {
            // No face to take a direction from: leave a zero normal rather than NaN.
            out[0] = out[1] = out[2] = 0.0f;
            continue;
        }
        out[0] = sum[0] / length;
        out[1] = sum[1] / length;
        out[2] = sum[2] / length;
    }
}
