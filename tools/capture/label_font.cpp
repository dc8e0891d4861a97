// Glyph rows are five bits wide, the top row first.
#include "label_font.h"

#include <cstring>

namespace {
struct Glyph {
    char c;
    uint8_t rows[7];
};

const Glyph glyphs[] = {
    {'0', {14, 17, 19, 21, 25, 17, 14}}, {'1', {4, 12, 4, 4, 4, 4, 14}},
    {'2', {14, 17, 1, 2, 4, 8, 31}},     {'3', {31, 2, 4, 2, 1, 17, 14}},
    {'4', {2, 6, 10, 18, 31, 2, 2}},     {'5', {31, 16, 30, 1, 1, 17, 14}},
    {'6', {6, 8, 16, 30, 17, 17, 14}},   {'7', {31, 1, 2, 4, 8, 8, 8}},
    {'8', {14, 17, 17, 14, 17, 17, 14}}, {'9', {14, 17, 17, 15, 1, 2, 12}},
    {'P', {30, 17, 17, 30, 16, 16, 16}}, {'A', {14, 17, 17, 31, 17, 17, 17}},
    {'R', {30, 17, 17, 30, 20, 18, 17}}, {'T', {31, 4, 4, 4, 4, 4, 4}},
    {'S', {15, 16, 16, 14, 1, 1, 30}},   {'.', {0, 0, 0, 0, 0, 12, 12}},
    {' ', {0, 0, 0, 0, 0, 0, 0}},
};

const Glyph* find_glyph(char c) {
    for (const Glyph& g : glyphs)
        if (g.c == c) return &g;
    return &glyphs[sizeof glyphs / sizeof glyphs[0] - 1];
}

void put(uint8_t* rgb, int width, int height, int x, int y, uint8_t value) {
    if (x < 0 || y < 0 || x >= width || y >= height) return;
    std::memset(rgb + (static_cast<size_t>(y) * width + x) * 3, value, 3);
}
} // namespace

void draw_label(uint8_t* rgb, int width, int height, int x, int y, const char* text) {
    const int scale = 2, advance = 6 * scale, length = static_cast<int>(std::strlen(text));
    for (int py = -scale; py < 8 * scale; ++py)
        for (int px = -scale; px < length * advance + scale; ++px) put(rgb, width, height, x + px, y + py, 0);
    for (int k = 0; k < length; ++k) {
        const Glyph* g = find_glyph(text[k]);
        for (int row = 0; row < 7; ++row)
            for (int col = 0; col < 5; ++col)
                if (g->rows[row] & (16 >> col))
                    for (int sy = 0; sy < scale; ++sy)
                        for (int sx = 0; sx < scale; ++sx)
                            put(rgb, width, height, x + k * advance + col * scale + sx, y + row * scale + sy, 255);
    }
}
