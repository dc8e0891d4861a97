// Measures the clips as the data builder makes them: the quantiser chosen,
// the bytes of each clip and the mean RGB PSNR of its frames, decoded by
// xvidcore, against the pictures they were encoded from. Usage: clip_quality
#include <xvid.h>

#include <cmath>
#include <cstdio>
#include <vector>

#include "databuild.h"

namespace {
double frame_psnr(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    double error = 0;
    for (size_t i = 0; i < a.size(); ++i) error += (a[i] - b[i]) * (a[i] - b[i]);
    error /= static_cast<double>(a.size());
    return error == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / error);
}

// Decodes the frames in order and returns each as packed RGB, top row first.
std::vector<std::vector<uint8_t>> decode(const std::vector<databuild::EncodedFrame>& frames) {
    const int width = databuild::clip_width, height = databuild::clip_height;
    xvid_gbl_init_t init{};
    init.version = XVID_VERSION;
    xvid_global(nullptr, XVID_GBL_INIT, &init, nullptr);
    xvid_dec_create_t create{};
    create.version = XVID_VERSION;
    create.width = width;
    create.height = height;
    xvid_decore(nullptr, XVID_DEC_CREATE, &create, nullptr);
    std::vector<std::vector<uint8_t>> pictures;
    std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
    for (const auto& frame : frames) {
        std::vector<uint8_t> bits(frame.data);
        bits.resize(bits.size() + 64, 0);
        int at = 0;
        for (;;) {
            xvid_dec_frame_t decode{};
            decode.version = XVID_VERSION;
            decode.bitstream = bits.data() + at;
            decode.length = static_cast<int>(frame.data.size()) - at;
            decode.output.csp = XVID_CSP_RGB;
            decode.output.plane[0] = rgb.data();
            decode.output.stride[0] = width * 3;
            xvid_dec_stats_t stats{};
            stats.version = XVID_VERSION;
            const int used = xvid_decore(create.handle, XVID_DEC_DECODE, &decode, &stats);
            if (used <= 0) break;
            at += used;
            if (stats.type != XVID_TYPE_VOL) break;
        }
        pictures.push_back(rgb);
    }
    xvid_decore(create.handle, XVID_DEC_DESTROY, nullptr, nullptr);
    return pictures;
}
} // namespace

int main() {
    size_t total = 0;
    for (int clip = 0; clip < 4; ++clip) {
        int quant = 0;
        const auto frames = databuild::encode_show_clip(clip, &quant);
        const auto pictures = decode(frames);
        size_t bytes = 0;
        double sum = 0;
        std::vector<uint8_t> source;
        for (size_t f = 0; f < frames.size(); ++f) {
            bytes += frames[f].data.size();
            databuild::render_clip_frame(clip, static_cast<int>(f), source);
            sum += frame_psnr(source, pictures[f]);
        }
        total += bytes;
        std::printf("clip %d: quantiser %d, %zu bytes, %.2f dB mean RGB PSNR\n", clip, quant, bytes,
                    sum / static_cast<double>(frames.size()));
        std::fflush(stdout);
    }
    std::printf("%zu bytes in all\n", total);
    return 0;
}
