// Supersampled frames are filtered down with libswscale's area filter, which
// averages the block of rendered pixels under each output pixel (exactly,
// once chroma is taken at full resolution in and out); the vertical flip
// rides along as a negative stride.
#include "picture_from_render.h"

extern "C" {
#include <libswscale/swscale.h>
}

#include <cstring>
#include <stdexcept>

PictureFromRender::PictureFromRender(const PictureShape& shape) : shape_(shape) {
    if (shape.ssaa == 1) return;
    scaler_ = sws_getContext(shape.width * shape.ssaa, shape.height * shape.ssaa, AV_PIX_FMT_RGB24, shape.width,
                             shape.height, AV_PIX_FMT_RGB24, SWS_AREA | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT | SWS_FULL_CHR_H_INP,
                             nullptr, nullptr, nullptr);
    if (!scaler_) throw std::runtime_error("libswscale cannot filter the supersampled frame down");
}

PictureFromRender::~PictureFromRender() { sws_freeContext(scaler_); }

std::vector<uint8_t> PictureFromRender::convert(const std::vector<uint8_t>& rendered) {
    const int width = shape_.width, height = shape_.height;
    const size_t row = static_cast<size_t>(width) * 3;
    std::vector<uint8_t> picture(row * height);
    if (!scaler_) {
        for (int y = 0; y < height; ++y)
            std::memcpy(&picture[static_cast<size_t>(y) * row], &rendered[static_cast<size_t>(height - 1 - y) * row], row);
        return picture;
    }
    const int source_height = height * shape_.ssaa;
    const int source_stride = width * shape_.ssaa * 3;
    // Start at the last row and step backwards: top row first.
    const uint8_t* source[4] = {rendered.data() + static_cast<size_t>(source_height - 1) * source_stride};
    const int source_strides[4] = {-source_stride};
    uint8_t* target[4] = {picture.data()};
    const int target_strides[4] = {static_cast<int>(row)};
    sws_scale(scaler_, source, source_strides, 0, source_height, target, target_strides);
    return picture;
}
