// Image operations and the libjpeg writer and reader.
#include "databuild.h"

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

void blur(std::vector<float>& grey, int w, int h, int r, int passes) {
    // Box blur with running sums, rows then columns, wrapping round.
    std::vector<float> line((size_t)std::max(w, h));
    const float k = 1.0f / (2 * r + 1);
    for (int p = 0; p < passes; ++p)
        for (int axis = 0; axis < 2; ++axis) {
            const int n = axis == 0 ? w : h, lines = axis == 0 ? h : w;
            const size_t step = axis == 0 ? 1 : (size_t)w;
            for (int l = 0; l < lines; ++l) {
                float* base = grey.data() + (axis == 0 ? (size_t)l * w : (size_t)l);
                for (int i = 0; i < n; ++i) line[i] = base[i * step];
                double sum = 0;
                for (int i = -r; i <= r; ++i) sum += line[((i % n) + n) % n];
                for (int i = 0; i < n; ++i) {
                    base[i * step] = (float)(sum * k);
                    sum += line[(i + r + 1) % n] - line[((i - r) % n + n) % n];
                }
            }
        }
}

// Lanczos-2 low-pass of one axis at `cut` cycles per pixel, wrapping round.
static void low_pass_axis(Image& img, float cut, bool rows) {
    if (cut >= 0.5f) return;
    const int reach = (int)std::ceil(2 / (2 * cut));
    std::vector<float> k(2 * reach + 1);
    float total = 0;
    for (int i = -reach; i <= reach; ++i) {
        const double x = 2.0 * cut * i, pi = 3.14159265358979;
        const double sinc = i == 0 ? 1 : std::sin(pi * x) / (pi * x);
        const double window = std::fabs(x) >= 2 ? 0 : x == 0 ? 1 : std::sin(pi * x / 2) / (pi * x / 2);
        total += k[i + reach] = (float)(sinc * window);
    }
    for (float& v : k) v /= total;
    const int n = rows ? img.w : img.h, lines = rows ? img.h : img.w;
    std::vector<float> line((size_t)n * 3);
    for (int l = 0; l < lines; ++l) {
        for (int i = 0; i < n; ++i)
            for (int c = 0; c < 3; ++c) line[(size_t)i * 3 + c] = (rows ? img.at(i, l) : img.at(l, i))[c];
        for (int i = 0; i < n; ++i) {
            float sum[3] = {0, 0, 0};
            for (int j = -reach; j <= reach; ++j) {
                const float* q = &line[(size_t)(((i + j) % n + n) % n) * 3];
                for (int c = 0; c < 3; ++c) sum[c] += k[j + reach] * q[c];
            }
            float* p = rows ? img.at(i, l) : img.at(l, i);
            for (int c = 0; c < 3; ++c) p[c] = sum[c];
        }
    }
}

void band_limit(Image& img, float cut_x, float cut_y) {
    low_pass_axis(img, cut_x, true);
    low_pass_axis(img, cut_y, false);
    clamp01(img);
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
