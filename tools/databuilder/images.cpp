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
// The three colourings the credits and greetings take in turn.
const float* const cores[3] = {blue_core, violet_core, cyan_core};
const float* const glows[3] = {blue_glow, violet_glow, cyan_glow};

// Without mipmaps, linear filtering shimmers where texels come out smaller
// than the pixels, and ripples texel-sized detail where they come out not
// much larger. The images made larger for today's screens keep, across and
// down, only detail down to cut_x and cut_y cycles a texel (0.5 keeps all):
// set against renders of an 800 x 600 picture supersampled three times, so
// that none differs from its reference more than the smaller image did.
Image keep_detail(Image img, float cut_x, float cut_y) {
    band_limit(img, cut_x, cut_y);
    return img;
}

// A few sparks scattered over lettering on black, radii r0..r1 pixels.
void sparks(Image& img, int count, uint64_t seed, const float c[3], float r0 = 1.5f, float r1 = 4.0f) {
    Rng rng(seed);
    for (int i = 0; i < count; ++i) {
        float x = (float)rng.range(0, img.w), y = (float)rng.range(0, img.h);
        float r = (float)rng.range(r0, r1);
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
    add(img, glow_text("QORV", 512, 512, {190, 1, 0.5f, 0.62f}, blue_core, blue_glow), 1.0f);
    sparks(img, 40, 12, violet_core);
    return img;
}

// The credits slide by in boxes 5 units wide and 6 high of a 40-unit view,
// 180 x 162 pixels of a 1440 x 1080 picture: at 128 x 128 their texels are
// about square there. The words are narrowed to a condensed face.
Image credit(const std::string& text, int variant) {
    const int size = 128;
    TextStyle style{84};
    style.max_width = 100;  // measured at its natural width first
    style.x_scale = std::min(0.6f, 0.88f * size / lettering(text, size, size, style).ink_width);
    style.max_width = 0.9f;
    Image img = glow_text(text, size, size, style, cores[variant], glows[variant]);
    sparks(img, 6, name_seed(text) + 1, glows[variant], 1.5f, 3.0f);
    return keep_detail(img, 0.35f, 0.35f);
}

// Greetings rise in bands 40 units wide and 10 high of an 80-unit view, 720 x
// 135 pixels of a 1440 x 1080 picture, one every 2 s, 2.9 units below the one
// before: each name keeps to the middle 28% of its band, so that rising
// neighbours never overlap.
Image greeting(const std::string& text, int variant, bool heading) {
    TextStyle style{heading ? 44.0f : 38.0f};
    style.max_height = 0.28f;
    Image img = glow_text(text, 512, 128, style, cores[variant], heading ? violet_glow : glows[variant]);
    if (heading) sparks(img, 12, 402, violet_glow, 2.0f, 4.0f);
    return keep_detail(img, 0.3f, 0.3f);
}

// Five copies of the title turn on quads a little larger than the picture:
// at 1024 x 512 about 1.6 pixels a texel across and 2.4 down at 1440 x 1080,
// 0.88 and 1.33 at 800 x 600; turning, the width can lie down the picture's
// 678 pixels, 0.66 pixels a texel.
Image title() {
    Image img = glow_text("Vavurava Rive", 1024, 512, {152, 1, 0.5f, 0.75f}, blue_core, violet_glow);
    // A thin electric line under the title.
    const float c[3] = {0.15f, 0.25f, 0.5f};
    Rng rng(32);
    float y = 380;
    for (int x = 80; x < 944; x += 8) {
        float ny = 380 + (float)rng.range(-10, 10);
        line(img, (float)x, y, (float)x + 8, ny, 3.2f, c);
        y = ny;
    }
    return keep_detail(img, 0.25f, 0.5f);
}

// The title card covers the picture: 1.4 pixels a texel across and 2.1 down
// at 1440 x 1080, 0.78 and 1.17 at 800 x 600, where it is shrunk across: its
// detail is kept below what 800 x 600 shows without shimmer (0.24 across
// measured a little further from a supersampled render than the old card).
Image title_card() {
    Image img = glow_text("a qorv production", 1024, 512, {80, 1, 0.406f}, violet_core, violet_glow);
    add(img, glow_text("in the wires tonight", 1024, 512, {68, 1, 0.68f}, blue_core, blue_glow), 0.8f);
    sparks(img, 30, 43, blue_glow, 3.0f, 8.0f);
    return keep_detail(img, 0.22f, 0.42f);
}

// Film band: two frames of a film strip to the image, each an eye glowing in
// the dark between rows of sprocket holes. A band cell shows the whole image
// about 144 x 54 pixels on a 1440 x 1080 picture, so the image is no larger.
Image eyes() {
    const int w = 128, h = 64, ss = 4;
    Image img(w, h);
    auto shade = [](float u, float v, float out[3]) {
        const float fx = std::fmod(u, 64.0f);
        auto set = [&](float r, float g, float b) { out[0] = r; out[1] = g; out[2] = b; };
        set(0.02f, 0.02f, 0.05f);
        const float hx = std::fmod(fx, 16.0f);
        if ((v > 3 && v < 9) || (v > 55 && v < 61)) {
            if (hx > 4 && hx < 12) set(0.5f, 0.55f, 0.85f);
            return;
        }
        if (fx < 3 || fx > 61 || v < 12 || v > 52) return;
        const float dx = (fx - 32) / 25, dy = (v - 32) / 12;
        const float e = dx * dx + dy * dy * (1 + 0.6f * dx * dx);
        if (e >= 1) { set(0.07f, 0.05f, 0.2f); return; }
        const float r = std::sqrt((fx - 32) * (fx - 32) + (v - 32) * (v - 32));
        const float lid = 0.7f + 0.3f * std::sqrt(1 - e);
        if (r > 9) { set(0.82f * lid, 0.82f * lid, 0.92f * lid); return; }
        if (r < 3.5f) { set(0.02f, 0.02f, 0.06f); return; }
        const float ring = 0.55f + 0.45f * std::cos((r - 3.5f) * 0.9f);
        set(0.2f * ring, 0.55f * ring, 1.0f * ring);
        const float gx = fx - 29.5f, gy = v - 29.5f;
        if (gx * gx + gy * gy < 2.2f) set(1, 1, 1);
    };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            float sum[3] = {0, 0, 0}, c[3];
            for (int k = 0; k < ss * ss; ++k) {
                shade(x + (k % ss + 0.5f) / ss, y + (k / ss + 0.5f) / ss, c);
                for (int i = 0; i < 3; ++i) sum[i] += c[i];
            }
            for (int i = 0; i < 3; ++i) img.at(x, y)[i] = sum[i] / (ss * ss);
        }
    return keep_detail(img, 0.3f, 0.25f);
}

// The nebula behind the tunnel stays 512 x 512: its stars, finer at a larger
// size, would twinkle as the layers drift across an 800 x 600 picture.
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

// Lettering on black is shown magnified and added onto the picture: high
// quality with colour at full resolution, so no block or colour fringe shows.
ImageMaker lettering_image(std::function<Image()> make) { return {std::move(make), 95, true}; }

const std::map<std::string, ImageMaker>& makers() {
    static const std::map<std::string, ImageMaker> m = [] {
        std::map<std::string, ImageMaker> t;
        t["LogoQorv"] = lettering_image(logo);
        t["Presents"] = lettering_image([] {
            Image i = glow_text("presents", 256, 128, {46}, violet_core, violet_glow);
            sparks(i, 10, 22, blue_glow);
            return i;
        });
        t["Vorlane"] = lettering_image(title);
        t["eyes"] = lettering_image(eyes);
        // The captions of parts 3 and 9 drift by on quads 1.6 times the
        // picture's width and 1.2 times its height: in the room 1.26 pixels a
        // texel across and 2.8 down at 800 x 600; over the surface, whose view
        // widens to 75 degrees, as little as 0.68 across. Those of part 5
        // cross the tunnel at about their own size at 800 x 600.
        t["text01"] = lettering_image([] {
            return keep_detail(glow_text("inside the machine", 1024, 256, {104, 1, 0.5f, 0.86f}, blue_core, blue_glow), 0.3f, 0.5f);
        });
        t["text02"] = lettering_image([] {
            return keep_detail(glow_text("down the wire", 512, 128, {56}, cyan_core, cyan_glow), 0.45f, 0.45f);
        });
        t["text03"] = lettering_image([] {
            return keep_detail(glow_text("no way back", 512, 128, {56}, violet_core, violet_glow), 0.45f, 0.45f);
        });
        t["text04"] = lettering_image([] {
            return keep_detail(glow_text("after midnight", 1024, 256, {112}, blue_core, violet_glow), 0.25f, 0.5f);
        });
        t["gfxadd03"] = lettering_image(title_card);
        const char* credits[6] = {"code", "t4rnix", "gfx", "pelm", "sound", "zug"};
        for (int k = 0; k < 6; ++k) {
            std::string c = credits[k];
            t[c] = lettering_image([c, k] { return credit(c, k % 2); });
        }
        t["eclair"] = {lightning, 90, false};
        t["nebu02"] = {nebula, 90, false};
        // The sprite glow keeps its colour at full resolution (see particle).
        t["part"] = {particle, 90, true};
        t["greets"] = lettering_image([] { return greeting("greetings", 0, true); });
        for (int k = 0; k < 17; ++k) {
            char n[8];
            std::snprintf(n, sizeof n, "%02d", k + 1);
            std::string g = group_names[k];
            t[n] = lettering_image([g, k] { return greeting(g, k % 3, false); });
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
