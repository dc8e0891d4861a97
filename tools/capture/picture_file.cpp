// Frames, contact sheets and charts to PNG (libpng) or JPEG (libjpeg), the
// format the file's name asks for.
#include "picture_file.h"

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>

// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

#include "output_file.h"
#include "output_format.h"
#include "png_file.h"

namespace {
// Fine detail and lettering stay sharp: near-lossless quality, no chroma
// subsampling.
constexpr int jpeg_quality = 95;

struct JpegError {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

void jpeg_error_exit(j_common_ptr info) { std::longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1); }

bool write_jpeg(std::FILE* file, int width, int height, const uint8_t* rows) {
    jpeg_compress_struct info;
    JpegError error;
    info.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = jpeg_error_exit;
    if (setjmp(error.jump)) {
        jpeg_destroy_compress(&info);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, jpeg_quality, TRUE);
    for (int c = 0; c < info.num_components; ++c) info.comp_info[c].h_samp_factor = info.comp_info[c].v_samp_factor = 1;
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(rows + static_cast<size_t>(info.next_scanline) * width * 3);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
}

// The picture to a temporary beside path, renamed over it when complete.
bool write_through_temporary(const std::string& path, int width, int height, const uint8_t* rows,
                             std::string* problem) {
    TemporaryFile temporary;
    if (!temporary.create(path, problem)) return false;
    std::FILE* file = std::fopen(temporary.path().c_str(), "wb");
    if (!file) {
        *problem = std::strerror(errno);
        return false;
    }
    errno = 0;
    bool ok = is_jpeg_name(path) ? write_jpeg(file, width, height, rows) : write_png(file, width, height, rows);
    ok = ok && std::fflush(file) == 0 && !std::ferror(file);
    int error = errno;
    if (std::fclose(file) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        *problem = error ? std::strerror(error) : "the picture could not be encoded";
        return false;
    }
    return temporary.commit(problem);
}
} // namespace

bool write_picture(const std::string& path, int width, int height, const uint8_t* rows) {
    std::string problem;
    if (write_through_temporary(path, width, height, rows, &problem)) return true;
    std::fprintf(stderr, "capture: %s: cannot write (%s)\n", path.c_str(), problem.c_str());
    return false;
}
