// The intro's wave distortion, exposed for its tests.
#pragma once
#include <cstdint>

extern float warp_columns[512];
extern float warp_rows[512];

void warp_image(const uint8_t* source, int32_t texture_id, int32_t width, int32_t height);
void refresh_warp_tables(double t);
