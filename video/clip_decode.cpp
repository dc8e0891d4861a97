// The per-frame decoding step: decodes every frame of a clip that has fallen
// due since clip_start_time, converts the newest picture to RGB in
// video_frame_buffer and uploads it; hands over to the next part at the end.
#include "gl/gl_api.h"
#include <xvid.h>

#include <cstring>

#include "runtime/clock.h"
#include "runtime/demo.h"
#include "scenes/parts.h"
#include "video/clip.h"
#include "video/clip_decoder.h"

VideoCounters video_counters;

namespace {
constexpr int32_t buffer_width = 1024;
constexpr int32_t buffer_height = 512;

// One decode at read_pos into the clip's planes. When it finds only the
// stream headers it decodes again at once, so that the first picture is due
// at the first positive elapsed time. Returns the decoder's result (< 0 on
// failure); *picture tells whether a picture came out.
int decode_one_frame(VideoClip* clip, bool* picture) {
    for (;;) {
        xvid_dec_frame_t frame;
        std::memset(&frame, 0, sizeof frame);
        frame.version = XVID_VERSION;
        frame.general = 0;
        frame.bitstream = clip->data + clip->read_pos;
        frame.length = video_window_bytes;
        frame.output.csp = XVID_CSP_PLANAR;
        for (int i = 0; i < 3; ++i) {
            frame.output.plane[i] = clip->planes[i];
            frame.output.stride[i] = clip->strides[i];
        }
        xvid_dec_stats_t stats;
        std::memset(&stats, 0, sizeof stats);
        stats.version = XVID_VERSION;
        const int result = mpeg4_decoder.decore(clip->decoder, XVID_DEC_DECODE, &frame, &stats);
        video_counters.decodes += 1;
        if (result < 0) return result;
        clip->read_pos += static_cast<uint32_t>(result);
        if (stats.type > 0) *picture = true;
        if (stats.type != XVID_TYPE_VOL || result == 0 || clip->read_pos >= clip->data_len) return result;
    }
}

void convert_picture(const VideoClip* clip) {
    xvid_gbl_convert_t convert;
    std::memset(&convert, 0, sizeof convert);
    convert.version = XVID_VERSION;
    convert.input.csp = XVID_CSP_INTERNAL;
    for (int i = 0; i < 3; ++i) {
        convert.input.plane[i] = clip->planes[i];
        convert.input.stride[i] = clip->strides[i];
    }
    // Bottom row of the picture into buffer row 0, where GL starts.
    convert.output.csp = XVID_CSP_BGR | XVID_CSP_VFLIP;
    convert.output.plane[0] = video_frame_buffer;
    convert.output.stride[0] = buffer_width * 3;
    convert.width = clip->width;
    convert.height = clip->height;
    convert.interlacing = 0;
    mpeg4_decoder.global(nullptr, XVID_GBL_CONVERT, &convert, nullptr);
    video_counters.conversions += 1;
}

// The texture whose image is the buffer as it stands, or 0 when the buffer
// has changed since its last upload.
GLuint texture_holding_buffer;

// Binds the texture and gives it the buffer's picture. The image is only
// re-specified when the buffer changed or another texture holds it: the
// texture keeps its image between calls, so the frames are the same.
void upload_picture(int32_t texture) {
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(texture));
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    if (texture_holding_buffer == static_cast<GLuint>(texture) && texture != 0) return;
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, buffer_width, buffer_height, 0, GL_RGB, GL_UNSIGNED_BYTE,
                 video_frame_buffer);
    texture_holding_buffer = static_cast<GLuint>(texture);
    video_counters.uploads += 1;
}

// Marks the clip used up, so that the next call hands over or rewinds.
void end_clip(VideoClip* clip) { clip->read_pos = clip->data_len + 10000; }
} // namespace

void mark_video_frame_buffer_changed() { texture_holding_buffer = 0; }

uint32_t find_start_code(const uint8_t* data, uint32_t from, uint32_t end) {
    for (uint32_t i = from; i + 2 < end; ++i)
        if (data[i] == 0 && data[i + 1] == 0 && data[i + 2] == 1) return i;
    return end;
}

void swap_red_blue(uint8_t* pixels) {
    for (int32_t i = 0; i < buffer_width * buffer_height; ++i) {
        const uint8_t first = pixels[3 * i];
        pixels[3 * i] = pixels[3 * i + 2];
        pixels[3 * i + 2] = first;
    }
}

int32_t decode_clip_frame(VideoClip* clip, int32_t texture) {
    if (clip->read_pos >= clip->data_len) {
        switch (current_part) {
        case 2: enter_part_10(); return 0;
        case 4: enter_part_5(); return 0;
        case 7: enter_part_9(); return 0;
        case 9: clip->read_pos = 0; break;
        default: return 0;
        }
        // An empty clip has nothing to play again.
        if (clip->data_len == 0 || !clip->decoder) return 0;
    }

    bool picture = false;
    for (;;) {
        const int64_t target = static_cast<int64_t>(clip->frame_count) * clip->frame_ms;
        if (!(demo_clock() - clip_start_time > static_cast<double>(target))) break;
        // Decoding on past the end would run the window out of the block.
        if (clip->read_pos >= clip->data_len) break;
        const int result = decode_one_frame(clip, &picture);
        if (result >= 0) {
            clip->frame_count += 1;
            continue;
        }
        if (clip->read_pos + static_cast<uint32_t>(video_window_bytes) > clip->data_len) {
            end_clip(clip);
            return 0;
        }
        // Bytes the decoder cannot take: go on at the next start code.
        const uint32_t next = find_start_code(clip->data, clip->read_pos + 1, clip->data_len);
        if (next >= clip->data_len) {
            end_clip(clip);
            return 0;
        }
        clip->read_pos = next;
    }

    if (picture) {
        convert_picture(clip);
        // The converter writes blue, green, red; part 9 shows its clip so.
        if (current_part != 9) swap_red_blue(video_frame_buffer);
        mark_video_frame_buffer_changed();
    }
    upload_picture(texture);
    return 0;
}
