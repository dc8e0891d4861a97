// Shared test helpers: one real offscreen OpenGL context, scratch files,
// JPEG making and a virtual clock the tests set directly.
#include "tests/support.h"

#include "gl/gl_api.h"
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include <jpeglib.h>

#include "platform/platform.h"
#include "runtime/demo.h"
#include "runtime/ranrot.h"

namespace {
bool context_made;
GlChoice context_gl;
int context_width, context_height;
std::atomic<uint64_t> virtual_microseconds{0};
uint64_t test_counter() { return virtual_microseconds.load(); }

void allocate_work_buffers() {
    auto bytes = [](size_t n) { return static_cast<uint8_t*>(std::calloc(n, 1)); };
    if (image_pixels) return;
    image_pixels = bytes(work_buffer_bytes);
    rgba_pixels = bytes(work_buffer_bytes);
    logo_pixels = bytes(work_buffer_bytes);
    presents_pixels = bytes(work_buffer_bytes);
    video_frame_buffer = bytes(work_buffer_bytes);
    ripple_positions = reinterpret_cast<float*>(bytes(ripple_buffer_bytes));
    ripple_texcoords = reinterpret_cast<float*>(bytes(ripple_buffer_bytes));
    ripple_normals = reinterpret_cast<float*>(bytes(ripple_buffer_bytes));
}
} // namespace

void ensure_gl_context(GlChoice gl, int width, int height) {
    allocate_work_buffers();
    if (context_made && (context_gl != gl || context_width != width || context_height != height)) {
        platform_close_window();
        context_made = false;
    }
    if (!context_made) {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        DisplayRequest request;
        request.fullscreen = false;
        request.window_width = request.render_width = width;
        request.window_height = request.render_height = height;
        request.gl = gl;
        ASSERT_TRUE(platform_create_window("Vavurava Rive", request)) << platform_error();
        context_made = true;
        context_gl = gl;
        context_width = width;
        context_height = height;
        // As start-up does: every test process draws the show's sequence.
        ranrot_init(0);
    }
    glViewport(0, 0, 800, 600);
}

std::string scratch_path(const std::string& name) {
    static std::string dir;
    if (dir.empty()) {
        char pattern[] = "/tmp/vavurava-test-XXXXXX";
        const char* made = mkdtemp(pattern);
        dir = made ? made : "/tmp";
    }
    return dir + "/" + name;
}

void write_file(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint8_t> read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Rgb read_pixel(int x, int y) {
    uint8_t p[3];
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, p);
    return {p[0], p[1], p[2]};
}

namespace {
double psnr_of_mse(double mse) { return mse == 0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse); }
} // namespace

double psnr(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    double sum = 0;
    for (size_t k = 0; k < a.size(); ++k) {
        const double d = double(a[k]) - double(b[k]);
        sum += d * d;
    }
    return psnr_of_mse(sum / a.size());
}

double luma_psnr(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    auto luma = [](const uint8_t* p) { return 0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2]; };
    double sum = 0;
    for (size_t k = 0; k + 2 < a.size(); k += 3) {
        const double d = luma(&a[k]) - luma(&b[k]);
        sum += d * d;
    }
    return psnr_of_mse(sum / (a.size() / 3));
}

std::vector<uint8_t> make_jpeg(int width, int height, Rgb (*pixel)(int x, int y), int components,
                               int quality) {
    jpeg_compress_struct info;
    jpeg_error_mgr error;
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    unsigned char* out = nullptr;
    unsigned long out_size = 0;
    jpeg_mem_dest(&info, &out, &out_size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = components;
    info.in_color_space = components == 1 ? JCS_GRAYSCALE : components == 4 ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<uint8_t> row(static_cast<size_t>(width) * components);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            Rgb p = pixel(x, y);
            uint8_t* o = &row[static_cast<size_t>(x) * components];
            if (components == 1) {
                o[0] = static_cast<uint8_t>(p.r);
            } else if (components == 4) {
                // Inverted CMYK as Adobe writes it, with K = 255 (no black).
                o[0] = static_cast<uint8_t>(p.r);
                o[1] = static_cast<uint8_t>(p.g);
                o[2] = static_cast<uint8_t>(p.b);
                o[3] = 255;
            } else {
                o[0] = static_cast<uint8_t>(p.r);
                o[1] = static_cast<uint8_t>(p.g);
                o[2] = static_cast<uint8_t>(p.b);
            }
        }
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&info, &r, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::vector<uint8_t> bytes(out, out + out_size);
    std::free(out);
    return bytes;
}

std::string command_output(const std::string& command, int* status) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        if (status) *status = -1;
        return out;
    }
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    const int result = pclose(pipe);
    if (status) *status = result;
    return out;
}

void set_virtual_clock_ms(double ms) {
    virtual_microseconds.store(static_cast<uint64_t>(ms * 1000.0 + 0.5));
    platform_install_virtual_counter(test_counter, 1000000);
}
