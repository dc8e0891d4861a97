// Writes small seed clips for the clip fuzz target into the folder given:
// a few frames of a moving pattern at small sizes from the project's MPEG-4
// encoder, muxed by the data builder's OGM muxer, so executions stay fast.
#include <xvid.h>

#include <cstdio>
#include <string>
#include <vector>

#include "ogm_mux.h"
#include "xvid_encoder.h"

namespace {
std::vector<uint8_t> pattern(int width, int height, int n) {
    std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
            p[0] = static_cast<uint8_t>((x + n) * 16);
            p[1] = static_cast<uint8_t>(y * 8);
            p[2] = static_cast<uint8_t>(((x + y + 2 * n) & 8) ? 230 : 20);
        }
    return rgb;
}

// header_width/height go in the stream header; the frames are encoded at
// width x height.
bool write_clip(const std::string& path, int width, int height, int frames, int key_interval) {
    databuild::XvidSettings settings;
    settings.width = width;
    settings.height = height;
    settings.max_key_interval = key_interval;
    databuild::XvidEncoder encoder(settings);
    databuild::OgmMuxer mux;
    const int stream = mux.add_video_stream(4242, width, height);
    for (int n = 0; n < frames; ++n) {
        const std::vector<uint8_t> picture = pattern(width, height, n);
        const size_t bytes = encoder.encode(picture.data(), XVID_CSP_RGB, 8, n == 0);
        if (bytes == 0) continue;
        mux.add_frame(stream, encoder.bitstream(), bytes, encoder.keyframe());
    }
    const std::vector<uint8_t> file = mux.finish();
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return false;
    const bool ok = std::fwrite(file.data(), 1, file.size(), out) == file.size();
    return std::fclose(out) == 0 && ok;
}
} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: seed_clips FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    struct Seed { const char* name; int width, height, frames, key_interval; };
    const Seed seeds[] = {{"tiny_16x16", 16, 16, 4, 250}, {"small_32x16", 32, 16, 6, 3},
                          {"odd_24x8", 24, 8, 3, 1}, {"wide_64x32", 64, 32, 5, 250}};
    for (const Seed& s : seeds) {
        if (!write_clip(folder + "/" + s.name, s.width, s.height, s.frames, s.key_interval)) {
            std::fprintf(stderr, "seed_clips: %s/%s: cannot write\n", folder.c_str(), s.name);
            return 1;
        }
    }
    return 0;
}
