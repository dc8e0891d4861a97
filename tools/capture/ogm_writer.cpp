// Writes the OGM layout players read: a video stream header packet, a
// comment packet, then one packet per frame (flag byte, one length byte);
// the Vorbis stream beside it with its three header packets.
#include "video_writer.h"

#include "ogm_mux.h"
#include "xvid_encoder.h"

#include <ogg/ogg.h>
#include <vorbis/vorbisenc.h>
#include <xvid.h>

#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <vector>

namespace {
struct Writer {
    std::FILE* file = nullptr;
    int width = 0, height = 0, fps = 0, channels = 0;
    std::unique_ptr<databuild::XvidEncoder> encoder;
    ogg_stream_state video, audio;
    vorbis_info info;
    vorbis_comment comment;
    vorbis_dsp_state dsp;
    vorbis_block block;
    int64_t frames = 0;
    // Each frame packet waits for the next, so the last can carry end-of-stream.
    std::vector<uint8_t> pending;
    bool failed = false;
} w;

void write_page(const ogg_page& page) {
    if (std::fwrite(page.header, 1, page.header_len, w.file) != static_cast<size_t>(page.header_len) ||
        std::fwrite(page.body, 1, page.body_len, w.file) != static_cast<size_t>(page.body_len))
        w.failed = true;
}

void drain(ogg_stream_state* stream, bool flush) {
    ogg_page page;
    while (flush ? ogg_stream_flush(stream, &page) : ogg_stream_pageout(stream, &page)) write_page(page);
}

void packet_in(ogg_stream_state* stream, std::vector<uint8_t>& bytes, int64_t granule, bool bos, bool eos,
               int64_t number) {
    ogg_packet packet = {};
    packet.packet = bytes.data();
    packet.bytes = static_cast<long>(bytes.size());
    packet.b_o_s = bos;
    packet.e_o_s = eos;
    packet.granulepos = granule;
    packet.packetno = number;
    ogg_stream_packetin(stream, &packet);
}

void encode_audio_blocks() {
    while (vorbis_analysis_blockout(&w.dsp, &w.block) == 1) {
        vorbis_analysis(&w.block, nullptr);
        vorbis_bitrate_addblock(&w.block);
        ogg_packet packet;
        while (vorbis_bitrate_flushpacket(&w.dsp, &packet)) ogg_stream_packetin(&w.audio, &packet);
    }
}
} // namespace

bool video_writer_open(const std::string& path, int width, int height, int fps, int rate, int channels) {
    w = Writer();
    w.width = width, w.height = height, w.fps = fps, w.channels = channels;
    w.file = std::fopen(path.c_str(), "wb");
    if (!w.file) {
        std::fprintf(stderr, "capture: %s: cannot write\n", path.c_str());
        return false;
    }
    databuild::XvidSettings settings;
    settings.width = width;
    settings.height = height;
    settings.fps = fps;
    settings.max_key_interval = fps * 4;
    try {
        w.encoder = std::make_unique<databuild::XvidEncoder>(settings);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "capture: %s: %s\n", path.c_str(), e.what());
        return false;
    }

    ogg_stream_init(&w.video, 1);
    ogg_stream_init(&w.audio, 2);
    vorbis_info_init(&w.info);
    vorbis_encode_init_vbr(&w.info, channels, rate, 0.4f);
    vorbis_comment_init(&w.comment);
    vorbis_analysis_init(&w.dsp, &w.info);
    vorbis_block_init(&w.dsp, &w.block);

    // Both beginning-of-stream pages come first, then the other headers.
    std::vector<uint8_t> header =
        databuild::ogm_video_header(width, height, 10000000 / fps, 1, "XVID"); // 100 ns units
    packet_in(&w.video, header, 0, true, false, 0);
    drain(&w.video, true);
    ogg_packet ident, comments, codebooks;
    vorbis_analysis_headerout(&w.dsp, &w.comment, &ident, &comments, &codebooks);
    ogg_stream_packetin(&w.audio, &ident);
    drain(&w.audio, true);
    std::vector<uint8_t> comment = databuild::ogm_comment_packet("vavurava-capture");
    packet_in(&w.video, comment, 0, false, false, 1);
    drain(&w.video, true);
    ogg_stream_packetin(&w.audio, &comments);
    ogg_stream_packetin(&w.audio, &codebooks);
    drain(&w.audio, true);
    return !w.failed;
}

bool video_writer_add_frame(const uint8_t* rows) {
    size_t bytes = 0;
    try {
        bytes = w.encoder->encode(rows, XVID_CSP_RGB, 4);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "capture: %s\n", e.what());
        return false;
    }
    // A frame the encoder holds back still takes its place in time.
    std::vector<uint8_t> packet = {static_cast<uint8_t>(0x40 | (w.encoder->keyframe() ? 0x08 : 0)), 1};
    packet.insert(packet.end(), w.encoder->bitstream(), w.encoder->bitstream() + bytes);
    if (w.frames > 0) packet_in(&w.video, w.pending, w.frames - 1, false, false, w.frames + 1);
    w.pending = packet;
    ++w.frames;
    drain(&w.video, false);
    drain(&w.audio, false);
    return !w.failed;
}

void video_writer_add_samples(const int16_t* samples, size_t frames) {
    if (frames == 0) return;
    float** buffer = vorbis_analysis_buffer(&w.dsp, static_cast<int>(frames));
    for (size_t i = 0; i < frames; ++i)
        for (int c = 0; c < w.channels; ++c) buffer[c][i] = samples[i * w.channels + c] / 32768.0f;
    vorbis_analysis_wrote(&w.dsp, static_cast<int>(frames));
    encode_audio_blocks();
}

bool video_writer_close() {
    if (!w.file) return false;
    if (w.frames > 0) packet_in(&w.video, w.pending, w.frames - 1, false, true, w.frames + 1);
    vorbis_analysis_wrote(&w.dsp, 0);
    encode_audio_blocks();
    drain(&w.video, true);
    drain(&w.audio, true);
    w.encoder.reset();
    vorbis_block_clear(&w.block);
    vorbis_dsp_clear(&w.dsp);
    vorbis_comment_clear(&w.comment);
    vorbis_info_clear(&w.info);
    ogg_stream_clear(&w.video);
    ogg_stream_clear(&w.audio);
    bool ok = !w.failed && std::fclose(w.file) == 0;
    w.file = nullptr;
    return ok;
}
