// OGM muxer over libogg: writes video streams (MPEG-4 frames with the OGM flag
// byte and length bytes) and optional extra streams into one Ogg file image.
// Page order: every stream's beginning-of-stream page first, then the comment
// packets, then data; finish() closes every stream with an end-of-stream page.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace databuild {

// The 57-byte OGM stream header packet of a video stream.
std::vector<uint8_t> ogm_video_header(int width, int height, int64_t time_unit,
                                      int64_t samples_per_unit, const char fourcc[4]);
// The OGM comment packet: 0x03, "vorbis", vendor string, no comments, framing bit.
std::vector<uint8_t> ogm_comment_packet(const std::string& vendor);

class OgmMuxer {
public:
    OgmMuxer();
    ~OgmMuxer();
    OgmMuxer(const OgmMuxer&) = delete;
    OgmMuxer& operator=(const OgmMuxer&) = delete;

    // Adds a video stream; returns its index. Must be called before any data.
    int add_video_stream(int serial, int width, int height, int64_t time_unit = 400000,
                         int64_t samples_per_unit = 1, const char* fourcc = "XVID");
    // Adds a stream whose first packet is given as is (for example a non-video
    // OGM header, type "audio" or "text"); returns its index.
    int add_stream(int serial, const std::vector<uint8_t>& header_packet);
    // Appends one video frame: flag byte (0x08 on keyframes, one length byte),
    // the frame's duration of 1 and the payload. Granule = frame number.
    void add_frame(int stream, const uint8_t* data, size_t size, bool keyframe);
    // Appends a raw packet with its granule position.
    void add_packet(int stream, const std::vector<uint8_t>& packet, int64_t granule);
    // Ends every stream and returns the whole file.
    std::vector<uint8_t> finish();

private:
    struct Stream;
    void start_data();
    void write_pages(Stream& s, bool flush);
    std::vector<std::unique_ptr<Stream>> streams_;
    std::vector<uint8_t> out_;
    bool data_started_ = false;
    bool finished_ = false;
};

}  // namespace databuild
