// Lettering for the show's images: DejaVu Sans Bold outlines through FreeType,
// unhinted, at fractional pen positions with the font's kerning, so that the
// words keep their shapes when a texture is magnified; and the glowing style.
#include "databuild.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_BBOX_H

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace databuild {

namespace {

const char* const font_path = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";

struct Font {
    FT_Library lib = nullptr;
    FT_Face face = nullptr;
    Font() {
        if (FT_Init_FreeType(&lib)) throw std::runtime_error("databuilder: FreeType: cannot initialise");
        if (FT_New_Face(lib, font_path, 0, &face)) {
            FT_Done_FreeType(lib);
            throw std::runtime_error(std::string("databuilder: ") + font_path +
                                     ": cannot open the font (install fonts-dejavu-core)");
        }
    }
    ~Font() {
        FT_Done_Face(face);
        FT_Done_FreeType(lib);
    }
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;
};

constexpr FT_Int32 load_flags = FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP;

// Pen positions (26.6, x grows right) of every glyph of `text` at the face's
// current size and transform, and the ink's box around them (y grows up).
struct Layout {
    std::vector<FT_UInt> glyphs;
    std::vector<FT_Pos> pens;
    FT_BBox ink{0, 0, 0, 0};
};

Layout lay_out(FT_Face face, const std::string& text, double x_scale) {
    Layout l;
    FT_Pos pen = 0;
    bool any = false;
    FT_UInt previous = 0;
    for (unsigned char ch : text) {
        FT_UInt glyph = FT_Get_Char_Index(face, ch);
        if (previous && glyph && FT_HAS_KERNING(face)) {
            FT_Vector k;
            if (FT_Get_Kerning(face, previous, glyph, FT_KERNING_UNFITTED, &k) == 0)
                pen += (FT_Pos)std::lround(k.x * x_scale);
        }
        if (FT_Load_Glyph(face, glyph, load_flags)) continue;
        FT_BBox b;
        FT_Outline_Get_BBox(&face->glyph->outline, &b);
        if (b.xMax > b.xMin) {
            b.xMin += pen;
            b.xMax += pen;
            if (!any) l.ink = b;
            l.ink.xMin = std::min(l.ink.xMin, b.xMin);
            l.ink.yMin = std::min(l.ink.yMin, b.yMin);
            l.ink.xMax = std::max(l.ink.xMax, b.xMax);
            l.ink.yMax = std::max(l.ink.yMax, b.yMax);
            any = true;
        }
        l.glyphs.push_back(glyph);
        l.pens.push_back(pen);
        pen += face->glyph->advance.x;  // already narrowed by the transform
        previous = glyph;
    }
    return l;
}

void set_size(FT_Face face, double pixels, double x_scale, FT_Vector* delta) {
    FT_Set_Char_Size(face, 0, (FT_F26Dot6)std::lround(pixels * 64), 72, 72);
    FT_Matrix m{(FT_Fixed)std::lround(x_scale * 65536), 0, 0, 0x10000};
    FT_Set_Transform(face, &m, delta);
}

}  // namespace

Lettering lettering(const std::string& text, int w, int h, const TextStyle& style) {
    Font font;
    FT_Face face = font.face;
    double size = style.pixel_height;
    set_size(face, size, style.x_scale, nullptr);
    Layout l = lay_out(face, text, style.x_scale);
    // Outlines scale linearly without hinting, so one correction fits the box.
    const double ink_w = (l.ink.xMax - l.ink.xMin) / 64.0, ink_h = (l.ink.yMax - l.ink.yMin) / 64.0;
    const double fit = std::min({1.0, style.max_width * w / std::max(ink_w, 1.0), style.max_height * h / std::max(ink_h, 1.0)});
    if (fit < 1) {
        size *= fit;
        set_size(face, size, style.x_scale, nullptr);
        l = lay_out(face, text, style.x_scale);
    }
    // Ink centred on (w / 2, centre_y * h), in 26.6 with y down.
    const FT_Pos origin_x = (FT_Pos)std::lround(w * 32.0 - (l.ink.xMin + l.ink.xMax) / 2.0);
    const FT_Pos baseline = (FT_Pos)std::lround(style.centre_y * h * 64.0 + (l.ink.yMin + l.ink.yMax) / 2.0);
    Lettering out;
    out.mask.assign((size_t)w * h, 0.0f);
    out.pixel_height = (float)size;
    out.ink_width = (l.ink.xMax - l.ink.xMin) / 64.0f;
    out.top = (int)std::floor((baseline - l.ink.yMax) / 64.0);
    out.bottom = (int)std::ceil((baseline - l.ink.yMin) / 64.0);
    const FT_Pos base_whole = baseline >> 6, base_frac = baseline & 63;
    for (size_t i = 0; i < l.glyphs.size(); ++i) {
        const FT_Pos x = origin_x + l.pens[i];
        FT_Vector delta{x & 63, -base_frac};
        set_size(face, size, style.x_scale, &delta);
        if (FT_Load_Glyph(face, l.glyphs[i], load_flags | FT_LOAD_RENDER)) continue;
        const FT_GlyphSlot g = face->glyph;
        const long left = (x >> 6) + g->bitmap_left, top = base_whole - g->bitmap_top;
        for (unsigned r = 0; r < g->bitmap.rows; ++r)
            for (unsigned c = 0; c < g->bitmap.width; ++c) {
                const long px = left + c, py = top + r;
                if (px < 0 || py < 0 || px >= w || py >= h) continue;
                float& m = out.mask[(size_t)py * w + px];
                m = std::max(m, g->bitmap.buffer[r * g->bitmap.pitch + c] / 255.0f);
            }
    }
    return out;
}

Image glow_text(const std::string& text, int w, int h, const TextStyle& style, const float core[3],
                const float glow[3]) {
    const Lettering l = lettering(text, w, h, style);
    std::vector<float> halo = l.mask;
    blur(halo, w, h, std::max(1, (int)std::lround(l.pixel_height / 14)), 3);
    // Lit from above: bright at the top of the letters, deeper towards their foot.
    Image out(w, h);
    const float span = (float)std::max(1, l.bottom - l.top);
    for (int y = 0; y < h; ++y) {
        const float down = std::min(1.0f, std::max(0.0f, (y - l.top) / span));
        const float shade = 1.0f - 0.3f * down;
        for (int x = 0; x < w; ++x) {
            const size_t i = (size_t)y * w + x;
            float* p = out.at(x, y);
            for (int c = 0; c < 3; ++c) p[c] = core[c] * l.mask[i] * shade + glow[c] * halo[i] * 1.6f;
        }
    }
    clamp01(out);
    return out;
}

}  // namespace databuild
