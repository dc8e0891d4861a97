// Thin textured bands along a polyline, drawn as two triangle strips.
#pragma once
#include <cstdint>

#include "geometry/lit_area.h"

constexpr int32_t strip_max_segments = 249;

struct StripVertex {
    float s, t, x, y, z;
};
extern StripVertex strip_band_a[1000];
extern StripVertex strip_band_b[1000];

// Shared by the room's rings and the finale's bolts.
extern float ring_points[100][3];

// Fills 4n + 1 vertices of both bands; a count outside 1..249 is refused
// (one message, nothing written) and gives false.
bool build_strip_bands(int32_t segments, const float* points, float half_width);
void draw_strip(int32_t segments, const float* points, float half_width);
// draw_strip with each triangle of both bands cut to where the bound texture
// can be lit: box is its texture_lit_box, and the bands' s runs from 0.8 to
// 1.8, repeating the texture once. For fog to black and blending onto the
// picture with destination factor GL_ONE only.
void draw_strip_lit(int32_t segments, const float* points, float half_width, const TextureBox& box);
