// The programs' icon at each size the desktop asks for: the logo, scaled down
// with libswscale's area filter and cut to a disc, written as RGBA PNG.
#include "databuild.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>

extern "C" {
#include <libswscale/swscale.h>
}

namespace databuild {

namespace {
// Inside this radius, in icon widths, the logo's ring and its glow are whole.
constexpr double disc_radius = 0.47;

std::vector<uint8_t> scale_to_rgba(const DecodedJpeg& logo, int size) {
    SwsContext* scaler = sws_getContext(logo.w, logo.h, AV_PIX_FMT_RGB24, size, size, AV_PIX_FMT_RGBA,
                                        SWS_AREA | SWS_ACCURATE_RND | SWS_BITEXACT | SWS_FULL_CHR_H_INT |
                                            SWS_FULL_CHR_H_INP,
                                        nullptr, nullptr, nullptr);
    if (!scaler) throw std::runtime_error("databuilder: icons: libswscale cannot scale the logo");
    std::vector<uint8_t> rgba((size_t)size * size * 4);
    const uint8_t* source[1] = {logo.rgb.data()};
    const int source_stride[1] = {logo.w * 3};
    uint8_t* target[1] = {rgba.data()};
    const int target_stride[1] = {size * 4};
    sws_scale(scaler, source, source_stride, 0, logo.h, target, target_stride);
    sws_freeContext(scaler);
    return rgba;
}

std::vector<uint8_t> icon_png(const DecodedJpeg& logo, int size) {
    std::vector<uint8_t> rgba = scale_to_rgba(logo, size);
    // Coverage of each pixel by the disc, a one-pixel ramp at its edge.
    const double centre = size / 2.0, radius = disc_radius * size;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const double d = std::hypot(x + 0.5 - centre, y + 0.5 - centre);
            const double cover = std::min(1.0, std::max(0.0, radius - d + 0.5));
            rgba[((size_t)y * size + x) * 4 + 3] = (uint8_t)std::lround(cover * 255);
        }
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    image.width = size;
    image.height = size;
    image.format = PNG_FORMAT_RGBA;
    png_alloc_size_t bytes = 0;
    if (!png_image_write_get_memory_size(image, bytes, 0, rgba.data(), 0, nullptr))
        throw std::runtime_error(std::string("databuilder: icons: ") + image.message);
    std::vector<uint8_t> png(bytes);
    if (!png_image_write_to_memory(&image, png.data(), &bytes, 0, rgba.data(), 0, nullptr))
        throw std::runtime_error(std::string("databuilder: icons: ") + image.message);
    png.resize(bytes);
    return png;
}
}  // namespace

std::vector<std::vector<uint8_t>> make_icons() {
    const DecodedJpeg logo = decode_jpeg(make_image("LogoQorv.jpg"));
    std::vector<std::vector<uint8_t>> icons;
    for (int size : icon_sizes) icons.push_back(icon_png(logo, size));
    return icons;
}

}  // namespace databuild
