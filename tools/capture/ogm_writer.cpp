// The show's own clip format: MPEG-4 pictures (xvidcore) in an OGM video
// stream and Vorbis sound (libvorbisenc), interleaved in one Ogg file. The
// layout is the one players read: a video stream header packet, a comment
// packet, then one packet per frame (flag byte, one length byte); the Vorbis
// stream beside it with its three header packets.
#include "media_writer.h"

#include "ogm_mux.h"
#include "xvid_encoder.h"

#include <ogg/ogg.h>
#include <vorbis/vorbisenc.h>
#include <xvid.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <vector>

namespace {
class OgmWriter : public MediaWriter {
public:
    OgmWriter(const std::string& path, const MediaLayout& layout) : path_(path), channels_(layout.channels) {}
    ~OgmWriter() override;
    bool open(const MediaLayout& layout);
    bool add_frame(const uint8_t* rows) override;
    bool add_samples(const int16_t* samples, size_t frames) override;
    bool finish() override;
    void discard() override;

private:
    void write_page(const ogg_page& page);
    std::string write_problem() const;
    void drain(ogg_stream_state* stream, bool flush);
    void encode_audio_blocks();
    void release();

    std::string path_;
    std::FILE* file_ = nullptr;
    bool created_ = false;
    int channels_ = 0;
    std::unique_ptr<databuild::XvidEncoder> encoder_;
    ogg_stream_state video_, audio_;
    vorbis_info info_;
    vorbis_comment comment_;
    vorbis_dsp_state dsp_;
    vorbis_block block_;
    bool streams_ready_ = false;
    int64_t frames_ = 0;
    // Each frame packet waits for the next, so the last can carry end-of-stream.
    std::vector<uint8_t> pending_;
    bool failed_ = false, finished_ = false;
    int write_errno_ = 0;
};

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

void OgmWriter::write_page(const ogg_page& page) {
    if (failed_) return;
    if (std::fwrite(page.header, 1, page.header_len, file_) != static_cast<size_t>(page.header_len) ||
        std::fwrite(page.body, 1, page.body_len, file_) != static_cast<size_t>(page.body_len)) {
        failed_ = true;
        write_errno_ = errno;
    }
}

std::string OgmWriter::write_problem() const {
    return std::string("cannot write: ") + std::strerror(write_errno_ ? write_errno_ : errno);
}

void OgmWriter::drain(ogg_stream_state* stream, bool flush) {
    ogg_page page;
    while (flush ? ogg_stream_flush(stream, &page) : ogg_stream_pageout(stream, &page)) write_page(page);
}

void OgmWriter::encode_audio_blocks() {
    while (vorbis_analysis_blockout(&dsp_, &block_) == 1) {
        vorbis_analysis(&block_, nullptr);
        vorbis_bitrate_addblock(&block_);
        ogg_packet packet;
        while (vorbis_bitrate_flushpacket(&dsp_, &packet)) ogg_stream_packetin(&audio_, &packet);
    }
}

bool OgmWriter::open(const MediaLayout& layout) {
    file_ = std::fopen(path_.c_str(), "wb");
    if (!file_) return fail(std::string("cannot write: ") + std::strerror(errno));
    created_ = true;
    databuild::XvidSettings settings;
    settings.width = layout.width;
    settings.height = layout.height;
    settings.fps = layout.fps;
    settings.max_key_interval = layout.fps * 4;
    try {
        encoder_ = std::make_unique<databuild::XvidEncoder>(settings);
    } catch (const std::exception& e) {
        return fail(e.what());
    }

    ogg_stream_init(&video_, 1);
    ogg_stream_init(&audio_, 2);
    vorbis_info_init(&info_);
    vorbis_encode_init_vbr(&info_, layout.channels, layout.rate, 0.4f);
    vorbis_comment_init(&comment_);
    vorbis_analysis_init(&dsp_, &info_);
    vorbis_block_init(&dsp_, &block_);
    streams_ready_ = true;

    // Both beginning-of-stream pages come first, then the other headers.
    std::vector<uint8_t> header =
        databuild::ogm_video_header(layout.width, layout.height, 10000000 / layout.fps, 1, "XVID"); // 100 ns units
    packet_in(&video_, header, 0, true, false, 0);
    drain(&video_, true);
    ogg_packet ident, comments, codebooks;
    vorbis_analysis_headerout(&dsp_, &comment_, &ident, &comments, &codebooks);
    ogg_stream_packetin(&audio_, &ident);
    drain(&audio_, true);
    std::vector<uint8_t> comment = databuild::ogm_comment_packet("vavurava-capture");
    packet_in(&video_, comment, 0, false, false, 1);
    drain(&video_, true);
    ogg_stream_packetin(&audio_, &comments);
    ogg_stream_packetin(&audio_, &codebooks);
    drain(&audio_, true);
    return !failed_ || fail(write_problem());
}

bool OgmWriter::add_frame(const uint8_t* rows) {
    size_t bytes = 0;
    try {
        bytes = encoder_->encode(rows, XVID_CSP_RGB, 4);
    } catch (const std::exception& e) {
        return fail(e.what());
    }
    // A frame the encoder holds back still takes its place in time.
    std::vector<uint8_t> packet = {static_cast<uint8_t>(0x40 | (encoder_->keyframe() ? 0x08 : 0)), 1};
    packet.insert(packet.end(), encoder_->bitstream(), encoder_->bitstream() + bytes);
    if (frames_ > 0) packet_in(&video_, pending_, frames_ - 1, false, false, frames_ + 1);
    pending_ = packet;
    ++frames_;
    drain(&video_, false);
    drain(&audio_, false);
    return !failed_ || fail(write_problem());
}

bool OgmWriter::add_samples(const int16_t* samples, size_t frames) {
    if (frames == 0) return !failed_ || fail(write_problem());
    float** buffer = vorbis_analysis_buffer(&dsp_, static_cast<int>(frames));
    for (size_t i = 0; i < frames; ++i)
        for (int c = 0; c < channels_; ++c) buffer[c][i] = samples[i * channels_ + c] / 32768.0f;
    vorbis_analysis_wrote(&dsp_, static_cast<int>(frames));
    encode_audio_blocks();
    return !failed_ || fail(write_problem());
}

bool OgmWriter::finish() {
    if (frames_ > 0) packet_in(&video_, pending_, frames_ - 1, false, true, frames_ + 1);
    vorbis_analysis_wrote(&dsp_, 0);
    encode_audio_blocks();
    drain(&video_, true);
    drain(&audio_, true);
    release();
    const bool ok = !failed_ && std::fclose(file_) == 0;
    file_ = nullptr;
    finished_ = ok;
    return ok || fail(write_problem());
}

void OgmWriter::release() {
    encoder_.reset();
    if (!streams_ready_) return;
    streams_ready_ = false;
    vorbis_block_clear(&block_);
    vorbis_dsp_clear(&dsp_);
    vorbis_comment_clear(&comment_);
    vorbis_info_clear(&info_);
    ogg_stream_clear(&video_);
    ogg_stream_clear(&audio_);
}

void OgmWriter::discard() {
    release();
    if (file_) std::fclose(file_);
    file_ = nullptr;
    if (created_) std::remove(path_.c_str());
    created_ = false;
}

OgmWriter::~OgmWriter() {
    if (!finished_) discard();
}
} // namespace

std::unique_ptr<MediaWriter> open_ogm_writer(const OutputFormat& format, const MediaLayout& layout,
                                             std::string* problem) {
    auto writer = std::make_unique<OgmWriter>(format.file, layout);
    if (!writer->open(layout)) {
        *problem = writer->error();
        writer->discard();
        return nullptr;
    }
    return writer;
}
