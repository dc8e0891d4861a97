// Every image the show opens: lettering, sprites, lightning, nebula, and the
// metal, rust, wall, floor and panel textures of the two mesh tables.
#include "databuild.h"

#include <cmath>
#include <functional>
#include <map>
#include <stdexcept>

namespace databuild {

namespace {

const char* const group_names[17] = {
    "Lumenfjord", "Tarvokai", "Brisquel", "Ondrivex", "Haxelune", "Crumbeth",
    "Velarith", "Pondsmoke", "Gribbleton", "Yawnforge", "Muskrata", "Frostquill",
    "Sandovir", "Kettlewarp", "Oblivax", "Dunmirra", "Wexholt"};

uint64_t name_seed(const std::string& s) {
    uint64_t h = 1469598103934665603ull;
    for (unsigned char c : s) { h ^= c; h *= 1099511628211ull; }
    return h;
}

const float blue_core[3] = {0.85f, 0.92f, 1.0f}, blue_glow[3] = {0.15f, 0.3f, 0.9f};
const float violet_core[3] = {1.0f, 0.85f, 1.0f}, violet_glow[3] = {0.5f, 0.12f, 0.8f};
const float cyan_core[3] = {0.85f, 1.0f, 1.0f}, cyan_glow[3] = {0.05f, 0.55f, 0.7f};

// A few sparks scattered over lettering on black.
void sparks(Image& img, int count, uint64_t seed, const float c[3]) {
    Rng rng(seed);
    for (int i = 0; i < count; ++i) {
        float x = (float)rng.range(0, img.w), y = (float)rng.range(0, img.h);
        float r = (float)rng.range(1.5, 4.0);
        glow_dot(img, x, y, r, c, 2.5f);
    }
    clamp01(img);
}

Image logo() {
    Image img(512, 512);
    // Electric ring behind the name.
    const float ring[3] = {0.25f, 0.35f, 1.0f};
    for (int y = 0; y < 512; ++y)
        for (int x = 0; x < 512; ++x) {
            float dx = x - 255.5f, dy = y - 255.5f;
            float d = std::sqrt(dx * dx + dy * dy);
            float a = std::atan2(dy, dx);
            float band = std::exp(-std::pow((d - 200 - 6 * std::sin(a * 9)) / 7.0f, 2));
            float inner = std::exp(-std::pow((d - 170) / 3.0f, 2)) * 0.5f;
            float* p = img.at(x, y);
            for (int c = 0; c < 3; ++c) p[c] += ring[c] * (band + inner) + 0.06f * ring[c] * std::exp(-d / 140);
        }
    Image t = glow_text("QORV", 512, 512, 190, blue_core, blue_glow, 11);
    add(img, t, 1.0f);
    sparks(img, 40, 12, violet_core);
    return img;
}

Image credit(const std::string& text, int variant) {
    const float* core = variant == 0 ? blue_core : variant == 1 ? violet_core : cyan_core;
    const float* glow = variant == 0 ? blue_glow : variant == 1 ? violet_glow : cyan_glow;
    Image img = glow_text(text, 256, 64, 44, core, glow, name_seed(text));
    sparks(img, 6, name_seed(text) + 1, glow);
    return img;
}

Image title() {
    Image img = glow_text("Vavurava Rive", 512, 256, 76, blue_core, violet_glow, 31);
    // A thin electric line under the title.
    const float c[3] = {0.3f, 0.5f, 1.0f};
    Rng rng(32);
    float y = 190;
    for (int x = 40; x < 472; x += 4) {
        float ny = 190 + (float)rng.range(-5, 5);
        line(img, (float)x, y, (float)x + 4, ny, 1.6f, c);
        y = ny;
    }
    clamp01(img);
    return img;
}

Image title_card() {
    Image img(512, 256);
    Image a = glow_text("a qorv production", 512, 128, 40, violet_core, violet_glow, 41);
    Image b = glow_text("in the wires tonight", 512, 128, 34, blue_core, blue_glow, 42);
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 512; ++x)
            for (int c = 0; c < 3; ++c) {
                img.at(x, y + 40)[c] += y + 40 < 256 ? a.at(x, y)[c] : 0;
                if (y + 110 < 256) img.at(x, y + 110)[c] += b.at(x, y)[c] * 0.8f;
            }
    sparks(img, 30, 43, blue_glow);
    return img;
}

Image eyes() {
    // Film band: a strip of sprocket holes framing glowing frames with eyes.
    Image img(512, 64, 0.02f, 0.02f, 0.05f);
    const float hole[3] = {0.55f, 0.6f, 0.9f};
    for (int x = 0; x < 512; x += 32) {
        fill_rect(img, x + 10, 3, x + 22, 10, hole);
        fill_rect(img, x + 10, 54, x + 22, 61, hole);
    }
    for (int k = 0; k < 8; ++k) {
        float cx = k * 64 + 32.0f, cy = 32;
        for (int y = 14; y < 50; ++y)
            for (int x = k * 64 + 4; x < k * 64 + 60; ++x) {
                float dx = (x - cx) / 24.0f, dy = (y - cy) / 11.0f;
                float e = dx * dx + dy * dy * (1 + 0.6f * dx * dx);
                float* p = img.at(x, y);
                if (e < 1) {
                    float iris = std::sqrt((x - cx) * (x - cx) + (y - cy) * (y - cy));
                    float v = iris < 9 ? (iris < 4 ? 0.05f : 0.6f + 0.4f * std::cos(iris * 1.3f)) : 0.85f;
                    p[0] = v * (iris < 9 ? 0.3f : 0.8f);
                    p[1] = v * (iris < 9 ? 0.5f : 0.8f);
                    p[2] = v;
                } else {
                    p[0] = 0.06f; p[1] = 0.05f; p[2] = 0.18f;
                }
            }
    }
    clamp01(img);
    return img;
}

Image nebula() {
    Image n = fbm(512, 512, 6, 4, 51);
    Image m = fbm(512, 512, 5, 8, 52);
    Image img(512, 512);
    for (int y = 0; y < 512; ++y)
        for (int x = 0; x < 512; ++x) {
            float a = n.at(x, y)[0], b = m.at(x, y)[0];
            float v = std::pow(std::max(0.0f, a - 0.3f) * 1.8f, 2.0f);
            float w = std::pow(std::max(0.0f, b - 0.35f) * 2.0f, 2.5f);
            float* p = img.at(x, y);
            p[0] = 0.45f * v + 0.25f * w;
            p[1] = 0.10f * v + 0.35f * w;
            p[2] = 0.75f * v + 0.8f * w;
        }
    Rng rng(53);
    const float star[3] = {0.9f, 0.9f, 1.0f};
    for (int i = 0; i < 300; ++i)
        glow_dot(img, (float)rng.range(0, 512), (float)rng.range(0, 512), (float)rng.range(1, 2.5), star, 2);
    clamp01(img);
    return img;
}

// The sprite glow: a bright core in a wide halo, both falling to exactly
// zero at sprite_glow_edge half-widths from the centre, so that the image around the
// glow is black to the last bit and the show can leave that part of every
// sprite undrawn. The halo is eased down only near that edge, so the glow
// looks as it did when it faded out at the full half-width. Large and with
// colour at full resolution, so that JPEG's 8 x 8 blocks keep their noise
// close to the glow.
constexpr int glow_size = 256;

Image particle() {
    Image img(glow_size, glow_size);
    const float half = glow_size / 2.0f, centre = (glow_size - 1) / 2.0f;
    const float k0 = 1 - sprite_glow_edge;
    for (int y = 0; y < glow_size; ++y)
        for (int x = 0; x < glow_size; ++x) {
            float dx = (x - centre) / half, dy = (y - centre) / half;
            float d = std::sqrt(dx * dx + dy * dy);
            float k = std::max(0.0f, 1 - d);
            float core = 0, halo = 0;
            if (k > k0) {
                core = std::pow(k, 6.0f) - std::pow(k0, 6.0f);
                halo = k * k * (1 - std::pow(k0 / k, 4.0f));
            }
            float* p = img.at(x, y);
            p[0] = 0.9f * core + 0.35f * halo;
            p[1] = 0.9f * core + 0.45f * halo;
            p[2] = 1.0f * core + 0.95f * halo;
        }
    clamp01(img);
    return img;
}

Image lightning() {
    // t (rows) runs along the band and wraps; s (columns) crosses it, black at the edges.
    const int w = 64, h = 256;
    Image img(w, h);
    const float c[3] = {0.45f, 0.55f, 1.0f}, core[3] = {0.9f, 0.9f, 1.0f};
    for (int bolt = 0; bolt < 3; ++bolt) {
        Rng rng(61 + bolt);
        std::vector<float> xs(h + 1);
        float x = 32;
        for (int y = 0; y <= h; ++y) {
            x += (float)rng.range(-2.2, 2.2);
            x += (32 - x) * 0.08f;
            xs[y] = x;
        }
        // Close the loop so the bolt wraps without a seam.
        float err = xs[h] - xs[0];
        for (int y = 0; y <= h; ++y) xs[y] -= err * y / h;
        float width = bolt == 0 ? 3.0f : 1.6f;
        for (int y = 0; y < h; ++y) {
            glow_dot(img, xs[y], (float)y, width * 3, c, 2.0f);
            glow_dot(img, xs[y], (float)y, width, core, 1.0f);
        }
    }
    for (int y = 0; y < h; ++y)
        for (int xx = 0; xx < w; ++xx) {
            float edge = std::sin(3.1415926f * (xx + 0.5f) / w);
            for (int k = 0; k < 3; ++k) img.at(xx, y)[k] *= edge;
        }
    clamp01(img);
    return img;
}

// ---- Surface textures -------------------------------------------------------

Image brushed_metal(uint64_t seed, const float lo[3], const float hi[3], int size = 256) {
    Image n = fbm(size, size, 5, 4, seed);
    Image streak(size, size);
    Rng rng(seed + 7);
    for (int y = 0; y < size; ++y) {
        float v = (float)rng.uniform();
        for (int x = 0; x < size; ++x) {
            float* p = streak.at(x, y);
            p[0] = p[1] = p[2] = v;
        }
    }
    for (size_t i = 0; i < n.px.size(); ++i) n.px[i] = 0.7f * n.px[i] + 0.3f * streak.px[i];
    colorize(n, lo, hi);
    return n;
}

void rivets(Image& img, int step, int margin, float k) {
    const float hi[3] = {k, k, k};
    const float lo[3] = {-k, -k, -k};
    for (int y = margin; y < img.h; y += step)
        for (int x = margin; x < img.w; x += step) {
            glow_dot(img, x - 1.0f, y - 1.0f, 3, hi, 1.5f);
            glow_dot(img, x + 1.5f, y + 1.5f, 3, lo, 1.5f);
        }
}

void rust(Image& img, uint64_t seed, float amount) {
    Image n = fbm(img.w, img.h, 6, 8, seed);
    for (int y = 0; y < img.h; ++y)
        for (int x = 0; x < img.w; ++x) {
            float v = n.at(x, y)[0];
            float r = std::max(0.0f, (v - (1 - amount)) * 4);
            r = std::min(1.0f, r);
            float* p = img.at(x, y);
            float tone = 0.6f + 0.4f * value_noise(1, 1, 1, 0).px[0] * 0;  // flat tone
            p[0] = p[0] * (1 - r) + r * 0.45f * tone;
            p[1] = p[1] * (1 - r) + r * 0.2f * tone;
            p[2] = p[2] * (1 - r) + r * 0.08f * tone;
        }
}

void panels(Image& img, int step, float light, float dark) {
    for (int y = 0; y < img.h; y += step)
        for (int x = 0; x < img.w; x += step) bevel_rect(img, x, y, x + step, y + step, light, dark);
}

Image metalor() {
    const float lo[3] = {0.28f, 0.22f, 0.12f}, hi[3] = {0.85f, 0.7f, 0.42f};
    Image img = brushed_metal(71, lo, hi);
    panels(img, 128, 0.25f, 0.3f);
    rivets(img, 32, 8, 0.25f);
    rust(img, 72, 0.25f);
    clamp01(img);
    return img;
}

Image wall() {
    const float lo[3] = {0.15f, 0.16f, 0.22f}, hi[3] = {0.45f, 0.47f, 0.55f};
    Image img = brushed_metal(81, lo, hi);
    for (int y = 0; y < 256; y += 64) bevel_rect(img, 0, y, 256, y + 64, 0.2f, 0.35f);
    for (int y = 0; y < 256; y += 64)
        for (int x = (y / 64 % 2) * 64; x < 256; x += 128) bevel_rect(img, x, y, x + 128, y + 64, 0.1f, 0.2f);
    rust(img, 82, 0.4f);
    rivets(img, 64, 6, 0.2f);
    clamp01(img);
    return img;
}

Image black_metal() {
    const float lo[3] = {0.02f, 0.02f, 0.04f}, hi[3] = {0.16f, 0.15f, 0.22f};
    Image img = brushed_metal(91, lo, hi);
    panels(img, 64, 0.12f, 0.1f);
    clamp01(img);
    return img;
}

Image door() {
    const float lo[3] = {0.18f, 0.17f, 0.2f}, hi[3] = {0.5f, 0.48f, 0.52f};
    Image img = brushed_metal(101, lo, hi);
    bevel_rect(img, 8, 8, 248, 248, 0.3f, 0.4f);
    bevel_rect(img, 126, 8, 130, 248, -0.2f, 0.2f);
    // hazard stripes along the bottom
    for (int y = 210; y < 240; ++y)
        for (int x = 12; x < 244; ++x)
            if (((x + y) / 12) % 2 == 0) {
                float* p = img.at(x, y);
                p[0] = 0.75f; p[1] = 0.6f; p[2] = 0.05f;
            }
    // a small glowing status light
    const float lamp[3] = {0.2f, 0.5f, 1.0f};
    glow_dot(img, 200, 60, 10, lamp, 2);
    rivets(img, 32, 16, 0.15f);
    rust(img, 102, 0.3f);
    clamp01(img);
    return img;
}

Image grating(uint64_t seed, int step, const float tint[3]) {
    const float lo[3] = {0.1f * tint[0], 0.1f * tint[1], 0.1f * tint[2]};
    const float hi[3] = {0.55f * tint[0], 0.55f * tint[1], 0.55f * tint[2]};
    Image img = brushed_metal(seed, lo, hi);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            int gx = x % step, gy = y % step;
            bool bar = gx < 3 || gy < 3;
            float* p = img.at(x, y);
            if (!bar) for (int c = 0; c < 3; ++c) p[c] *= 0.25f;
            else if (gx == 0 || gy == 0) for (int c = 0; c < 3; ++c) p[c] += 0.15f;
        }
    rust(img, seed + 1, 0.3f);
    clamp01(img);
    return img;
}

Image ceiling() {
    const float lo[3] = {0.1f, 0.1f, 0.14f}, hi[3] = {0.35f, 0.36f, 0.42f};
    Image img = brushed_metal(111, lo, hi);
    panels(img, 64, 0.15f, 0.25f);
    const float lamp[3] = {0.6f, 0.7f, 1.0f};
    for (int y = 32; y < 256; y += 128)
        for (int x = 32; x < 256; x += 128) {
            fill_rect(img, x - 18, y - 6, x + 18, y + 6, lamp);
            glow_dot(img, (float)x, (float)y, 30, lamp, 3);
        }
    clamp01(img);
    return img;
}

Image tech_panel(uint64_t seed, const float accent[3]) {
    const float lo[3] = {0.05f, 0.05f, 0.08f}, hi[3] = {0.25f, 0.25f, 0.3f};
    Image img = brushed_metal(seed, lo, hi);
    Rng rng(seed + 3);
    // Modules with bevels, slots and blinking lights.
    for (int i = 0; i < 14; ++i) {
        int x = (int)rng.range(0, 224) & ~7, y = (int)rng.range(0, 224) & ~7;
        int w = 16 + ((int)rng.range(0, 6)) * 8, h = 16 + ((int)rng.range(0, 4)) * 8;
        const float dark[3] = {0.03f, 0.03f, 0.05f};
        fill_rect(img, x, y, x + w, y + h, dark, 0.7f);
        bevel_rect(img, x, y, x + w, y + h, 0.25f, 0.25f);
        for (int k = 0; k < w / 8; ++k) {
            if (rng.uniform() < 0.5) continue;
            float lc[3] = {accent[0], accent[1], accent[2]};
            if (rng.uniform() < 0.3) { lc[0] = 1.0f; lc[1] = 0.25f; lc[2] = 0.1f; }
            glow_dot(img, x + 4.0f + k * 8, y + 5.0f, 4, lc, 2);
        }
        if (rng.uniform() < 0.5)
            for (int yy = y + 10; yy < y + h - 3; yy += 3) {
                const float slot[3] = {0.0f, 0.0f, 0.0f};
                fill_rect(img, x + 3, yy, x + w - 3, yy + 1, slot, 0.8f);
            }
    }
    clamp01(img);
    return img;
}

Image chrome(uint64_t seed) {
    Image img(256, 256);
    Image n = fbm(256, 256, 4, 4, seed);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            float v = 0.5f + 0.45f * std::sin(y * 0.05f + n.at(x, y)[0] * 6);
            float* p = img.at(x, y);
            p[0] = 0.25f + 0.55f * v; p[1] = 0.3f + 0.55f * v; p[2] = 0.42f + 0.55f * v;
        }
    panels(img, 128, 0.2f, 0.3f);
    clamp01(img);
    return img;
}

Image grey_plates() {
    const float lo[3] = {0.2f, 0.2f, 0.24f}, hi[3] = {0.55f, 0.55f, 0.6f};
    Image img = brushed_metal(121, lo, hi);
    // diamond tread
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            int u = (x + y) % 16, v = (x - y + 256) % 16;
            if ((u < 2 && (y / 8) % 2 == 0) || (v < 2 && (y / 8) % 2 == 1))
                for (int c = 0; c < 3; ++c) img.at(x, y)[c] += 0.15f;
        }
    panels(img, 128, 0.2f, 0.3f);
    rust(img, 122, 0.2f);
    clamp01(img);
    return img;
}

Image inside_panel() {
    const float accent[3] = {0.2f, 0.45f, 1.0f};
    Image img = tech_panel(131, accent);
    // blue screen lines
    for (int y = 0; y < 256; y += 4)
        for (int x = 0; x < 256; ++x) img.at(x, y)[2] += 0.08f;
    clamp01(img);
    return img;
}

Image hull() {
    const float lo[3] = {0.08f, 0.12f, 0.16f}, hi[3] = {0.35f, 0.42f, 0.5f};
    Image img = brushed_metal(141, lo, hi);
    panels(img, 64, 0.2f, 0.3f);
    rivets(img, 16, 4, 0.12f);
    rust(img, 142, 0.35f);
    clamp01(img);
    return img;
}

// Overlays: dark detail on white (white vanishes, black stays).
Image overlay(uint64_t seed, int kind) {
    Image img(256, 256, 1, 1, 1);
    Image n = fbm(256, 256, 5, 8, seed);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            float v = n.at(x, y)[0];
            float grime = std::max(0.0f, (v - 0.55f) * 2.5f);
            float* p = img.at(x, y);
            for (int c = 0; c < 3; ++c) p[c] -= std::min(0.8f, grime);
        }
    Rng rng(seed + 1);
    const float ink[3] = {0.05f, 0.05f, 0.08f};
    const float neg[3] = {-0.9f, -0.9f, -0.9f};
    switch (kind % 4) {
    case 0:  // panel seams and rivets
        for (int k = 0; k < 256; k += 64) {
            fill_rect(img, k, 0, k + 3, 256, ink);
            fill_rect(img, 0, k, 256, k + 3, ink);
        }
        for (int y = 10; y < 256; y += 32)
            for (int x = 10; x < 256; x += 32) glow_dot(img, (float)x, (float)y, 3, neg, 1);
        break;
    case 1:  // cables
        for (int c = 0; c < 5; ++c) {
            float y0 = (float)rng.range(0, 256), a = (float)rng.range(10, 30), f = (float)rng.range(1, 3);
            for (int x = 0; x < 256; ++x) {
                float y = y0 + a * std::sin(x * 6.2831853f * f / 256);
                glow_dot(img, (float)x, y, 4, neg, 1.0f);
            }
        }
        break;
    case 2:  // stencilled markings
        for (int i = 0; i < 6; ++i) {
            int x = (int)rng.range(0, 200), y = (int)rng.range(0, 220);
            fill_rect(img, x, y, x + (int)rng.range(20, 56), y + (int)rng.range(4, 12), ink);
        }
        for (int y = 200; y < 232; ++y)
            for (int x = 0; x < 256; ++x)
                if (((x + y) / 10) % 2 == 0) for (int c = 0; c < 3; ++c) img.at(x, y)[c] = 0.1f;
        break;
    default:  // scratches and burn marks
        for (int i = 0; i < 40; ++i) {
            float x = (float)rng.range(0, 256), y = (float)rng.range(0, 256);
            float a = (float)rng.range(0, 6.28), l = (float)rng.range(10, 50);
            for (int k = 0; k < (int)l; ++k) {
                float* p = img.at(((int)(x + std::cos(a) * k) % 256 + 256) % 256,
                                  ((int)(y + std::sin(a) * k) % 256 + 256) % 256);
                for (int c = 0; c < 3; ++c) p[c] -= 0.5f;
            }
        }
        for (int i = 0; i < 4; ++i)
            glow_dot(img, (float)rng.range(0, 256), (float)rng.range(0, 256), (float)rng.range(15, 40), neg, 2);
        break;
    }
    clamp01(img);
    return img;
}

using Maker = std::function<Image()>;

const std::map<std::string, Maker>& makers() {
    static const std::map<std::string, Maker> m = [] {
        std::map<std::string, Maker> t;
        t["LogoQorv"] = logo;
        t["Presents"] = [] {
            Image i = glow_text("presents", 256, 128, 46, violet_core, violet_glow, 21);
            sparks(i, 10, 22, blue_glow);
            return i;
        };
        t["Vorlane"] = title;
        t["eyes"] = eyes;
        t["text01"] = [] { return glow_text("inside the machine", 512, 128, 52, blue_core, blue_glow, 301); };
        t["text02"] = [] { return glow_text("down the wire", 512, 128, 56, cyan_core, cyan_glow, 302); };
        t["text03"] = [] { return glow_text("no way back", 512, 128, 56, violet_core, violet_glow, 303); };
        t["text04"] = [] { return glow_text("after midnight", 512, 128, 56, blue_core, violet_glow, 304); };
        t["gfxadd03"] = title_card;
        t["code"] = [] { return credit("code", 0); };
        t["t4rnix"] = [] { return credit("t4rnix", 1); };
        t["gfx"] = [] { return credit("gfx", 0); };
        t["pelm"] = [] { return credit("pelm", 1); };
        t["sound"] = [] { return credit("sound", 0); };
        t["zug"] = [] { return credit("zug", 1); };
        t["eclair"] = lightning;
        t["nebu02"] = nebula;
        t["part"] = particle;
        t["greets"] = [] {
            Image i = glow_text("greetings", 512, 128, 72, blue_core, violet_glow, 401);
            sparks(i, 20, 402, violet_glow);
            return i;
        };
        for (int k = 0; k < 17; ++k) {
            char n[8];
            std::snprintf(n, sizeof n, "%02d", k + 1);
            std::string g = group_names[k];
            int v = k % 3;
            t[n] = [g, v] { return credit(g, v); };
        }
        t["metalor"] = metalor;
        t["wall_1"] = wall;
        t["black"] = black_metal;
        t["door4"] = door;
        t["u_floor03"] = [] { const float tint[3] = {1.0f, 0.8f, 0.6f}; return grating(151, 32, tint); };
        t["u_floor04"] = [] { const float tint[3] = {0.7f, 0.8f, 1.0f}; return grating(161, 16, tint); };
        t["plafond"] = ceiling;
        t["tips01"] = [] { const float a[3] = {0.3f, 0.6f, 1.0f}; return tech_panel(171, a); };
        t["tips02"] = [] { const float a[3] = {0.8f, 0.3f, 1.0f}; return tech_panel(181, a); };
        t["metalgr"] = grey_plates;
        t["metalc2"] = [] { return chrome(191); };
        t["inside"] = inside_panel;
        t["outside"] = hull;
        const char* overlays[] = {"SB_main02", "SB_antenna01", "SB_cigle", "SB_ground01", "SB_ground02",
                                  "SB_main", "SB_metal01", "SB_metal02", "SB_system", "SB_system02", "SB_wall"};
        for (int k = 0; k < 11; ++k) {
            std::string n = overlays[k];
            t[n] = [n, k] { return overlay(name_seed(n), k); };
        }
        return t;
    }();
    return m;
}

}  // namespace

std::vector<std::string> image_names() {
    std::vector<std::string> names;
    for (const auto& kv : makers()) names.push_back(kv.first + ".jpg");
    return names;
}

std::vector<uint8_t> make_image(const std::string& name) {
    std::string base = name.substr(0, name.find('.'));
    auto it = makers().find(base);
    if (it == makers().end()) throw std::runtime_error("databuilder: dats/" + name + ": no generator for this image");
    Image img = it->second();
    // The sprite glow keeps its colour at full resolution (see particle).
    return encode_jpeg(img, 90, base == "part");
}

}  // namespace databuild
