// FFmpeg's MPEG-4 Part 2 decoder and scaler behind xvidcore's calls (create,
// decode one picture from a read window, destroy; planar YUV to BGR), for
// builds without xvidcore such as the browser's.
#include <xvid.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libswscale/swscale.h>
}

#include <cstring>
#include <vector>

#include "video/clip_decoder.h"

namespace {
struct FfmpegDecoder {
    AVCodecContext* context;
    AVFrame* picture;
    AVPacket* packet;
    // Stream headers already handed back as XVID_TYPE_VOL, sent with the
    // next picture so that FFmpeg sees them in front of it.
    std::vector<uint8_t> headers;
};

void destroy(FfmpegDecoder* decoder) {
    avcodec_free_context(&decoder->context);
    av_frame_free(&decoder->picture);
    av_packet_free(&decoder->packet);
    delete decoder;
}

int create(xvid_dec_create_t* create) {
    const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_MPEG4);
    if (!codec) return -1;
    auto* decoder = new FfmpegDecoder{avcodec_alloc_context3(codec), av_frame_alloc(), av_packet_alloc(), {}};
    if (!decoder->context || !decoder->picture || !decoder->packet) {
        destroy(decoder);
        return -1;
    }
    decoder->context->width = create->width;
    decoder->context->height = create->height;
    decoder->context->thread_count = 1;
    // Every picture comes out of the call that decodes it, as xvidcore's do.
    decoder->context->flags |= AV_CODEC_FLAG_LOW_DELAY;
    if (avcodec_open2(decoder->context, codec, nullptr) < 0) {
        destroy(decoder);
        return -1;
    }
    create->handle = decoder;
    return 0;
}

bool start_code_at(const uint8_t* bits, int at, int length, uint8_t code_low, uint8_t code_high) {
    return at + 3 < length && bits[at] == 0 && bits[at + 1] == 0 && bits[at + 2] == 1 && bits[at + 3] >= code_low &&
           bits[at + 3] <= code_high;
}

int find_code(const uint8_t* bits, int from, int length, uint8_t code_low, uint8_t code_high) {
    for (int at = from; at + 3 < length; ++at)
        if (start_code_at(bits, at, length, code_low, code_high)) return at;
    return -1;
}

// The offset of the last byte that is not zero, or -1.
int last_nonzero(const uint8_t* bits, int length) {
    int at = length - 1;
    while (at >= 0 && bits[at] == 0) --at;
    return at;
}

int picture_type(AVPictureType type) {
    switch (type) {
    case AV_PICTURE_TYPE_I: return XVID_TYPE_IVOP;
    case AV_PICTURE_TYPE_B: return XVID_TYPE_BVOP;
    case AV_PICTURE_TYPE_S: return XVID_TYPE_SVOP;
    default: return XVID_TYPE_PVOP;
    }
}

void copy_plane(const uint8_t* from, int from_stride, uint8_t* to, int to_stride, int width, int rows) {
    for (int row = 0; row < rows; ++row) std::memcpy(to + row * to_stride, from + row * from_stride, width);
}

// One call as xvidcore answers it: stream headers in front of the first
// picture come back alone as XVID_TYPE_VOL; otherwise one picture, up to the
// next start code, into the output planes. Returns the bytes used.
int decode(FfmpegDecoder* decoder, xvid_dec_frame_t* frame, xvid_dec_stats_t* stats) {
    const auto* bits = static_cast<const uint8_t*>(frame->bitstream);
    const int length = frame->length;
    const int vop = find_code(bits, 0, length, 0xb6, 0xb6);
    if (vop < 0) {
        // Start codes with no picture after them (a stream's end code, say),
        // or the stuffing after the last picture: used up without a picture,
        // as xvidcore takes them.
        if (stats) stats->type = XVID_TYPE_NOTHING;
        const int first = find_code(bits, 0, length, 0x00, 0xff);
        if (first >= 0) {
            const int next = find_code(bits, first + 4, length, 0x00, 0xff);
            return next < 0 ? length : next;
        }
        const int used = last_nonzero(bits, length) + 1;
        return used > 0 ? used : -1;
    }
    const int vol = find_code(bits, 0, vop, 0x20, 0x2f);
    if (vol >= 0) {
        decoder->headers.assign(bits, bits + vop);
        if (stats) {
            stats->type = XVID_TYPE_VOL;
            stats->data.vol.width = decoder->context->width;
            stats->data.vol.height = decoder->context->height;
        }
        return vop;
    }
    int end = find_code(bits, vop + 4, length, 0x00, 0xff);
    const int picture_end = end < 0 ? length : end;
    if (end < 0) {
        // The last picture of the data: xvidcore stops before a whole byte of
        // stuffing (0x7f) at its end and takes that byte with its next call.
        end = length;
        const int last = last_nonzero(bits, length);
        if (last > vop + 4 && bits[last] == 0x7f) end = last;
    }
    std::vector<uint8_t> unit(decoder->headers);
    unit.insert(unit.end(), bits, bits + picture_end);
    unit.resize(unit.size() + AV_INPUT_BUFFER_PADDING_SIZE, 0);
    decoder->headers.clear();
    decoder->packet->data = unit.data();
    decoder->packet->size = static_cast<int>(unit.size() - AV_INPUT_BUFFER_PADDING_SIZE);
    const int sent = avcodec_send_packet(decoder->context, decoder->packet);
    av_packet_unref(decoder->packet);
    if (sent < 0) return -1;
    if (stats) stats->type = XVID_TYPE_NOTHING;
    // A picture that is not coded gives none: the planes keep the last one.
    if (avcodec_receive_frame(decoder->context, decoder->picture) != 0) return end;
    const AVFrame* picture = decoder->picture;
    if ((frame->output.csp & ~XVID_CSP_VFLIP) == XVID_CSP_PLANAR && picture->format == AV_PIX_FMT_YUV420P) {
        for (int plane = 0; plane < 3; ++plane) {
            const int shift = plane ? 1 : 0;
            copy_plane(picture->data[plane], picture->linesize[plane], static_cast<uint8_t*>(frame->output.plane[plane]),
                       frame->output.stride[plane], (picture->width + shift) >> shift, (picture->height + shift) >> shift);
        }
    }
    if (stats) stats->type = picture_type(picture->pict_type);
    av_frame_unref(decoder->picture);
    return end;
}

// Planar 4:2:0 to 24-bit BGR or RGB, optionally bottom row first.
int convert(xvid_gbl_convert_t* convert) {
    const int csp = convert->output.csp & ~XVID_CSP_VFLIP;
    if (csp != XVID_CSP_BGR && csp != XVID_CSP_RGB) return -1;
    static SwsContext* scaler;
    scaler = sws_getCachedContext(scaler, convert->width, convert->height, AV_PIX_FMT_YUV420P, convert->width,
                                  convert->height, csp == XVID_CSP_BGR ? AV_PIX_FMT_BGR24 : AV_PIX_FMT_RGB24,
                                  SWS_POINT, nullptr, nullptr, nullptr);
    if (!scaler) return -1;
    const uint8_t* source[4] = {static_cast<uint8_t*>(convert->input.plane[0]),
                                static_cast<uint8_t*>(convert->input.plane[1]),
                                static_cast<uint8_t*>(convert->input.plane[2]), nullptr};
    const int source_strides[4] = {convert->input.stride[0], convert->input.stride[1], convert->input.stride[2], 0};
    auto* out = static_cast<uint8_t*>(convert->output.plane[0]);
    int out_stride = convert->output.stride[0];
    if (convert->output.csp & XVID_CSP_VFLIP) {
        out += static_cast<ptrdiff_t>(convert->height - 1) * out_stride;
        out_stride = -out_stride;
    }
    uint8_t* target[4] = {out, nullptr, nullptr, nullptr};
    const int target_strides[4] = {out_stride, 0, 0, 0};
    sws_scale(scaler, source, source_strides, 0, convert->height, target, target_strides);
    return 0;
}
} // namespace

int ffmpeg_mpeg4_decore(void* handle, int operation, void* param1, void* param2) {
    switch (operation) {
    case XVID_DEC_CREATE:
        return create(static_cast<xvid_dec_create_t*>(param1));
    case XVID_DEC_DESTROY:
        if (handle) destroy(static_cast<FfmpegDecoder*>(handle));
        return 0;
    case XVID_DEC_DECODE:
        return decode(static_cast<FfmpegDecoder*>(handle), static_cast<xvid_dec_frame_t*>(param1),
                      static_cast<xvid_dec_stats_t*>(param2));
    default:
        return -1;
    }
}

int ffmpeg_mpeg4_global(void*, int operation, void* param1, void*) {
    if (operation == XVID_GBL_INIT) return 0;
    if (operation == XVID_GBL_CONVERT) return convert(static_cast<xvid_gbl_convert_t*>(param1));
    return -1;
}
