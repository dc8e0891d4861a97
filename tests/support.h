// Shared helpers for the tests: one real OpenGL context (SDL offscreen +
// Mesa) for the whole test program, scratch files, pixel read-back.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "gl/gl_table.h"

// Makes a window (800 x 600 by default) and a context of the given kind
// current once; later calls reuse it, or make it anew for another kind or
// size. Fails the calling test (ASSERT) if no context can be made.
void ensure_gl_context(GlChoice gl = GlChoice::compatibility, int width = 800, int height = 600);

// A fresh path in a per-process scratch directory.
std::string scratch_path(const std::string& name);
void write_file(const std::string& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> read_file(const std::string& path);

// RGB pixel of the rendered frame at (x, y), origin bottom-left.
struct Rgb {
    int r, g, b;
};
Rgb read_pixel(int x, int y);

// Peak signal-to-noise ratio of two pictures of the same size, in dB (99 when
// they are equal): over every RGB byte, or over the BT.601 luma of each pixel.
double psnr(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b);
double luma_psnr(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b);

// Writes an RGB JPEG of the given size with libjpeg; pixel(x, y) gives each
// pixel, y = 0 the top scanline of the file.
std::vector<uint8_t> make_jpeg(int width, int height, Rgb (*pixel)(int x, int y), int components = 3,
                               int quality = 95);

// Runs a shell command and returns what it printed; *status gets its exit status.
std::string command_output(const std::string& command, int* status = nullptr);

// Installs a virtual counter whose value the test sets directly (ms).
void set_virtual_clock_ms(double ms);
