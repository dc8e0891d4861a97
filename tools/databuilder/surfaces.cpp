// The surfaces of the two mesh tables: metal, rust, wall, floor and panel
// textures, and the overlays drawn over the room, dark detail on white.
#include "image_makers.h"

#include <cmath>

namespace databuild {

namespace {

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

}  // namespace

void add_surface_images(std::map<std::string, ImageMaker>& t) {
    // The surfaces repeat many times across the set and are seen mostly from
    // afar, so they stay at 256 x 256: without mipmaps a larger texture
    // would only shimmer.
    auto surface = [&](const char* name, std::function<Image()> make) { t[name] = {std::move(make), 90, false}; };
    surface("metalor", metalor);
    surface("wall_1", wall);
    surface("black", black_metal);
    surface("door4", door);
    surface("u_floor03", [] { const float tint[3] = {1.0f, 0.8f, 0.6f}; return grating(151, 32, tint); });
    surface("u_floor04", [] { const float tint[3] = {0.7f, 0.8f, 1.0f}; return grating(161, 16, tint); });
    surface("plafond", ceiling);
    surface("tips01", [] { const float a[3] = {0.3f, 0.6f, 1.0f}; return tech_panel(171, a); });
    surface("tips02", [] { const float a[3] = {0.8f, 0.3f, 1.0f}; return tech_panel(181, a); });
    surface("metalgr", grey_plates);
    surface("metalc2", [] { return chrome(191); });
    surface("inside", inside_panel);
    surface("outside", hull);
    // An overlay spans a whole wall or machine; those on the machines, the
    // door and the pipes are small enough to be minified from across the
    // room, so the overlays keep their size too.
    const char* overlays[] = {"SB_main02", "SB_antenna01", "SB_cigle", "SB_ground01", "SB_ground02",
                              "SB_main", "SB_metal01", "SB_metal02", "SB_system", "SB_system02", "SB_wall"};
    for (int k = 0; k < 11; ++k) {
        std::string n = overlays[k];
        surface(overlays[k], [n, k] { return overlay(name_seed(n), k); });
    }
}

}  // namespace databuild
