// OGM muxer: stream header, comment packet and framed data packets over libogg.
#include "ogm_mux.h"

#include <ogg/ogg.h>

#include <cstring>
#include <stdexcept>

namespace databuild {

namespace {
void put_le(std::vector<uint8_t>& v, size_t at, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) v[at + i] = (uint8_t)(value >> (8 * i));
}
}  // namespace

std::vector<uint8_t> ogm_video_header(int width, int height, int64_t time_unit,
                                      int64_t samples_per_unit, const char fourcc[4]) {
    std::vector<uint8_t> p(57, 0);
    p[0] = 0x01;
    std::memcpy(&p[1], "video", 5);
    std::memcpy(&p[9], fourcc, 4);
    put_le(p, 13, 56, 4);                          // size of the header structure
    put_le(p, 17, (uint64_t)time_unit, 8);
    put_le(p, 25, (uint64_t)samples_per_unit, 8);
    put_le(p, 33, 1, 4);                           // default length: one frame a packet
    put_le(p, 37, 0x10000, 4);                     // buffer size
    put_le(p, 41, 24, 2);                          // bits per sample
    put_le(p, 45, (uint32_t)width, 4);
    put_le(p, 49, (uint32_t)height, 4);
    return p;
}

std::vector<uint8_t> ogm_comment_packet(const std::string& vendor) {
    std::vector<uint8_t> p;
    p.push_back(0x03);
    for (char c : std::string("vorbis")) p.push_back((uint8_t)c);
    uint32_t n = (uint32_t)vendor.size();
    for (int i = 0; i < 4; ++i) p.push_back((uint8_t)(n >> (8 * i)));
    p.insert(p.end(), vendor.begin(), vendor.end());
    for (int i = 0; i < 4; ++i) p.push_back(0);    // no user comments
    p.push_back(0x01);                             // framing bit
    return p;
}

struct OgmMuxer::Stream {
    ogg_stream_state os;
    bool video = false;
    int64_t packetno = 0;
    int64_t frames = 0;
    // The last packet is held back so that it can carry the end-of-stream mark.
    std::vector<uint8_t> pending;
    int64_t pending_granule = 0;
    bool has_pending = false;
};

OgmMuxer::OgmMuxer() = default;

OgmMuxer::~OgmMuxer() {
    for (auto& s : streams_) ogg_stream_clear(&s->os);
}

void OgmMuxer::write_pages(Stream& s, bool flush) {
    ogg_page page;
    while (flush ? ogg_stream_flush(&s.os, &page) : ogg_stream_pageout(&s.os, &page)) {
        out_.insert(out_.end(), page.header, page.header + page.header_len);
        out_.insert(out_.end(), page.body, page.body + page.body_len);
    }
}

int OgmMuxer::add_stream(int serial, const std::vector<uint8_t>& header_packet) {
    if (data_started_) throw std::logic_error("ogm: stream added after data");
    auto s = std::make_unique<Stream>();
    ogg_stream_init(&s->os, serial);
    ogg_packet op{};
    op.packet = const_cast<unsigned char*>(header_packet.data());
    op.bytes = (long)header_packet.size();
    op.b_o_s = 1;
    op.packetno = s->packetno++;
    ogg_stream_packetin(&s->os, &op);
    write_pages(*s, true);  // the beginning-of-stream page holds the header alone
    streams_.push_back(std::move(s));
    return (int)streams_.size() - 1;
}

int OgmMuxer::add_video_stream(int serial, int width, int height, int64_t time_unit,
                               int64_t samples_per_unit, const char* fourcc) {
    int k = add_stream(serial, ogm_video_header(width, height, time_unit, samples_per_unit, fourcc));
    streams_[k]->video = true;
    return k;
}

void OgmMuxer::start_data() {
    if (data_started_) return;
    data_started_ = true;
    std::vector<uint8_t> comment = ogm_comment_packet("vavurava databuilder");
    for (auto& s : streams_) {
        ogg_packet op{};
        op.packet = comment.data();
        op.bytes = (long)comment.size();
        op.packetno = s->packetno++;
        ogg_stream_packetin(&s->os, &op);
        write_pages(*s, true);
    }
}

void OgmMuxer::add_packet(int stream, const std::vector<uint8_t>& packet, int64_t granule) {
    if (finished_) throw std::logic_error("ogm: packet after finish");
    start_data();
    Stream& s = *streams_.at(stream);
    if (s.has_pending) {
        ogg_packet op{};
        op.packet = s.pending.data();
        op.bytes = (long)s.pending.size();
        op.granulepos = s.pending_granule;
        op.packetno = s.packetno++;
        ogg_stream_packetin(&s.os, &op);
        write_pages(s, false);
    }
    s.pending = packet;
    s.pending_granule = granule;
    s.has_pending = true;
}

void OgmMuxer::add_frame(int stream, const uint8_t* data, size_t size, bool keyframe) {
    Stream& s = *streams_.at(stream);
    std::vector<uint8_t> p;
    p.reserve(size + 2);
    p.push_back((uint8_t)(0x40 | (keyframe ? 0x08 : 0)));  // one length byte follows
    p.push_back(1);                                         // the packet lasts one frame
    p.insert(p.end(), data, data + size);
    add_packet(stream, p, s.frames);
    s.frames++;
}

std::vector<uint8_t> OgmMuxer::finish() {
    if (finished_) return out_;
    start_data();
    finished_ = true;
    for (auto& sp : streams_) {
        Stream& s = *sp;
        ogg_packet op{};
        static unsigned char empty_packet[1] = {0};
        if (s.has_pending) {
            op.packet = s.pending.data();
            op.bytes = (long)s.pending.size();
            op.granulepos = s.pending_granule;
        } else {
            op.packet = empty_packet;
            op.bytes = 1;
            op.granulepos = 0;
        }
        op.e_o_s = 1;
        op.packetno = s.packetno++;
        ogg_stream_packetin(&s.os, &op);
        write_pages(s, true);
    }
    return out_;
}

}  // namespace databuild
