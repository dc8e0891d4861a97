// The show's own images: the lettering (logo, caption, title, captions of the
// scenes, credits and greetings), the film band, the lightning, the nebula
// and the sprite glow; and the table of every image with its JPEG settings.
#include "image_makers.h"

#include <cmath>
#include <stdexcept>

namespace databuild {

uint64_t name_seed(const std::string& s) {
    uint64_t h = 1469598103934665603ull;
    for (unsigned char c : s) { h ^= c; h *= 1099511628211ull; }
    return h;
}

namespace {

const char* const group_names[17] = {
    "Lumenfjord", "Tarvokai", "Brisquel", "Ondrivex", "Haxelune", "Crumbeth",
    "Velarith", "Pondsmoke", "Gribbleton", "Yawnforge", "Muskrata", "Frostquill",
    "Sandovir", "Kettlewarp", "Oblivax", "Dunmirra", "Wexholt"};

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

const std::map<std::string, ImageMaker>& makers() {
    static const std::map<std::string, ImageMaker> m = [] {
        std::map<std::string, ImageMaker> t;
        auto image = [&](const std::string& name, std::function<Image()> make) { t[name] = {std::move(make), 90, false}; };
        image("LogoQorv", logo);
        image("Presents", [] {
            Image i = glow_text("presents", 256, 128, 46, violet_core, violet_glow, 21);
            sparks(i, 10, 22, blue_glow);
            return i;
        });
        image("Vorlane", title);
        image("eyes", eyes);
        image("text01", [] { return glow_text("inside the machine", 512, 128, 52, blue_core, blue_glow, 301); });
        image("text02", [] { return glow_text("down the wire", 512, 128, 56, cyan_core, cyan_glow, 302); });
        image("text03", [] { return glow_text("no way back", 512, 128, 56, violet_core, violet_glow, 303); });
        image("text04", [] { return glow_text("after midnight", 512, 128, 56, blue_core, violet_glow, 304); });
        image("gfxadd03", title_card);
        const char* credits[6] = {"code", "t4rnix", "gfx", "pelm", "sound", "zug"};
        for (int k = 0; k < 6; ++k) {
            std::string c = credits[k];
            image(c, [c, k] { return credit(c, k % 2); });
        }
        image("eclair", lightning);
        image("nebu02", nebula);
        // The sprite glow keeps its colour at full resolution (see particle).
        t["part"] = {particle, 90, true};
        image("greets", [] {
            Image i = glow_text("greetings", 512, 128, 72, blue_core, violet_glow, 401);
            sparks(i, 20, 402, violet_glow);
            return i;
        });
        for (int k = 0; k < 17; ++k) {
            char n[8];
            std::snprintf(n, sizeof n, "%02d", k + 1);
            std::string g = group_names[k];
            int v = k % 3;
            image(n, [g, v] { return credit(g, v); });
        }
        add_surface_images(t);
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
    return encode_jpeg(it->second.make(), it->second.quality, it->second.full_colour);
}

}  // namespace databuild
