// The straightforward all-pairs form of compute_vertex_normals: fixed lists
// of 100 faces per vertex and a scan of every face for every corner. Kept for
// the tests and the benchmark as the measure of the fast position lookup.
#pragma once
#include <cmath>
#include <cstdint>
#include <vector>

inline void compute_vertex_normals_all_pairs(const int32_t* indices, int32_t face_count, const float* positions,
                                             float* normals, int32_t vertex_count, int32_t mode)
{
    if (mode < 1)
        return;
    std::vector<float> face_normals(size_t(face_count) * 3);
    std::vector<int32_t> lists(size_t(vertex_count) * 100);
    std::vector<int32_t> lengths(size_t(vertex_count), 0);
    auto append = [&](int32_t v, int32_t p) {
        if (lengths[v] < 100) // the caller keeps lists short; this only keeps a bad input in bounds
            lists[size_t(v) * 100 + lengths[v]++] = p;
    };
    for (int32_t f = 0; f < face_count; f++) {
        const int32_t p = 3 * f;
        const int32_t r0 = indices[p], r1 = indices[p + 1], r2 = indices[p + 2];
        const float e1x = positions[r1] - positions[r0], e1y = positions[r1 + 1] - positions[r0 + 1],
                    e1z = positions[r1 + 2] - positions[r0 + 2];
        const float e2x = positions[r2] - positions[r1], e2y = positions[r2 + 1] - positions[r1 + 1],
                    e2z = positions[r2 + 2] - positions[r1 + 2];
        face_normals[p] = e1y * e2z - e1z * e2y;
        face_normals[p + 1] = e1z * e2x - e1x * e2z;
        face_normals[p + 2] = e1x * e2y - e1y * e2x;
        append(r0 / 3, p);
        append(r1 / 3, p);
        append(r2 / 3, p);
    }
    if (mode >= 2)
        for (int32_t f = 0; f < face_count; f++)
            for (int32_t c = 0; c < 3; c++) {
                const int32_t ra = indices[3 * f + c];
                const int32_t a = ra / 3;
                const float* va = positions + ra;
                for (int32_t g = 0; g < face_count; g++) {
                    const int32_t q = 3 * g;
                    bool listed = false;
                    for (int32_t i = 0; i < lengths[a]; i++)
                        if (lists[size_t(a) * 100 + i] == q) {
                            listed = true;
                            break;
                        }
                    if (listed)
                        continue;
                    for (int32_t k = 0; k < 3; k++) {
                        const float* vg = positions + indices[q + k];
                        if (vg[0] == va[0] && vg[1] == va[1] && vg[2] == va[2]) {
                            append(a, q);
                            break;
                        }
                    }
                }
            }
    for (int32_t v = 0; v < vertex_count; v++) {
        float x = 0.0f, y = 0.0f, z = 0.0f;
        for (int32_t i = 0; i < lengths[v]; i++) {
            const int32_t p = lists[size_t(v) * 100 + i];
            x += face_normals[p];
            y += face_normals[p + 1];
            z += face_normals[p + 2];
        }
        const float length = float(std::sqrt(double(x * x + y * y + z * z)));
        if (length == 0.0f) {
            normals[3 * v] = normals[3 * v + 1] = normals[3 * v + 2] = 0.0f;
            continue;
        }
        normals[3 * v] = x / length;
        normals[3 * v + 1] = y / length;
        normals[3 * v + 2] = z / length;
    }
}
