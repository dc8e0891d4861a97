// The music's picture: a spectrogram of the whole track on a log frequency
// scale (30 Hz to 20 kHz, bottom to top), with a line and a name at the start
// of every section, written as a PNG.
#include "music_picture.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "databuild.h"
#include "png_file.h"

namespace analysis {

namespace {
constexpr int width = 1600, plot_height = 440, label_height = 150, row_height = 26;

// Black through blue, purple, red and yellow to white as level rises 0..1.
void colour(double v, uint8_t* px) {
    const double stops[6][3] = {{0, 0, 0}, {0.05, 0.05, 0.45}, {0.5, 0.05, 0.6}, {0.9, 0.2, 0.15}, {1, 0.85, 0.2}, {1, 1, 1}};
    v = std::clamp(v, 0.0, 1.0) * 5;
    int k = std::min(4, (int)v);
    double f = v - k;
    for (int c = 0; c < 3; ++c) px[c] = (uint8_t)std::lround(255 * (stops[k][c] + (stops[k + 1][c] - stops[k][c]) * f));
}

void blend_white(std::vector<uint8_t>& rgb, int x, int y, float a) {
    if (x < 0 || y < 0 || x >= width || y >= label_height + plot_height) return;
    uint8_t* p = &rgb[((size_t)y * width + x) * 3];
    for (int c = 0; c < 3; ++c) p[c] = (uint8_t)std::lround(p[c] + (255 - p[c]) * a);
}
}  // namespace

void write_music_picture(const Track& t, const std::vector<Mark>& marks, const std::string& path) {
    const int height = label_height + plot_height;
    std::vector<uint8_t> rgb((size_t)width * height * 3, 0);
    Spectrogram s = spectrogram(t, false);
    if (s.frames.empty()) throw std::runtime_error(path + ": the track is too short to draw");
    const double lo = 30, hi = 20000, seconds = t.seconds();
    // Levels relative to the loudest bin of the track, over 90 dB.
    float top = 1e-20f;
    for (const auto& f : s.frames)
        for (float v : f) top = std::max(top, v);
    for (int x = 0; x < width; ++x) {
        size_t f0 = (size_t)(x * seconds / width / s.frame_seconds), f1 = (size_t)((x + 1) * seconds / width / s.frame_seconds);
        f0 = std::min(f0, s.frames.size() - 1);
        f1 = std::clamp(f1, f0 + 1, s.frames.size());
        for (int y = 0; y < plot_height; ++y) {
            double hz0 = lo * std::pow(hi / lo, (double)(plot_height - 1 - y) / plot_height);
            double hz1 = lo * std::pow(hi / lo, (double)(plot_height - y) / plot_height);
            int b0 = (int)(hz0 / s.bin_hz), b1 = std::max(b0 + 1, (int)(hz1 / s.bin_hz));
            double p = 0;
            for (size_t f = f0; f < f1; ++f)
                for (int b = b0; b < b1; ++b) p += s.frames[f][b];
            p /= (double)((f1 - f0) * (b1 - b0));
            double db = 10 * std::log10(p / top + 1e-12);
            colour((db + 90) / 90, &rgb[((size_t)(label_height + y) * width + x) * 3]);
        }
    }
    for (size_t k = 0; k < marks.size(); ++k) {
        int x = (int)std::lround(marks[k].seconds / seconds * width);
        int row = (int)(k % 5), y = 6 + row * row_height;
        for (int py = y + 20; py < height; ++py) blend_white(rgb, x, py, py < label_height ? 0.45f : 0.75f);
        // The name, left-aligned beside the line.
        const int box_w = 320, box_h = 22;
        const std::vector<float> mask = databuild::lettering(marks[k].name, box_w, box_h, {15}).mask;
        int left = box_w;
        for (int c = 0; c < box_w && left == box_w; ++c)
            for (int r = 0; r < box_h; ++r)
                if (mask[(size_t)r * box_w + c] > 0) { left = c; break; }
        int right = left;
        for (int c = left; c < box_w; ++c)
            for (int r = 0; r < box_h; ++r)
                if (mask[(size_t)r * box_w + c] > 0) right = c;
        // Beside the line, or before it where the picture ends.
        int at = x + 4 + (right - left) < width ? x + 4 : x - 4 - (right - left);
        for (int r = 0; r < box_h; ++r)
            for (int c = left; c <= right; ++c)
                blend_white(rgb, at + c - left, y + r, mask[(size_t)r * box_w + c]);
    }
    std::FILE* file = std::fopen(path.c_str(), "wb");
    const bool written = file && write_png(file, width, height, rgb.data());
    if (file && std::fclose(file) != 0) file = nullptr;
    if (!written || !file) throw std::runtime_error(path + ": cannot write the picture");
}

}  // namespace analysis
