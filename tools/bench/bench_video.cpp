// Times the video path on this machine: one decoding step (decode, conversion,
// upload) and a whole video-part frame, as medians over many frames; also
// prints a hash of the rendered frames so a faster path can prove it draws
// the same pictures. Usage: bench_video [clip.ogm] (default dats/scene03.ogm,
// else a clip encoded here).
#include <GL/gl.h>
#include <ogg/ogg.h>
#include <xvid.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

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

void put_le(Bytes& out, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void put_page_packet(ogg_stream_state* stream, Bytes& out, Bytes bytes, bool first, bool last, int64_t number) {
    ogg_packet packet;
    std::memset(&packet, 0, sizeof packet);
    packet.packet = bytes.data();
    packet.bytes = static_cast<long>(bytes.size());
    packet.b_o_s = first;
    packet.e_o_s = last;
    packet.granulepos = number;
    packet.packetno = number;
    ogg_stream_packetin(stream, &packet);
    ogg_page page;
    while (ogg_stream_flush(stream, &page)) {
        out.insert(out.end(), page.header, page.header + page.header_len);
        out.insert(out.end(), page.body, page.body + page.body_len);
    }
}

// 200 frames of 512 x 256 moving colour bands at 25 frames a second.
Bytes encode_bench_clip() {
    const int width = 512, height = 256, count = 200;
    init_video_decoding();
    xvid_enc_create_t create;
    std::memset(&create, 0, sizeof create);
    create.version = XVID_VERSION;
    create.profile = XVID_PROFILE_AS_L4;
    create.width = width;
    create.height = height;
    create.fincr = 1;
    create.fbase = 25;
    create.max_key_interval = 250;
    xvid_encore(nullptr, XVID_ENC_CREATE, &create, nullptr);

    ogg_stream_state stream;
    ogg_stream_init(&stream, 1);
    Bytes file;
    Bytes header(13, 0);
    header[0] = 0x01;
    std::memcpy(&header[1], "video", 5);
    std::memcpy(&header[9], "XVID", 4);
    put_le(header, 56, 4);
    put_le(header, 400000, 8);
    put_le(header, 10000000, 8);
    put_le(header, 1, 4);
    put_le(header, 1 << 20, 4);
    put_le(header, 0, 4);
    put_le(header, width, 4);
    put_le(header, height, 4);
    put_page_packet(&stream, file, header, true, false, 0);
    put_page_packet(&stream, file, Bytes(5, 0x03), false, false, 1);

    Bytes picture(static_cast<size_t>(width) * height * 3);
    Bytes out(static_cast<size_t>(width) * height * 6);
    for (int n = 0; n < count; ++n) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                uint8_t* p = &picture[(static_cast<size_t>(y) * width + x) * 3];
                p[0] = static_cast<uint8_t>(128 + 100 * std::sin((x + 3 * n) * 0.05));
                p[1] = static_cast<uint8_t>(128 + 100 * std::sin((y + 2 * n) * 0.07));
                p[2] = static_cast<uint8_t>((x ^ y) + n);
            }
        xvid_enc_frame_t frame;
        std::memset(&frame, 0, sizeof frame);
        frame.version = XVID_VERSION;
        frame.vop_flags = XVID_VOP_HALFPEL;
        frame.input.csp = XVID_CSP_BGR;
        frame.input.plane[0] = picture.data();
        frame.input.stride[0] = width * 3;
        frame.quant = 4;
        frame.bitstream = out.data();
        frame.length = static_cast<int>(out.size());
        const int written = xvid_encore(create.handle, XVID_ENC_ENCODE, &frame, nullptr);
        Bytes packet(2 + static_cast<size_t>(std::max(written, 0)));
        packet[0] = 0x48;
        packet[1] = 1;
        std::copy(out.begin(), out.begin() + static_cast<long>(packet.size() - 2), packet.begin() + 2);
        put_page_packet(&stream, file, packet, false, n + 1 == count, n + 2);
    }
    xvid_encore(create.handle, XVID_ENC_DESTROY, nullptr, nullptr);
    ogg_stream_clear(&stream);
    return file;
}

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
    const Bytes encoded = path ? Bytes() : encode_bench_clip();
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
