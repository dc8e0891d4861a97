// RGBA overlay pixels from an RGB image: white turns transparent, black opaque.
#pragma once
#include <cstdint>

// Writes count RGBA pixels: RGB copied, A = 255 - (R + G + B) / 3.
void make_overlay_pixels(const uint8_t* rgb, uint8_t* rgba, int32_t count);
