// Per-vertex normals, optionally smoothed across vertices at equal positions.
#pragma once
#include <cstdint>

void compute_vertex_normals(const int32_t* indices, int32_t face_count, const float* positions,
                            float* normals, int32_t vertex_count, int32_t mode);
