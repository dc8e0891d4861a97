// A tiny 5 x 7 bitmap font for labels on captured pictures.
#pragma once
#include <cstdint>

// Draws text (digits, "PARTS", '.', ' ') in white on a black box, two pixels
// a font dot, with its top-left corner at (x, y) of an RGB picture.
void draw_label(uint8_t* rgb, int width, int height, int x, int y, const char* text);
