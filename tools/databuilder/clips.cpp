// The four clips: a flight through a lit tunnel, glowing metaballs, a
// rotozoomed circuit pattern and a voxel landscape at night, each encoded
// with xvidcore and muxed into an OGM file.
#include "databuild.h"
#include "ogm_mux.h"
#include "xvid_encoder.h"

#include <xvid.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace databuild {

namespace {

constexpr int W = clip_width, H = clip_height;

inline uint8_t to8(float v) { return (uint8_t)std::min(255.0f, std::max(0.0f, v * 255.0f)); }

// Shared 256x256 textures, made once.
struct Textures {
    std::vector<float> tunnel, circuit, height, colour;  // tunnel/circuit: 3 channels
    Textures() {
        Image n = fbm(256, 256, 5, 4, 901);
        tunnel.resize(256 * 256 * 3);
        for (int y = 0; y < 256; ++y)
            for (int x = 0; x < 256; ++x) {
                float v = n.at(x, y)[0];
                bool rib = (y % 32) < 4, seam = (x % 32) < 2;
                float lamp = ((y % 64) < 3 && (x % 64) < 20) ? 1.0f : 0.0f;
                float b = 0.25f + 0.5f * v + (rib ? 0.35f : 0) - (seam ? 0.2f : 0);
                float* p = &tunnel[(y * 256 + x) * 3];
                p[0] = 0.35f * b + 0.25f * lamp; p[1] = 0.4f * b + 0.45f * lamp; p[2] = 0.75f * b + 0.6f * lamp;
            }
        circuit.resize(256 * 256 * 3);
        Rng rng(902);
        Image c(256, 256, 0.03f, 0.02f, 0.08f);
        const float trace[3] = {0.2f, 0.5f, 1.0f}, pad[3] = {0.9f, 0.5f, 1.0f};
        for (int i = 0; i < 60; ++i) {
            int x = (int)rng.range(0, 256) & ~7, y = (int)rng.range(0, 256) & ~7;
            int len = 16 + ((int)rng.range(0, 8)) * 8;
            bool horiz = rng.uniform() < 0.5;
            for (int k = 0; k < len; ++k) {
                int xx = (horiz ? x + k : x) & 255, yy = (horiz ? y : y + k) & 255;
                for (int t = 0; t < 2; ++t) {
                    float* p = c.at(horiz ? xx : (xx + t) & 255, horiz ? (yy + t) & 255 : yy);
                    for (int ch = 0; ch < 3; ++ch) p[ch] = trace[ch];
                }
            }
            glow_dot(c, (float)x, (float)y, 5, pad, 1.5f);
        }
        clamp01(c);
        circuit = c.px;
        Image hgt = fbm(256, 256, 6, 4, 903);
        height.resize(256 * 256);
        colour.resize(256 * 256 * 3);
        for (int i = 0; i < 256 * 256; ++i) {
            float h = hgt.px[i * 3];
            h = std::pow(h, 1.6f);
            height[i] = h;
            colour[i * 3 + 0] = 0.15f + 0.5f * h;
            colour[i * 3 + 1] = 0.1f + 0.3f * h;
            colour[i * 3 + 2] = 0.35f + 0.6f * h;
        }
    }
};

const Textures& textures() {
    static const Textures t;
    return t;
}

// Tunnel: angle/depth lookup per pixel, lit from the far end, with sparks flying past.
void tunnel(int f, std::vector<uint8_t>& rgb) {
    const Textures& tx = textures();
    double t = f / 25.0;
    float cx = W / 2 + 80 * (float)std::sin(t * 0.7), cy = H / 2 + 50 * (float)std::sin(t * 0.9);
    float spin = (float)(t * 0.25), fly = (float)(t * 2.2);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            float dx = x - cx, dy = y - cy;
            float d = std::sqrt(dx * dx + dy * dy) + 1;
            float depth = 60.0f / d;
            int u = (int)((std::atan2(dy, dx) / 6.2831853f + spin) * 256 * 2) & 255;
            int v = (int)((depth + fly) * 64) & 255;
            const float* p = &tx.tunnel[(v * 256 + u) * 3];
            float shade = std::min(1.0f, d / 260.0f);
            float pulse = 0.8f + 0.2f * std::sin(depth * 3 - (float)t * 6);
            float glow = 0.5f * std::exp(-d / 40.0f);
            // Violet rings of light racing towards the viewer.
            float ph = std::log(depth) * 1.2f + (float)t * 0.9f;
            ph -= std::floor(ph);
            float ring = std::exp(-(ph - 0.5f) * (ph - 0.5f) * 60) * shade;
            uint8_t* o = &rgb[(y * W + x) * 3];
            o[0] = to8(p[0] * shade * pulse + glow * 0.6f + ring * 0.7f);
            o[1] = to8(p[1] * shade * pulse + glow * 0.7f + ring * 0.2f);
            o[2] = to8(p[2] * shade * pulse + glow + ring * 0.9f);
        }
}

// Metaballs: field of six charges, coloured by field strength with a bright rim.
void metaballs(int f, std::vector<uint8_t>& rgb) {
    double t = f / 25.0;
    float bx[6], by[6];
    for (int k = 0; k < 6; ++k) {
        bx[k] = (float)(W / 2 + 220 * std::sin(t * (0.5 + 0.13 * k) + k * 1.7));
        by[k] = (float)(H / 2 + 160 * std::cos(t * (0.6 + 0.11 * k) + k * 0.9));
    }
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            float s = 0;
            for (int k = 0; k < 6; ++k) {
                float dx = x - bx[k], dy = y - by[k];
                s += 3000.0f / (dx * dx + dy * dy + 1);
            }
            float r, g, b;
            if (s > 1.0f) {
                float in = std::min(1.0f, (s - 1.0f) * 0.6f);
                r = 0.5f + 0.4f * in; g = 0.25f + 0.6f * in; b = 0.9f + 0.1f * in;
                float rim = std::exp(-(s - 1.0f) * 8);
                r += rim; g += rim; b += rim;
            } else {
                float halo = s * s * 0.6f;
                float grid = ((x + f * 2) % 40 == 0 || (y + f) % 40 == 0) ? 0.06f : 0.0f;
                r = 0.35f * halo + grid * 0.5f; g = 0.1f * halo + grid; b = 0.7f * halo + grid * 2;
            }
            uint8_t* o = &rgb[(y * W + x) * 3];
            o[0] = to8(r); o[1] = to8(g); o[2] = to8(b);
        }
}

// Rotozoom of the circuit texture, tinted by a slow plasma.
void rotozoom(int f, std::vector<uint8_t>& rgb) {
    const Textures& tx = textures();
    double t = f / 25.0;
    double a = t * 0.4, z = 1.2 + 0.8 * std::sin(t * 0.5);
    float ca = (float)(std::cos(a) / z), sa = (float)(std::sin(a) / z);
    float ox = (float)(128 + 200 * std::sin(t * 0.3)), oy = (float)(128 + 200 * std::cos(t * 0.2));
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            float px = x - W / 2.0f, py = y - H / 2.0f;
            int u = (int)(ox + px * ca - py * sa) & 255, v = (int)(oy + px * sa + py * ca) & 255;
            const float* p = &tx.circuit[(v * 256 + u) * 3];
            float pl = 0.5f + 0.5f * std::sin(x * 0.01f + (float)t) * std::cos(y * 0.013f - (float)t * 0.7f);
            uint8_t* o = &rgb[(y * W + x) * 3];
            o[0] = to8(p[0] * (0.6f + 0.6f * pl));
            o[1] = to8(p[1] * (1.1f - 0.5f * pl));
            o[2] = to8(p[2]);
        }
}

// Voxel landscape: one ray per column over a wrapped height map, stars above.
void voxels(int f, std::vector<uint8_t>& rgb) {
    const Textures& tx = textures();
    double t = f / 25.0;
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            uint8_t* o = &rgb[(y * W + x) * 3];
            float sky = (float)y / H;
            uint32_t hsh = (uint32_t)(x * 73856093u ^ y * 19349663u);
            float star = (hsh % 997 == 0) ? 0.8f : 0.0f;
            o[0] = to8(0.05f + 0.2f * sky + star); o[1] = to8(0.02f + 0.05f * sky + star); o[2] = to8(0.12f + 0.3f * sky + star);
        }
    float camx = (float)(t * 20), camy = (float)(t * 35);
    float yaw = (float)(0.3 * std::sin(t * 0.4));
    float camh = 120;
    for (int x = 0; x < W; ++x) {
        float ang = yaw + (x - W / 2.0f) / W * 1.2f;
        float dx = std::sin(ang), dy = std::cos(ang);
        int ybuf = H;
        for (float z = 2; z < 400; z += 1.0f + z * 0.01f) {
            float wx = camx + dx * z, wy = camy + dy * z;
            int u = (int)wx & 255, v = (int)wy & 255;
            float hgt = tx.height[v * 256 + u] * 200;
            int sy = (int)((camh - hgt) / z * 240 + H * 0.35f);
            if (sy < ybuf) {
                const float* c = &tx.colour[(v * 256 + u) * 3];
                float fog = std::max(0.0f, 1 - z / 400);
                float line = ((int)wx % 16 == 0 || (int)wy % 16 == 0) ? 0.5f : 0.0f;
                for (int y = std::max(0, sy); y < ybuf; ++y) {
                    uint8_t* o = &rgb[(y * W + x) * 3];
                    o[0] = to8((c[0] + line * 0.2f) * fog + 0.05f * (1 - fog));
                    o[1] = to8((c[1] + line * 0.4f) * fog);
                    o[2] = to8((c[2] + line) * fog + 0.15f * (1 - fog));
                }
                ybuf = std::max(0, sy);
            }
        }
    }
}

}  // namespace

int clip_frame_count(int clip) { return clip == 3 ? 150 : 400; }

void render_clip_frame(int clip, int frame, std::vector<uint8_t>& rgb) {
    rgb.resize((size_t)W * H * 3);
    switch (clip) {
    case 0: tunnel(frame, rgb); break;
    case 1: metaballs(frame, rgb); break;
    case 2: rotozoom(frame, rgb); break;
    default: voxels(frame, rgb); break;
    }
}

std::vector<EncodedFrame> encode_clip(int clip, int frames, int quant) {
    XvidSettings settings;
    settings.width = W;
    settings.height = H;
    settings.max_key_interval = 100;
    // A thorough motion search, four vectors a block and trellis quantisation:
    // the same picture in fewer bytes, so that the clips fit a web page.
    settings.motion = XVID_ME_HALFPELREFINE16 | XVID_ME_HALFPELREFINE8 | XVID_ME_EXTSEARCH16 |
                      XVID_ME_ADVANCEDDIAMOND16 | XVID_ME_ADVANCEDDIAMOND8 | XVID_ME_CHROMA_PVOP;
    settings.vop_flags = XVID_VOP_INTER4V | XVID_VOP_TRELLISQUANT | XVID_VOP_HQACPRED;
    XvidEncoder encoder(settings);
    std::vector<uint8_t> rgb;
    std::vector<EncodedFrame> out;
    for (int f = 0; f < frames; ++f) {
        render_clip_frame(clip, f, rgb);
        const size_t n = encoder.encode(rgb.data(), XVID_CSP_RGB, quant);
        out.push_back({std::vector<uint8_t>(encoder.bitstream(), encoder.bitstream() + n), encoder.keyframe()});
    }
    return out;
}

// The show's decoder reads each frame through a 20000-byte window, so every
// frame must be smaller than that; a clip whose largest frame does not fit
// is encoded again more coarsely. The quantisers keep the four clips near
// 4.5 MB together, for the page that plays the show in a browser; the
// detailed circuit pattern starts coarse.
constexpr size_t max_frame_bytes = 18000;
const int first_quant[4] = {12, 11, 26, 11};

std::vector<EncodedFrame> encode_show_clip(int clip, int* chosen_quant) {
    std::vector<EncodedFrame> frames;
    for (int quant = first_quant[clip];; quant += 3) {
        frames = encode_clip(clip, clip_frame_count(clip), std::min(quant, 31));
        size_t largest = 0;
        for (const EncodedFrame& f : frames) largest = std::max(largest, f.data.size());
        if (chosen_quant) *chosen_quant = std::min(quant, 31);
        if (largest <= max_frame_bytes) break;
        if (quant >= 31) throw std::runtime_error("databuilder: a clip frame does not fit the decoder's window");
    }
    return frames;
}

std::vector<uint8_t> make_clip(int clip) {
    const std::vector<EncodedFrame> frames = encode_show_clip(clip, nullptr);
    OgmMuxer mux;
    int v = mux.add_video_stream(0x5643 + clip, W, H);
    for (const EncodedFrame& f : frames) mux.add_frame(v, f.data.data(), f.data.size(), f.keyframe);
    return mux.finish();
}

}  // namespace databuild
