// Times the video path on this machine: one decoding step (decode, conversion,
// upload) and a whole video-part frame, as medians over many frames; also
// prints a hash of the rendered frames so a faster path can prove it draws
// the same pictures. Usage: bench_video [clip.ogm] (default dats/scene03.ogm,
// else the same clip made here by the data builder).
#include <GL/gl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include "databuild.h"
#include "platform/platform.h"
#include "runtime/demo.h"
#include "scenes/parts.h"
#include "video/clip.h"
#include "video/clip_decoder.h"

namespace {
using Bytes = std::vector<uint8_t>;

uint64_t virtual_us;
uint64_t bench_counter() { return virtual_us; }
void set_clock_ms(double ms) { virtual_us = static_cast<uint64_t>(ms * 1000.0 + 0.5); }

void solid_texture(GLuint id, uint8_t r, uint8_t g, uint8_t b) {
    std::vector<uint8_t> pixels(256 * 256 * 3);
    for (size_t i = 0; i < pixels.size(); i += 3) {
        pixels[i] = r;
        pixels[i + 1] = static_cast<uint8_t>(g ^ (i & 0x3f));
        pixels[i + 2] = b;
    }
    glBindTexture(GL_TEXTURE_2D, id);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 256, 256, 0, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

double now_ms() {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

void reload(const char* path, const Bytes& encoded, VideoClip* clip) {
    std::memset(clip, 0, sizeof *clip);
    if (path)
        load_video_clip(path, clip);
    else
        load_video_clip_from_memory(encoded.data(), encoded.size(), "bench clip", clip);
}
} // namespace

int main(int argc, char** argv) {
    const char* path = argc > 1 ? argv[1] : nullptr;
    if (!path) {
        if (std::FILE* f = std::fopen("dats/scene03.ogm", "rb")) {
            std::fclose(f);
            path = "dats/scene03.ogm";
        }
    }
    const Bytes encoded = path ? Bytes() : databuild::make_clip(0);
    video_frame_buffer = new uint8_t[work_buffer_bytes]();
    if (!platform_create_window("Vavurava Rive", 800, 600)) {
        std::fprintf(stderr, "bench_video: %s\n", platform_error());
        return 1;
    }
    platform_install_virtual_counter(bench_counter, 1000000);
    solid_texture(3003, 120, 120, 120);
    solid_texture(4000, 255, 200, 0);
    solid_texture(4001, 0, 200, 255);

    VideoClip clip;
    reload(path, encoded, &clip);
    if (clip.data_len == 0) return 1;
    std::printf("clip %s: %d x %d, %d ms a frame, %u bytes\n", path ? path : "(encoded here)", clip.width,
                clip.height, clip.frame_ms, clip.data_len);

    // One decoding step per clip frame: decode + conversion + upload.
    std::vector<double> step_ms, idle_ms;
    current_part = 2;
    clip_start_time = 0;
    for (int n = 1; clip.read_pos < clip.data_len && n < 1000; ++n) {
        set_clock_ms(n * clip.frame_ms - 0.5);
        const double start = now_ms();
        decode_clip_frame(&clip, video_texture_id);
        glFinish();
        step_ms.push_back(now_ms() - start);
        // The same clock again: nothing is due, only the upload is left.
        const double again = now_ms();
        decode_clip_frame(&clip, video_texture_id);
        glFinish();
        idle_ms.push_back(now_ms() - again);
    }

    // Whole video-part frames at 60 frames a second of show time, so that
    // some frames decode a picture and some do not; frames hashed on the way.
    reload(path, encoded, &clip);
    std::vector<double> frame_ms;
    uint64_t hash = 1469598103934665603ull;
    std::vector<uint8_t> pixels(800 * 600 * 3);
    set_clock_ms(1000);
    enter_part_2();
    glDisable(GL_FOG);
    for (int n = 0; current_part == 2 && n < 2000; ++n) {
        set_clock_ms(1000 + n * 1000.0 / 60.0);
        const double start = now_ms();
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        draw_video_part(&clip, 4000, 4001);
        glFinish();
        frame_ms.push_back(now_ms() - start);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, 800, 600, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
        for (uint8_t byte : pixels) hash = (hash ^ byte) * 1099511628211ull;
    }
    std::printf("decoding step (decode + conversion + upload): median %.2f ms over %zu steps\n", median(step_ms),
                step_ms.size());
    std::printf("decoding step with nothing due: median %.2f ms\n", median(idle_ms));
    std::printf("video-part frame: median %.2f ms over %zu frames\n", median(frame_ms), frame_ms.size());
    std::printf("frames hash: %016llx\n", static_cast<unsigned long long>(hash));
    return 0;
}
