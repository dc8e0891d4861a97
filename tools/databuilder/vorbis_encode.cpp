// Ogg Vorbis encoding with libvorbisenc: the track's own file, and any
// stream the tests need (mono, other rates, a page per packet).
#include "databuild.h"

#include <ogg/ogg.h>
#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <stdexcept>

namespace databuild {

std::vector<uint8_t> encode_vorbis(const std::vector<float>& interleaved, const VorbisStream& stream,
                                   size_t* header_bytes) {
    const int channels = stream.channels;
    vorbis_info vi;
    vorbis_info_init(&vi);
    if (vorbis_encode_init_vbr(&vi, channels, stream.rate, stream.quality) != 0) {
        vorbis_info_clear(&vi);
        throw std::runtime_error("libvorbisenc refused the encoder settings");
    }
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    for (const auto& tag : stream.tags) vorbis_comment_add_tag(&vc, tag.first.c_str(), tag.second.c_str());
    vorbis_dsp_state vd;
    vorbis_block vb;
    vorbis_analysis_init(&vd, &vi);
    vorbis_block_init(&vd, &vb);
    ogg_stream_state os;
    ogg_stream_init(&os, stream.serial);
    std::vector<uint8_t> out;
    auto put = [&](const ogg_page& pg) {
        out.insert(out.end(), pg.header, pg.header + pg.header_len);
        out.insert(out.end(), pg.body, pg.body + pg.body_len);
    };
    ogg_packet h0, h1, h2;
    vorbis_analysis_headerout(&vd, &vc, &h0, &h1, &h2);
    ogg_stream_packetin(&os, &h0);
    ogg_stream_packetin(&os, &h1);
    ogg_stream_packetin(&os, &h2);
    ogg_page pg;
    while (ogg_stream_flush(&os, &pg)) put(pg);
    if (header_bytes) *header_bytes = out.size();
    const size_t frames = interleaved.size() / channels;
    size_t pos = 0;
    const size_t chunk = 4096;
    bool eos = false;
    while (!eos) {
        size_t count = std::min(chunk, frames - pos);
        if (count == 0) {
            vorbis_analysis_wrote(&vd, 0);
        } else {
            float** buf = vorbis_analysis_buffer(&vd, (int)count);
            for (size_t i = 0; i < count; ++i)
                for (int c = 0; c < channels; ++c) buf[c][i] = interleaved[channels * (pos + i) + c];
            vorbis_analysis_wrote(&vd, (int)count);
            pos += count;
        }
        while (vorbis_analysis_blockout(&vd, &vb) == 1) {
            vorbis_analysis(&vb, nullptr);
            vorbis_bitrate_addblock(&vb);
            ogg_packet op;
            while (vorbis_bitrate_flushpacket(&vd, &op)) {
                ogg_stream_packetin(&os, &op);
                while (stream.page_per_packet ? ogg_stream_flush(&os, &pg) : ogg_stream_pageout(&os, &pg)) {
                    put(pg);
                    if (ogg_page_eos(&pg)) eos = true;
                }
            }
        }
        if (count == 0) {
            while (ogg_stream_flush(&os, &pg)) put(pg);
            eos = true;
        }
    }
    ogg_stream_clear(&os);
    vorbis_block_clear(&vb);
    vorbis_dsp_clear(&vd);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
    return out;
}

std::vector<uint8_t> encode_vorbis(const std::vector<float>& stereo, int rate, float quality) {
    VorbisStream stream;
    stream.rate = rate;
    stream.quality = quality;
    stream.tags = {{"TITLE", "Vavurava Rive"}, {"ARTIST", "zug"}};
    try {
        return encode_vorbis(stereo, stream);
    } catch (const std::exception& e) {
        throw std::runtime_error(std::string("databuilder: dats/zad2.ogg: ") + e.what());
    }
}

}  // namespace databuild
