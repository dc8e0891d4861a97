// Loads an OGM clip into memory: finds the video stream by its header,
// gathers the payload of every video packet into one block and creates the
// clip's MPEG-4 decoder. Bad files leave an empty clip and one message; a file
// cut short plays the whole pages before the cut.
#include <ogg/ogg.h>
#include <xvid.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/data_folder.h"
#include "video/clip.h"
#include "video/clip_decoder.h"
#include "video/ogm_packet.h"

namespace {
constexpr size_t chunk_bytes = 4096;
constexpr long probe_store_bytes = 100 * 1024;
constexpr long video_store_bytes = 3000 * 1024;
constexpr int32_t stream_header_bytes = 53;

int64_t read_le64(const uint8_t* p) {
    uint64_t v = 0;
    for (int i = 7; i >= 0; --i) v = (v << 8) | p[i];
    return static_cast<int64_t>(v);
}

int32_t read_le32(const uint8_t* p) {
    return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                                static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24);
}

// libogg grows its packet stores on demand; reserving them up front keeps the
// store from being reallocated while a clip loads.
void reserve_store(ogg_stream_state* stream, long bytes) {
    void* body = std::realloc(stream->body_data, static_cast<size_t>(bytes));
    if (!body) return;
    stream->body_data = static_cast<unsigned char*>(body);
    stream->body_storage = bytes;
}

// Picture planes the decoder writes into: luma rows padded to whole
// macroblocks, chroma at half the luma stride as the converter expects.
void allocate_planes(VideoClip* clip) {
    const int32_t stride = (clip->width + 15) & ~15;
    const int32_t rows = (clip->height + 15) & ~15;
    clip->strides[0] = stride;
    clip->strides[1] = stride / 2;
    clip->strides[2] = stride / 2;
    clip->planes[0] = static_cast<uint8_t*>(std::calloc(static_cast<size_t>(stride) * rows, 1));
    clip->planes[1] = static_cast<uint8_t*>(std::calloc(static_cast<size_t>(stride / 2) * (rows / 2), 1));
    clip->planes[2] = static_cast<uint8_t*>(std::calloc(static_cast<size_t>(stride / 2) * (rows / 2), 1));
}

// Takes the frame duration and picture size from a video stream header.
// Returns the problem, or an empty string.
std::string read_video_header(const ogg_packet& header, VideoClip* clip) {
    if (header.bytes < stream_header_bytes) return "video stream header is too short";
    const int64_t time_unit = read_le64(header.packet + 17);
    const int64_t frame_ms = time_unit / 10000;
    const int32_t width = read_le32(header.packet + 45);
    const int32_t height = read_le32(header.packet + 49);
    if (frame_ms <= 0 || frame_ms > INT32_MAX)
        return "frame duration of " + std::to_string(time_unit) + " x 100 ns is not a whole millisecond";
    if (width <= 0 || height <= 0 || width > video_max_width || height > video_max_height)
        return "picture size " + std::to_string(width) + " x " + std::to_string(height) +
               " is outside 1 x 1 to 1024 x 512";
    clip->frame_count = 0;
    clip->frame_ms = static_cast<int32_t>(frame_ms);
    clip->width = width;
    clip->height = height;
    return "";
}

// Creates the decoder and planes for the picture size read last. Done once,
// after the whole file is read: a later video stream replaces an earlier one,
// and a file of many beginnings must not make a decoder for each.
std::string start_decoder(VideoClip* clip) {
    init_video_decoding();
    xvid_dec_create_t create;
    std::memset(&create, 0, sizeof create);
    create.version = XVID_VERSION;
    create.width = clip->width;
    create.height = clip->height;
    if (xvid_decore(nullptr, XVID_DEC_CREATE, &create, nullptr) < 0 || !create.handle)
        return "the MPEG-4 decoder cannot be created";
    clip->decoder = create.handle;
    allocate_planes(clip);
    return "";
}

bool is_video_header(const ogg_packet& packet) {
    return packet.bytes >= 6 && std::memcmp(packet.packet + 1, "video", 5) == 0;
}

// The block every clip owns: its payload followed by zeroed spare bytes that
// the decoder's fixed read window may reach into at the end of the data.
void set_clip_data(VideoClip* clip, const uint8_t* bytes, uint32_t count) {
    clip->data = static_cast<uint8_t*>(std::calloc(static_cast<size_t>(count) + video_spare_bytes, 1));
    if (count) std::memcpy(clip->data, bytes, count);
    clip->data_len = count;
    clip->read_pos = 0;
}

void make_empty_clip(VideoClip* clip, const char* what, const std::string& problem) {
    std::fprintf(stderr, "video: %s: %s\n", what, problem.c_str());
    release_clip_decoder(clip);
    clip->frame_count = 0;
    clip->frame_ms = 0;
    clip->width = 0;
    clip->height = 0;
    set_clip_data(clip, nullptr, 0);
}
} // namespace

void load_video_clip_from_memory(const uint8_t* bytes, size_t size, const char* what, VideoClip* clip) {
    clip->live_streams = 0;
    clip->frame_count = 0;
    clip->decoder = nullptr;
    for (int i = 0; i < 3; ++i) clip->planes[i] = nullptr;

    ogg_sync_state sync;
    ogg_sync_init(&sync);
    ogg_sync_reset(&sync);
    ogg_stream_state video_stream;
    bool have_video = false;
    std::string problem;
    if (size > UINT32_MAX - video_spare_bytes) problem = "the file is too large for a clip";
    // The payloads can never exceed the file.
    std::vector<uint8_t> gathered(problem.empty() ? size : 0);
    uint32_t fill = 0;
    size_t offset = 0;
    bool last_chunk = false;
    bool cut_short = false;
    int32_t frames = 0;
    int damaged_spans = 0;
    ogg_stream_state probe;
    ogg_stream_init(&probe, 0);
    reserve_store(&probe, probe_store_bytes);

    while (!last_chunk && problem.empty()) {
        if (offset >= size) {
            // An interrupted copy or download: what was read still plays.
            if (have_video) cut_short = true;
            else problem = "no video stream";
            break;
        }
        const size_t count = size - offset < chunk_bytes ? size - offset : chunk_bytes;
        char* buffer = ogg_sync_buffer(&sync, chunk_bytes);
        std::memcpy(buffer, bytes + offset, count);
        ogg_sync_wrote(&sync, static_cast<long>(count));
        offset += count;

        ogg_page page;
        int paged;
        while (problem.empty() && (paged = ogg_sync_pageout(&sync, &page)) != 0) {
            // Bytes that are not a whole page with a good checksum are
            // skipped; the pages after them are still read.
            if (paged < 0) {
                ++damaged_spans;
                continue;
            }
            if (ogg_page_bos(&page)) {
                const int serial = ogg_page_serialno(&page);
                // One probe and one video stream state serve every beginning
                // of stream, so their stores are reserved once per file.
                ogg_stream_reset_serialno(&probe, serial);
                ogg_stream_pagein(&probe, &page);
                ogg_packet header;
                if (ogg_stream_packetpeek(&probe, &header) == 1 && is_video_header(header)) {
                    problem = read_video_header(header, clip);
                    if (problem.empty()) {
                        // A later video stream replaces the earlier one.
                        if (!have_video) {
                            ogg_stream_init(&video_stream, serial);
                            reserve_store(&video_stream, video_store_bytes);
                        }
                        ogg_stream_reset_serialno(&video_stream, serial);
                        ogg_stream_pagein(&video_stream, &page);
                        have_video = true;
                    }
                }
                clip->live_streams += 1;
            } else if (have_video) {
                // Pages of other streams are refused here by their serial number.
                ogg_stream_pagein(&video_stream, &page);
            }
            if (ogg_page_eos(&page)) {
                clip->live_streams -= 1;
                if (clip->live_streams == 0) last_chunk = true;
            }
            // A header paged in with its beginning-of-stream page comes out
            // with the stream's next page, so a later video stream's
            // beginning replaces it unread.
            if (!have_video || (ogg_page_bos(&page) && !ogg_page_eos(&page))) continue;
            ogg_packet packet;
            int result;
            while (problem.empty() && (result = ogg_stream_packetout(&video_stream, &packet)) != 0) {
                if (result != 1) continue;
                // Every payload byte comes from the file, so the gathering
                // buffer cannot overflow; the check keeps that true for any input.
                if (static_cast<size_t>(packet.bytes) > gathered.size() - fill)
                    problem = "packets hold more bytes than the file";
                else if (!append_packet_payload(gathered.data(), &packet, &fill))
                    problem = "a packet's length bytes run past its end";
                // Header packets have bit 0 of the flag byte set; every other
                // packet is one frame.
                else if ((packet.packet[0] & 1) == 0)
                    ++frames;
            }
        }
    }
    if (problem.empty() && !have_video) problem = "no video stream";
    if (problem.empty()) problem = start_decoder(clip);

    if (have_video) ogg_stream_clear(&video_stream);
    ogg_stream_clear(&probe);
    ogg_sync_clear(&sync);
    if (!problem.empty()) {
        make_empty_clip(clip, what, problem);
        return;
    }
    if (cut_short)
        std::fprintf(stderr, "video: %s: cut short after %d frame%s; the clip plays what was read\n", what, frames,
                     frames == 1 ? "" : "s");
    if (damaged_spans > 0)
        std::fprintf(stderr, "video: %s: %d damaged stretch%s of data skipped; the clip plays what was read\n", what,
                     damaged_spans, damaged_spans == 1 ? "" : "es");
    set_clip_data(clip, gathered.data(), fill);
}

void load_video_clip(const char* path, VideoClip* clip) {
    clip->decoder = nullptr;
    for (int i = 0; i < 3; ++i) clip->planes[i] = nullptr;
    const std::string file_name = data_path(path);
    std::FILE* file = std::fopen(file_name.c_str(), "rb");
    if (!file) {
        make_empty_clip(clip, file_name.c_str(), std::string("can't open: ") + std::strerror(errno));
        return;
    }
    // Read to the end rather than trusting a seek: a directory or a pipe opens
    // but has no meaningful size.
    std::vector<uint8_t> bytes;
    uint8_t chunk[65536];
    size_t count;
    while ((count = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.insert(bytes.end(), chunk, chunk + count);
    const bool failed = std::ferror(file) != 0;
    const int read_errno = errno;
    std::fclose(file);
    if (failed) {
        make_empty_clip(clip, file_name.c_str(), std::string("can't read: ") + std::strerror(read_errno));
        return;
    }
    load_video_clip_from_memory(bytes.data(), bytes.size(), file_name.c_str(), clip);
}
