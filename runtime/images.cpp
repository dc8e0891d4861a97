// JPEG decoding into image_pixels with the rows bottom-up (OpenGL's order),
// written once straight into place, and the upload to a fixed texture id.
#include "runtime/images.h"

#include <GL/gl.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

#include "runtime/data_folder.h"
#include "runtime/demo.h"

int32_t image_width;
int32_t image_height;

namespace {
// Error manager that hands control back instead of ending the process.
struct JpegError {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    char reason[JMSG_LENGTH_MAX];
    // The first warning (damaged or missing data the library works around).
    char warning[JMSG_LENGTH_MAX];
};

// Files already reported: the room loads some textures several times, and a
// bad file is named once.
std::set<std::string> reported_files;
bool already_reported(const char* what) { return !reported_files.insert(what).second; }

void jpeg_error_exit(j_common_ptr info) {
    JpegError* error = reinterpret_cast<JpegError*>(info->err);
    info->err->format_message(info, error->reason);
    std::longjmp(error->jump, 1);
}

void jpeg_quiet(j_common_ptr info, int level) {
    JpegError* error = reinterpret_cast<JpegError*>(info->err);
    if (level < 0 && error->warning[0] == 0) info->err->format_message(info, error->warning);
}

// Packs a decoded scanline as RGB. Adobe CMYK files store inverted values.
void scanline_to_rgb(const uint8_t* in, int components, bool cmyk, int width, uint8_t* out) {
    if (cmyk) {
        for (int x = 0; x < width; ++x, in += 4, out += 3) {
            out[0] = static_cast<uint8_t>(in[0] * in[3] / 255);
            out[1] = static_cast<uint8_t>(in[1] * in[3] / 255);
            out[2] = static_cast<uint8_t>(in[2] * in[3] / 255);
        }
    } else if (components == 3) {
        std::memcpy(out, in, static_cast<size_t>(width) * 3);
    }
}
} // namespace

bool jpeg_name(const char* path, char* name) {
    std::memset(name, 0, jpeg_name_bytes);
    const char* dot = std::strchr(path, '.');
    size_t stem = dot ? static_cast<size_t>(dot - path) : std::strlen(path);
    // The stem, ".jpg" and the terminating NUL must fit.
    if (stem + 5 > static_cast<size_t>(jpeg_name_bytes)) return false;
    std::memcpy(name, path, stem);
    std::memcpy(name + stem, ".jpg", 4);
    return true;
}

int32_t load_image_from_memory(const uint8_t* bytes, size_t size, int32_t texture_id, const char* what) {
    jpeg_decompress_struct info;
    JpegError error;
    info.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = jpeg_error_exit;
    error.manager.emit_message = jpeg_quiet;
    error.warning[0] = 0;
    const int32_t old_width = image_width;
    const int32_t old_height = image_height;
    if (setjmp(error.jump)) {
        if (!already_reported(what)) std::fprintf(stderr, "images: %s: %s\n", what, error.reason);
        jpeg_destroy_decompress(&info);
        image_width = old_width;
        image_height = old_height;
        return 0;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, bytes, static_cast<unsigned long>(size));
    jpeg_read_header(&info, TRUE);
    // Greyscale and YCbCr decode to RGB in the library; CMYK comes out as
    // four components and is converted here.
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_calc_output_dimensions(&info);
    const uint64_t rgb_bytes = static_cast<uint64_t>(info.output_width) * info.output_height * 3;
    if (rgb_bytes > static_cast<uint64_t>(work_buffer_bytes)) {
        if (!already_reported(what))
            std::fprintf(stderr, "images: %s: %ux%u is %llu bytes as RGB, more than the %d-byte image buffer\n",
                     what, info.output_width, info.output_height,
                     static_cast<unsigned long long>(rgb_bytes), work_buffer_bytes);
        jpeg_destroy_decompress(&info);
        return 0;
    }
    jpeg_start_decompress(&info);
    const size_t row_bytes = static_cast<size_t>(info.output_width) * 3;
    image_width = static_cast<int32_t>(info.output_width);
    image_height = static_cast<int32_t>(info.output_height);
    JSAMPARRAY row = (*info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE,
                                                info.output_width * info.output_components, 1);
    const bool direct = info.output_components == 3;
    for (int k = 0; info.output_scanline < info.output_height; ++k) {
        uint8_t* out = image_pixels + static_cast<size_t>(image_height - 1 - k) * row_bytes;
        if (direct) {
            JSAMPROW target = out;
            jpeg_read_scanlines(&info, &target, 1);
        } else {
            jpeg_read_scanlines(&info, row, 1);
            scanline_to_rgb(row[0], info.output_components, cmyk, image_width, out);
        }
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    if (error.warning[0] && !already_reported(what))
        std::fprintf(stderr, "images: %s: %s; the picture is kept as far as it decoded\n", what, error.warning);
    if (texture_id <= 0) return 1;
    upload_image_texture(texture_id, image_width, image_height, image_pixels);
    return 1;
}

void upload_image_texture(int32_t texture_id, int32_t width, int32_t height, const uint8_t* rgb) {
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(texture_id));
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb);
}

int32_t load_image(const char* path, int32_t texture_id) {
    char name[jpeg_name_bytes];
    if (!jpeg_name(path, name)) {
        if (!already_reported(path)) std::fprintf(stderr, "images: %s: name too long\n", path);
        return 0;
    }
    std::FILE* file = std::fopen(data_path(name).c_str(), "rb");
    if (!file) {
        // The file tried is named: the .jpg, whatever name the caller passed.
        if (!already_reported(name)) std::fprintf(stderr, "can't open %s\n", data_path(name).c_str());
        return 0;
    }
    std::vector<uint8_t> bytes;
    uint8_t chunk[65536];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.insert(bytes.end(), chunk, chunk + got);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) {
        if (!already_reported(name)) std::fprintf(stderr, "images: %s: read error\n", name);
        return 0;
    }
    return load_image_from_memory(bytes.data(), bytes.size(), texture_id, name);
}
