// Image operations, FreeType lettering and the libjpeg writer and reader.
#include "databuild.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include <cstdio>
#include <jpeglib.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace databuild {

Image::Image(int w_, int h_, float r, float g, float b) : w(w_), h(h_), px((size_t)w_ * h_ * 3) {
    for (size_t i = 0; i < px.size(); i += 3) { px[i] = r; px[i + 1] = g; px[i + 2] = b; }
}

static float smooth(float t) { return t * t * (3 - 2 * t); }

Image value_noise(int w, int h, int cells, uint64_t seed) {
    Rng rng(seed);
    std::vector<float> lattice((size_t)cells * cells);
    for (float& v : lattice) v = (float)rng.uniform();
    Image img(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            float fx = (float)x * cells / w, fy = (float)y * cells / h;
            int x0 = (int)fx, y0 = (int)fy;
            float tx = smooth(fx - x0), ty = smooth(fy - y0);
            int x1 = (x0 + 1) % cells, y1 = (y0 + 1) % cells;
            x0 %= cells; y0 %= cells;
            float a = lattice[y0 * cells + x0], b = lattice[y0 * cells + x1];
            float c = lattice[y1 * cells + x0], d = lattice[y1 * cells + x1];
            float v = (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
            float* p = img.at(x, y);
            p[0] = p[1] = p[2] = v;
        }
    return img;
}

Image fbm(int w, int h, int octaves, int base_cells, uint64_t seed) {
    Image out(w, h);
    float amp = 0.5f, total = 0;
    int cells = base_cells;
    for (int o = 0; o < octaves; ++o) {
        if (cells > w) break;
        Image n = value_noise(w, h, cells, seed * 31 + o);
        add(out, n, amp);
        total += amp;
        amp *= 0.5f;
        cells *= 2;
    }
    for (float& v : out.px) v /= total;
    return out;
}

void colorize(Image& img, const float lo[3], const float hi[3]) {
    for (size_t i = 0; i < img.px.size(); i += 3) {
        float t = img.px[i];
        for (int c = 0; c < 3; ++c) img.px[i + c] = lo[c] + (hi[c] - lo[c]) * t;
    }
}

void add(Image& dst, const Image& src, float k) {
    for (size_t i = 0; i < dst.px.size(); ++i) dst.px[i] += src.px[i] * k;
}

void multiply(Image& dst, const Image& src) {
    for (size_t i = 0; i < dst.px.size(); ++i) dst.px[i] *= src.px[i];
}

void blur(Image& img, int r, int passes) {
    std::vector<float> tmp(img.px.size());
    for (int p = 0; p < passes; ++p) {
        for (int pass = 0; pass < 2; ++pass) {
            for (int y = 0; y < img.h; ++y)
                for (int x = 0; x < img.w; ++x)
                    for (int c = 0; c < 3; ++c) {
                        float s = 0;
                        for (int k = -r; k <= r; ++k) {
                            int xx = pass == 0 ? (x + k + img.w) % img.w : x;
                            int yy = pass == 1 ? (y + k + img.h) % img.h : y;
                            s += img.at(xx, yy)[c];
                        }
                        tmp[((size_t)y * img.w + x) * 3 + c] = s / (2 * r + 1);
                    }
            img.px.swap(tmp);
        }
    }
}

void fill_rect(Image& img, int x0, int y0, int x1, int y1, const float c[3], float alpha) {
    for (int y = std::max(0, y0); y < std::min(img.h, y1); ++y)
        for (int x = std::max(0, x0); x < std::min(img.w, x1); ++x) {
            float* p = img.at(x, y);
            for (int k = 0; k < 3; ++k) p[k] += (c[k] - p[k]) * alpha;
        }
}

void glow_dot(Image& img, float cx, float cy, float radius, const float c[3], float power) {
    int x0 = (int)std::floor(cx - radius), x1 = (int)std::ceil(cx + radius);
    int y0 = (int)std::floor(cy - radius), y1 = (int)std::ceil(cy + radius);
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            float dx = (x - cx) / radius, dy = (y - cy) / radius;
            float d = 1 - std::sqrt(dx * dx + dy * dy);
            if (d <= 0) continue;
            float k = std::pow(d, power);
            float* p = img.at(((x % img.w) + img.w) % img.w, ((y % img.h) + img.h) % img.h);
            for (int i = 0; i < 3; ++i) p[i] += c[i] * k;
        }
}

void line(Image& img, float x0, float y0, float x1, float y1, float width, const float c[3]) {
    float dx = x1 - x0, dy = y1 - y0;
    float len = std::sqrt(dx * dx + dy * dy);
    int steps = std::max(1, (int)(len * 2));
    for (int i = 0; i <= steps; ++i) {
        float t = (float)i / steps;
        glow_dot(img, x0 + dx * t, y0 + dy * t, width, c, 1.0f / steps * 0 + 1.5f);
    }
}

void bevel_rect(Image& img, int x0, int y0, int x1, int y1, float light, float dark) {
    for (int x = x0; x < x1; ++x) {
        if (x < 0 || x >= img.w) continue;
        for (int c = 0; c < 3; ++c) {
            if (y0 >= 0 && y0 < img.h) img.at(x, y0)[c] += light;
            if (y1 - 1 >= 0 && y1 - 1 < img.h) img.at(x, y1 - 1)[c] -= dark;
        }
    }
    for (int y = y0; y < y1; ++y) {
        if (y < 0 || y >= img.h) continue;
        for (int c = 0; c < 3; ++c) {
            if (x0 >= 0 && x0 < img.w) img.at(x0, y)[c] += light;
            if (x1 - 1 >= 0 && x1 - 1 < img.w) img.at(x1 - 1, y)[c] -= dark;
        }
    }
}

void clamp01(Image& img) {
    for (float& v : img.px) v = std::min(1.0f, std::max(0.0f, v));
}

void gamma_scale(Image& img, float k, float gamma) {
    for (float& v : img.px) v = std::pow(std::max(0.0f, v * k), gamma);
}

static const char* font_path = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";

std::vector<float> text_mask(const std::string& text, int w, int h, int pixel_height) {
    FT_Library lib;
    if (FT_Init_FreeType(&lib)) throw std::runtime_error("databuilder: FreeType: cannot initialise");
    FT_Face face;
    if (FT_New_Face(lib, font_path, 0, &face)) {
        FT_Done_FreeType(lib);
        throw std::runtime_error(std::string("databuilder: ") + font_path + ": cannot open the font (install fonts-dejavu-core)");
    }
    std::vector<float> mask((size_t)w * h, 0.0f);
    int size = pixel_height;
    for (;;) {
        FT_Set_Pixel_Sizes(face, 0, size);
        // measure
        long pen = 0;
        for (unsigned char ch : text) {
            if (FT_Load_Char(face, ch, FT_LOAD_DEFAULT)) continue;
            pen += face->glyph->advance.x >> 6;
        }
        if (pen <= w * 92 / 100 || size <= 6) {
            int asc = (int)(face->size->metrics.ascender >> 6);
            int desc = (int)(-face->size->metrics.descender >> 6);
            int base = (h - (asc + desc)) / 2 + asc;
            long x = (w - pen) / 2;
            for (unsigned char ch : text) {
                if (FT_Load_Char(face, ch, FT_LOAD_RENDER)) continue;
                FT_GlyphSlot g = face->glyph;
                for (unsigned r = 0; r < g->bitmap.rows; ++r)
                    for (unsigned c = 0; c < g->bitmap.width; ++c) {
                        long px = x + g->bitmap_left + c, py = base - g->bitmap_top + r;
                        if (px < 0 || py < 0 || px >= w || py >= h) continue;
                        float v = g->bitmap.buffer[r * g->bitmap.pitch + c] / 255.0f;
                        float& m = mask[(size_t)py * w + px];
                        m = std::max(m, v);
                    }
                x += g->advance.x >> 6;
            }
            break;
        }
        size = size * 9 / 10;
    }
    FT_Done_Face(face);
    FT_Done_FreeType(lib);
    return mask;
}

Image glow_text(const std::string& text, int w, int h, int pixel_height,
                const float core[3], const float glow[3], uint64_t seed) {
    std::vector<float> m = text_mask(text, w, h, pixel_height);
    Image g(w, h);
    for (size_t i = 0; i < m.size(); ++i) g.px[i * 3] = g.px[i * 3 + 1] = g.px[i * 3 + 2] = m[i];
    Image halo = g;
    blur(halo, std::max(1, h / 24), 3);
    Image out(w, h);
    // Lettering lit from above, with a faint scan-line texture.
    Rng rng(seed);
    float phase = (float)rng.uniform() * 6.28f;
    for (int y = 0; y < h; ++y) {
        float shade = 0.75f + 0.35f * (1.0f - (float)y / h) + 0.05f * std::sin(y * 1.7f + phase);
        for (int x = 0; x < w; ++x) {
            float a = g.at(x, y)[0], b = halo.at(x, y)[0];
            float* p = out.at(x, y);
            for (int c = 0; c < 3; ++c) p[c] = core[c] * a * shade + glow[c] * b * 1.6f;
        }
    }
    clamp01(out);
    return out;
}

namespace {
struct JpegMemDest {
    jpeg_destination_mgr mgr;
    std::vector<uint8_t>* out;
    std::vector<uint8_t> buf;
};
void dest_init(j_compress_ptr cinfo) {
    auto* d = (JpegMemDest*)cinfo->dest;
    d->buf.resize(65536);
    d->mgr.next_output_byte = d->buf.data();
    d->mgr.free_in_buffer = d->buf.size();
}
boolean dest_empty(j_compress_ptr cinfo) {
    auto* d = (JpegMemDest*)cinfo->dest;
    d->out->insert(d->out->end(), d->buf.begin(), d->buf.end());
    d->mgr.next_output_byte = d->buf.data();
    d->mgr.free_in_buffer = d->buf.size();
    return TRUE;
}
void dest_term(j_compress_ptr cinfo) {
    auto* d = (JpegMemDest*)cinfo->dest;
    d->out->insert(d->out->end(), d->buf.begin(), d->buf.begin() + (d->buf.size() - d->mgr.free_in_buffer));
}
}  // namespace

std::vector<uint8_t> encode_jpeg(const Image& img, int quality, bool full_colour) {
    std::vector<uint8_t> out;
    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    JpegMemDest dest;
    dest.out = &out;
    dest.mgr.init_destination = dest_init;
    dest.mgr.empty_output_buffer = dest_empty;
    dest.mgr.term_destination = dest_term;
    cinfo.dest = &dest.mgr;
    cinfo.image_width = img.w;
    cinfo.image_height = img.h;
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    if (full_colour)
        for (int c = 0; c < cinfo.num_components; ++c) cinfo.comp_info[c].h_samp_factor = cinfo.comp_info[c].v_samp_factor = 1;
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<uint8_t> row((size_t)img.w * 3);
    while (cinfo.next_scanline < cinfo.image_height) {
        const float* p = img.at(0, cinfo.next_scanline);
        for (int i = 0; i < img.w * 3; ++i)
            row[i] = (uint8_t)std::lround(std::min(1.0f, std::max(0.0f, p[i])) * 255.0f);
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&cinfo, &r, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return out;
}

DecodedJpeg decode_jpeg(const std::vector<uint8_t>& bytes) {
    DecodedJpeg d;
    jpeg_decompress_struct c;
    jpeg_error_mgr e;
    c.err = jpeg_std_error(&e);
    jpeg_create_decompress(&c);
    jpeg_mem_src(&c, const_cast<unsigned char*>(bytes.data()), (unsigned long)bytes.size());
    jpeg_read_header(&c, TRUE);
    jpeg_start_decompress(&c);
    d.w = c.output_width; d.h = c.output_height; d.comps = c.output_components;
    d.rgb.resize((size_t)d.w * d.h * d.comps);
    while (c.output_scanline < c.output_height) {
        JSAMPROW row = &d.rgb[(size_t)c.output_scanline * d.w * d.comps];
        jpeg_read_scanlines(&c, &row, 1);
    }
    jpeg_finish_decompress(&c);
    jpeg_destroy_decompress(&c);
    return d;
}

}  // namespace databuild
