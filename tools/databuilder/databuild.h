// Pieces of the data builder: seeded generators, image operations, the JPEG
// writer, lettering, the music synthesiser, clip effects and the mesh tables.
// Every function is pure in its inputs and seed, so two builds give the same bytes.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace databuild {

// xorshift-style generator with a fixed seed; the only randomness the builder uses.
struct Rng {
    uint64_t s;
    explicit Rng(uint64_t seed) : s(seed * 0x9E3779B97F4A7C15ull + 0x1234567ull) { next(); }
    uint32_t next() {
        s ^= s << 13; s ^= s >> 7; s ^= s << 17;
        return (uint32_t)(s >> 16);
    }
    double uniform() { return next() / 4294967296.0; }              // 0..1
    double range(double a, double b) { return a + (b - a) * uniform(); }
};

// Float RGB image, values nominally 0..1.
struct Image {
    int w = 0, h = 0;
    std::vector<float> px;  // w*h*3
    Image() = default;
    Image(int w_, int h_, float r = 0, float g = 0, float b = 0);
    float* at(int x, int y) { return &px[((size_t)y * w + x) * 3]; }
    const float* at(int x, int y) const { return &px[((size_t)y * w + x) * 3]; }
};

// Image operations (wrap-around where a texture repeats).
Image value_noise(int w, int h, int cells, uint64_t seed);         // grey, tileable
Image fbm(int w, int h, int octaves, int base_cells, uint64_t seed);
void colorize(Image& img, const float lo[3], const float hi[3]);
void add(Image& dst, const Image& src, float k);
void multiply(Image& dst, const Image& src);
// Box blur of a grey plane w*h, `passes` times, wrapping round.
void blur(std::vector<float>& grey, int w, int h, int radius, int passes);
// Removes detail finer than cut_x cycles per pixel across and cut_y down
// (0.5 keeps all) with a Lanczos filter; wraps round, and clamps to 0..1.
void band_limit(Image& img, float cut_x, float cut_y);
void fill_rect(Image& img, int x0, int y0, int x1, int y1, const float c[3], float alpha = 1);
void glow_dot(Image& img, float cx, float cy, float radius, const float c[3], float power = 2);
void line(Image& img, float x0, float y0, float x1, float y1, float width, const float c[3]);
void bevel_rect(Image& img, int x0, int y0, int x1, int y1, float light, float dark);
void clamp01(Image& img);
void gamma_scale(Image& img, float k, float gamma);

// Lettering: a word in DejaVu Sans Bold as a coverage mask w*h, its ink
// centred at (w / 2, centre_y * h), shrunk to fit max_width * w by
// max_height * h. x_scale below 1 narrows the glyphs.
struct TextStyle {
    float pixel_height;      // em size in pixels
    float x_scale = 1;
    float centre_y = 0.5f;   // fraction of the height, from the top
    float max_width = 0.92f, max_height = 0.9f;
};
struct Lettering {
    std::vector<float> mask;   // w*h, 0..1
    float pixel_height = 0;    // after fitting
    float ink_width = 0;       // pixels from the ink's left edge to its right
    int top = 0, bottom = 0;   // the rows the ink spans
};
Lettering lettering(const std::string& text, int w, int h, const TextStyle& style);
// Bright lettering lit from above with a coloured glow, on black, for images
// shown additively.
Image glow_text(const std::string& text, int w, int h, const TextStyle& style, const float core[3],
                const float glow[3]);

// JPEG encoding of an image (top row first), quality 0..100; colour at a
// quarter of the resolution unless full_colour is set.
std::vector<uint8_t> encode_jpeg(const Image& img, int quality, bool full_colour = false);
// Decodes one of our own JPEGs (libjpeg's standard error handling ends the
// process on a broken file): comps bytes a pixel, top row first.
struct DecodedJpeg { int w = 0, h = 0, comps = 0; std::vector<uint8_t> rgb; };
DecodedJpeg decode_jpeg(const std::vector<uint8_t>& bytes);

// Where the sprite glow ("part") falls to zero, in half-widths from its centre.
constexpr float sprite_glow_edge = 0.85f;

// All images: name (without "dats/") and encoded bytes, in a fixed order.
struct NamedFile { std::string name; std::vector<uint8_t> bytes; };
std::vector<std::string> image_names();
std::vector<uint8_t> make_image(const std::string& name);

// The programs' icon at each of icon_sizes, in that order: the logo, round on
// a transparent square, as PNG bytes.
constexpr int icon_sizes[] = {16, 32, 48, 64, 128, 256, 512};
std::vector<std::vector<uint8_t>> make_icons();

// Music: the interleaved stereo PCM of the whole track, mastered, and its Ogg
// Vorbis file. The track ends with the greetings and a tail.
constexpr int music_rate = 44100;
constexpr double music_seconds = 201.0;
constexpr float music_quality = 0.5f;
std::vector<float> synthesise_music();
// The track's own file: stereo at `rate`, with its title and artist tags.
std::vector<uint8_t> encode_vorbis(const std::vector<float>& stereo, int rate, float quality);

// Any Ogg Vorbis stream (the track, and the tests' tones): interleaved samples
// in -1..1, the three header packets on pages of their own, then audio pages,
// the last one marked end-of-stream. *header_bytes gets the header pages' size.
struct VorbisStream {
    int channels = 2;
    int rate = 44100;
    float quality = 0.1f;
    int serial = 0x5a4144;
    std::vector<std::pair<std::string, std::string>> tags;
    bool page_per_packet = false;  // flush a page after every audio packet
};
std::vector<uint8_t> encode_vorbis(const std::vector<float>& interleaved, const VorbisStream& stream,
                                   size_t* header_bytes = nullptr);

// Clips: the picture of frame n of clip k (0..3) as packed RGB, 640x480, top row first.
constexpr int clip_width = 640, clip_height = 480;
int clip_frame_count(int clip);
void render_clip_frame(int clip, int frame, std::vector<uint8_t>& rgb);
// MPEG-4 Part 2 frames of a clip with xvidcore; each with its keyframe flag.
struct EncodedFrame { std::vector<uint8_t> data; bool keyframe; };
std::vector<EncodedFrame> encode_clip(int clip, int frames, int quant);
// The frames of clip k as dats/ holds them: at the finest quantiser from the
// clip's first that keeps every frame inside the decoder's read window.
std::vector<EncodedFrame> encode_show_clip(int clip, int* chosen_quant);
std::vector<uint8_t> make_clip(int clip);

// Geometry tables in the MeshTable format.
std::vector<uint8_t> make_room_table();
std::vector<uint8_t> make_ring_table();
std::string tables_cpp(const std::vector<uint8_t>& room, const std::vector<uint8_t>& ring);

}  // namespace databuild
