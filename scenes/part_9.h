// Part 9: the fourth clip on a rippling, jittered 40 x 40 grid surface under
// turning title quads and a scroller. The surface builder is exposed for tests.
#pragma once
#include <cstdint>

constexpr int32_t ripple_cells = 40;
constexpr int32_t ripple_vertex_count = 9600;
constexpr int32_t ripple_triangle_count = 3200;
constexpr double part_9_length_ms = 15000.0;

// normal = (q - p) x (r - p), not normalised.
void triangle_normal(const float* p, const float* q, const float* r, float* normal);

// Builds the surface for ripple clock c with texture extents w and h into
// positions and texcoords (3 floats per vertex, texcoords use the first two)
// and normals (3 floats per triangle). Draws two random numbers per cell.
void build_ripple_surface(float c, float w, float h, float* positions, float* texcoords,
                          float* normals);
