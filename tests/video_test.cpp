// Clip loading and frame decoding: the packet payload rule, the stream header
// fields, bad files, the catch-up against the clock, the end-of-data
// hand-overs and part 9's rewind, on clips encoded and muxed here.
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <ogg/ogg.h>
#include <sys/stat.h>
#include <xvid.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/demo.h"
#include "tests/support.h"
#include "tests/video_test_clips.h"
#include "xvid_encoder.h"
#include "video/clip.h"
#include "video/clip_decoder.h"
#include "video/ogm_packet.h"

namespace video_test_clips {

struct MuxStream {
    int serial;
    std::vector<Bytes> packets;
    bool ends;  // the last packet goes on an end-of-stream page
};

void put_le(Bytes& out, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

Bytes stream_header(const char* type, int64_t time_unit, int32_t width, int32_t height) {
    Bytes h(13, 0);
    h[0] = 0x01;
    std::memcpy(&h[1], type, std::min<size_t>(std::strlen(type), 8));
    std::memcpy(&h[9], "XVID", 4);
    put_le(h, 56, 4);
    put_le(h, static_cast<uint64_t>(time_unit), 8);
    put_le(h, 10000000, 8);
    put_le(h, 1, 4);
    put_le(h, 1 << 20, 4);
    put_le(h, 0, 2);
    put_le(h, 0, 2);
    put_le(h, static_cast<uint32_t>(width), 4);
    put_le(h, static_cast<uint32_t>(height), 4);
    return h;
}

// A comment packet: flag 0x03 means four length bytes.
Bytes comment_packet() {
    const std::string text = "made by the tests";
    Bytes c(5 + text.size(), 0);
    c[0] = 0x03;
    std::memcpy(&c[5], text.data(), text.size());
    return c;
}

// A data packet with k length bytes before the payload.
Bytes data_packet(const Bytes& payload, int k) {
    static const uint8_t flags[8] = {0x00, 0x40, 0x80, 0xC0, 0x02, 0x42, 0x82, 0xC2};
    Bytes p = {static_cast<uint8_t>(flags[k] | 0x08)};
    put_le(p, 1, k);
    p.insert(p.end(), payload.begin(), payload.end());
    return p;
}

// Muxes the streams: every beginning-of-stream page first, then one packet
// per page, round robin, so a longer stream ends last.
Bytes mux_ogm(const std::vector<MuxStream>& streams) {
    Bytes out;
    std::vector<ogg_stream_state> states(streams.size());
    auto drain = [&](ogg_stream_state* s, bool flush) {
        ogg_page page;
        while (flush ? ogg_stream_flush(s, &page) : ogg_stream_pageout(s, &page)) {
            out.insert(out.end(), page.header, page.header + page.header_len);
            out.insert(out.end(), page.body, page.body + page.body_len);
        }
    };
    size_t longest = 0;
    for (size_t i = 0; i < streams.size(); ++i) {
        ogg_stream_init(&states[i], streams[i].serial);
        longest = std::max(longest, streams[i].packets.size());
    }
    for (size_t n = 0; n < longest; ++n) {
        for (size_t i = 0; i < streams.size(); ++i) {
            if (n >= streams[i].packets.size()) continue;
            Bytes packet_bytes = streams[i].packets[n];
            ogg_packet packet;
            std::memset(&packet, 0, sizeof packet);
            packet.packet = packet_bytes.data();
            packet.bytes = static_cast<long>(packet_bytes.size());
            packet.b_o_s = n == 0;
            packet.e_o_s = streams[i].ends && n + 1 == streams[i].packets.size();
            packet.granulepos = static_cast<ogg_int64_t>(n);
            packet.packetno = static_cast<ogg_int64_t>(n);
            ogg_stream_packetin(&states[i], &packet);
            drain(&states[i], true);
        }
    }
    for (auto& s : states) ogg_stream_clear(&s);
    return out;
}

// BGR picture, top row first: the top half `top`, the bottom half `bottom`.
Bytes two_tone_picture(int width, int height, Rgb top, Rgb bottom) {
    Bytes bgr(static_cast<size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const Rgb c = y < height / 2 ? top : bottom;
            uint8_t* p = &bgr[(static_cast<size_t>(y) * width + x) * 3];
            p[0] = static_cast<uint8_t>(c.b);
            p[1] = static_cast<uint8_t>(c.g);
            p[2] = static_cast<uint8_t>(c.r);
        }
    return bgr;
}

// MPEG-4 frames of the two-tone picture from the project's encoder; the
// first is a keyframe and carries the stream headers.
std::vector<Bytes> encode_frames(int width, int height, int count, Rgb top, Rgb bottom) {
    databuild::XvidSettings settings;
    settings.width = width;
    settings.height = height;
    databuild::XvidEncoder encoder(settings);
    std::vector<Bytes> frames;
    const Bytes picture = two_tone_picture(width, height, top, bottom);
    for (int n = 0; n < count; ++n) {
        const size_t written = encoder.encode(picture.data(), XVID_CSP_BGR, 3, n == 0);
        if (written == 0) break;
        frames.emplace_back(encoder.bitstream(), encoder.bitstream() + written);
    }
    return frames;
}

// A whole clip file: stream header, comment, one packet per frame.
Bytes make_clip_file(int width, int height, int count, Rgb top, Rgb bottom, int64_t time_unit) {
    MuxStream video{1001, {stream_header("video", time_unit, width, height), comment_packet()}, true};
    for (const Bytes& f : encode_frames(width, height, count, top, bottom)) video.packets.push_back(data_packet(f, 1));
    return mux_ogm({video});
}

void load_clip_bytes(const Bytes& file, VideoClip* clip) {
    std::memset(clip, 0, sizeof *clip);
    load_video_clip_from_memory(file.data(), file.size(), "test clip", clip);
}

} // namespace video_test_clips

using namespace video_test_clips;

namespace {

const Rgb red{220, 30, 40};
const Rgb blue{20, 40, 210};

uint32_t payload_size(const Bytes& packet) {
    return static_cast<uint32_t>(packet.size()) - 1 - ogm_length_bytes(packet[0]);
}

// Loads `file` and returns what it wrote on standard error.
std::string load_and_capture(const Bytes& file, VideoClip* clip) {
    testing::internal::CaptureStderr();
    load_clip_bytes(file, clip);
    return testing::internal::GetCapturedStderr();
}

void expect_empty_clip(const VideoClip& clip) {
    EXPECT_EQ(clip.data_len, 0u);
    EXPECT_EQ(clip.read_pos, 0u);
    EXPECT_NE(clip.data, nullptr);
    EXPECT_EQ(clip.decoder, nullptr);
}

// Test decoders standing in for xvidcore: they record where they were asked
// to decode and fail or succeed by position.
std::vector<const uint8_t*> decode_positions;
const uint8_t* failing_from;
int fail_everywhere(void*, int, void* frame, void*) {
    decode_positions.push_back(static_cast<const uint8_t*>(static_cast<xvid_dec_frame_t*>(frame)->bitstream));
    return XVID_ERR_FAIL;
}
int fail_at_one_place(void*, int, void* frame, void* stats) {
    const uint8_t* at = static_cast<const uint8_t*>(static_cast<xvid_dec_frame_t*>(frame)->bitstream);
    decode_positions.push_back(at);
    if (at == failing_from) return XVID_ERR_FAIL;
    static_cast<xvid_dec_stats_t*>(stats)->type = XVID_TYPE_NOTHING;
    return 4;
}

struct DecoderSwap {
    explicit DecoderSwap(Mpeg4Call decore) : saved(mpeg4_decoder) {
        mpeg4_decoder.decore = decore;
        decode_positions.clear();
    }
    ~DecoderSwap() { mpeg4_decoder = saved; }
    Mpeg4Decoder saved;
};

// A clip record made by hand: data_len bytes of zeros with one start code.
VideoClip hand_made_clip(uint32_t data_len, uint32_t start_code_at) {
    VideoClip clip;
    std::memset(&clip, 0, sizeof clip);
    clip.data = static_cast<uint8_t*>(std::calloc(data_len + video_spare_bytes, 1));
    clip.data_len = data_len;
    clip.frame_ms = 40;
    clip.width = 64;
    clip.height = 32;
    clip.decoder = &clip;  // never reaches xvidcore
    if (start_code_at + 3 < data_len) {
        clip.data[start_code_at + 2] = 1;
        clip.data[start_code_at + 3] = 0xB6;
    }
    return clip;
}

GLint texture_red_at_origin(GLuint texture) {
    std::vector<uint8_t> pixels(1024 * 512 * 3);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    return pixels[0];
}

bool texture_holds_buffer(GLuint texture) {
    std::vector<uint8_t> pixels(1024 * 512 * 3);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    return std::memcmp(pixels.data(), video_frame_buffer, pixels.size()) == 0;
}

GLint bound_texture() {
    GLint bound = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    return bound;
}

// Runs one decoding call at `ms` on the virtual clock.
void decode_at(VideoClip* clip, double ms) {
    set_virtual_clock_ms(ms);
    decode_clip_frame(clip, video_texture_id);
}

} // namespace

// --- the payload rule -------------------------------------------------------

TEST(OgmPacket, LengthByteCountComesFromBitsSixSevenAndOne) {
    EXPECT_EQ(ogm_length_bytes(0x00), 0);
    EXPECT_EQ(ogm_length_bytes(0x08), 0);
    EXPECT_EQ(ogm_length_bytes(0x40), 1);
    EXPECT_EQ(ogm_length_bytes(0x80), 2);
    EXPECT_EQ(ogm_length_bytes(0xC0), 3);
    EXPECT_EQ(ogm_length_bytes(0x02), 4);
    EXPECT_EQ(ogm_length_bytes(0xC2), 7);
    EXPECT_EQ(ogm_length_bytes(0x01), 0);  // stream header: everything after byte 0
    EXPECT_EQ(ogm_length_bytes(0x03), 4);  // comment: everything after byte 4
}

TEST(OgmPacket, AppendCopiesThePayloadAfterTheLengthBytes) {
    std::vector<uint8_t> block(64, 0xEE);
    uint32_t fill = 3;
    uint8_t bytes[] = {0x80, 0x11, 0x22, 'a', 'b', 'c'};
    ogg_packet packet;
    std::memset(&packet, 0, sizeof packet);
    packet.packet = bytes;
    packet.bytes = sizeof bytes;
    ASSERT_TRUE(append_packet_payload(block.data(), &packet, &fill));
    EXPECT_EQ(fill, 6u);
    EXPECT_EQ(std::string(block.begin() + 3, block.begin() + 6), "abc");
    EXPECT_EQ(block[6], 0xEE);
}

TEST(OgmPacket, LengthBytesRunningPastTheEndAreRefused) {
    std::vector<uint8_t> block(16, 0);
    uint32_t fill = 0;
    uint8_t bytes[] = {0xC2, 1, 2};  // seven length bytes announced, two present
    ogg_packet packet;
    std::memset(&packet, 0, sizeof packet);
    packet.packet = bytes;
    packet.bytes = sizeof bytes;
    EXPECT_FALSE(append_packet_payload(block.data(), &packet, &fill));
    packet.bytes = 0;
    EXPECT_FALSE(append_packet_payload(block.data(), &packet, &fill));
    EXPECT_EQ(fill, 0u);
}

TEST(ClipLoading, DataIsEveryVideoPayloadEndToEndHeadersIncluded) {
    Bytes header = stream_header("video", 400000, 64, 32);
    Bytes comment = comment_packet();
    MuxStream video{7, {header, comment}, true};
    Bytes expected(header.begin() + 1, header.end());
    expected.insert(expected.end(), comment.begin() + 5, comment.end());
    for (int k = 0; k < 8; ++k) {
        Bytes payload(100 + k * 300, static_cast<uint8_t>(k + 1));
        video.packets.push_back(data_packet(payload, k));
        expected.insert(expected.end(), payload.begin(), payload.end());
    }
    uint32_t sum = 0;
    for (const Bytes& p : video.packets) sum += payload_size(p);

    VideoClip clip;
    load_clip_bytes(mux_ogm({video}), &clip);
    ASSERT_EQ(clip.data_len, sum);
    EXPECT_EQ(Bytes(clip.data, clip.data + clip.data_len), expected);
    EXPECT_EQ(clip.read_pos, 0u);
    EXPECT_EQ(clip.frame_count, 0);
    EXPECT_EQ(clip.live_streams, 0);
    EXPECT_NE(clip.decoder, nullptr);
}

TEST(ClipLoading, SpareBytesAfterTheDataAreZero) {
    VideoClip clip;
    load_clip_bytes(make_clip_file(64, 32, 2, red, blue), &clip);
    ASSERT_GT(clip.data_len, 0u);
    for (uint32_t i = 0; i < video_spare_bytes; ++i) ASSERT_EQ(clip.data[clip.data_len + i], 0) << i;
}

// --- the stream header ------------------------------------------------------

TEST(ClipLoading, FrameDurationIsTheTimeUnitOverTenThousandTruncated) {
    VideoClip clip;
    load_clip_bytes(mux_ogm({{1, {stream_header("video", 400000, 64, 32)}, true}}), &clip);
    EXPECT_EQ(clip.frame_ms, 40);
    load_clip_bytes(mux_ogm({{1, {stream_header("video", 333667, 64, 32)}, true}}), &clip);
    EXPECT_EQ(clip.frame_ms, 33);
    EXPECT_EQ(clip.width, 64);
    EXPECT_EQ(clip.height, 32);
}

TEST(ClipLoading, AnExtraStreamAddsNothingAndReadingWaitsForItsEnd) {
    Bytes header = stream_header("video", 400000, 64, 32);
    MuxStream video{11, {header, data_packet(Bytes(50, 9), 1)}, true};
    MuxStream audio{12, {stream_header("audio", 226, 0, 0)}, true};
    // The audio stream runs on well past the video's end, over several chunks.
    for (int i = 0; i < 40; ++i) audio.packets.push_back(data_packet(Bytes(500, 0x55), 2));
    VideoClip clip;
    const std::string message = load_and_capture(mux_ogm({video, audio}), &clip);
    EXPECT_EQ(message, "");
    EXPECT_EQ(clip.data_len, payload_size(video.packets[0]) + payload_size(video.packets[1]));
    EXPECT_EQ(clip.live_streams, 0);
    for (uint32_t i = 0; i < clip.data_len; ++i) ASSERT_NE(clip.data[i], 0x55);

    // Without the audio stream's end the file is cut short; the video plays.
    audio.ends = false;
    const std::string cut = load_and_capture(mux_ogm({video, audio}), &clip);
    EXPECT_EQ(cut, "video: test clip: cut short after 1 frame; the clip plays what was read\n");
    EXPECT_EQ(clip.data_len, payload_size(video.packets[0]) + payload_size(video.packets[1]));
    EXPECT_NE(clip.decoder, nullptr);
}

TEST(ClipLoading, ASecondVideoStreamReplacesTheFirst) {
    MuxStream first{21, {stream_header("video", 400000, 64, 32), data_packet(Bytes(30, 1), 0)}, true};
    MuxStream second{22, {stream_header("video", 333667, 32, 16), data_packet(Bytes(70, 2), 0)}, true};
    VideoClip clip;
    load_clip_bytes(mux_ogm({first, second}), &clip);
    EXPECT_EQ(clip.width, 32);
    EXPECT_EQ(clip.frame_ms, 33);
    EXPECT_EQ(clip.data_len, payload_size(second.packets[0]) + payload_size(second.packets[1]));
}

// A file of many video beginnings keeps only the last stream, and its decoder
// and planes are made for that stream's picture alone, once (the loader used
// to make a decoder at every beginning, and a few megabytes of them held up
// start-up for half a minute).
TEST(ClipLoading, ManyVideoStreamsLeaveTheLastOneWithItsOwnDecoder) {
    std::vector<MuxStream> streams;
    for (int i = 0; i < 2000; ++i)
        streams.push_back(MuxStream{100 + i, {stream_header("video", 400000, 1024, 512), data_packet(Bytes(20, 1), 0)},
                                    true});
    streams.push_back(MuxStream{9000, {stream_header("video", 333667, 32, 16), data_packet(Bytes(70, 2), 0)}, true});
    VideoClip clip;
    const std::string message = load_and_capture(mux_ogm(streams), &clip);
    EXPECT_EQ(message, "");
    EXPECT_EQ(clip.width, 32);
    EXPECT_EQ(clip.height, 16);
    EXPECT_EQ(clip.frame_ms, 33);
    EXPECT_NE(clip.decoder, nullptr);
    EXPECT_EQ(clip.strides[0], 32);
    EXPECT_EQ(clip.strides[1], 16);
    EXPECT_EQ(clip.live_streams, 0);
    // Exactly what the last stream gives when it is the file's only one.
    VideoClip alone;
    load_clip_bytes(mux_ogm({streams.back()}), &alone);
    ASSERT_EQ(clip.data_len, alone.data_len);
    EXPECT_EQ(std::memcmp(clip.data, alone.data, clip.data_len), 0);
}

// --- bad files --------------------------------------------------------------

TEST(ClipLoadingBadFiles, MissingFileGivesOneMessageAndAnEmptyClip) {
    VideoClip clip;
    std::memset(&clip, 0, sizeof clip);
    const std::string path = scratch_path("no-such-clip.ogm");
    testing::internal::CaptureStderr();
    load_video_clip(path.c_str(), &clip);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "video: " + path + ": can't open: No such file or directory\n");
    expect_empty_clip(clip);
}

TEST(ClipLoadingBadFiles, UnreadableFileGivesOneMessageAndAnEmptyClip) {
    VideoClip clip;
    std::memset(&clip, 0, sizeof clip);
    const std::string path = scratch_path("a-directory.ogm");
    mkdir(path.c_str(), 0700);
    testing::internal::CaptureStderr();
    load_video_clip(path.c_str(), &clip);
    const std::string message = testing::internal::GetCapturedStderr();
    EXPECT_EQ(message.rfind("video: " + path + ": can't ", 0), 0u) << message;
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1);
    expect_empty_clip(clip);
}

TEST(ClipLoadingBadFiles, FileWrapperLoadsAGoodFile) {
    const std::string path = scratch_path("good.ogm");
    write_file(path, make_clip_file(64, 32, 3, red, blue));
    VideoClip clip;
    std::memset(&clip, 0, sizeof clip);
    testing::internal::CaptureStderr();
    load_video_clip(path.c_str(), &clip);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_GT(clip.data_len, 0u);
    EXPECT_EQ(clip.frame_ms, 40);
}

TEST(ClipLoadingBadFiles, NoVideoStream) {
    VideoClip clip;
    EXPECT_EQ(load_and_capture(mux_ogm({{5, {stream_header("audio", 226, 0, 0), Bytes(20, 3)}, true}}), &clip),
              "video: test clip: no video stream\n");
    expect_empty_clip(clip);
    EXPECT_EQ(load_and_capture(Bytes(10000, 0x42), &clip), "video: test clip: no video stream\n");
    expect_empty_clip(clip);
    EXPECT_EQ(load_and_capture(Bytes(), &clip), "video: test clip: no video stream\n");
    expect_empty_clip(clip);
}

TEST(ClipLoadingBadFiles, NoEndOfStreamPageStopsAtTheEndOfTheFile) {
    MuxStream video{3, {stream_header("video", 400000, 64, 32), data_packet(Bytes(40, 1), 1)}, false};
    VideoClip clip;
    EXPECT_EQ(load_and_capture(mux_ogm({video}), &clip),
              "video: test clip: cut short after 1 frame; the clip plays what was read\n");
    EXPECT_EQ(clip.data_len, payload_size(video.packets[0]) + payload_size(video.packets[1]));
}

// An interrupted copy: the file stops inside a page. The whole pages before
// the cut play for as long as their frames last, then the part hands over.
TEST(ClipLoadingBadFiles, ClipCutInsideAPagePlaysTheFramesBeforeTheCut) {
    ensure_gl_context();
    const Bytes whole = make_clip_file(64, 32, 10, red, blue);
    // One page per packet: the cut falls inside the page of the eighth frame.
    std::vector<size_t> page_ends;
    for (size_t at = 0; at + 27 <= whole.size();) {
        const size_t segments = whole[at + 26];
        size_t body = 0;
        for (size_t i = 0; i < segments; ++i) body += whole[at + 27 + i];
        at += 27 + segments + body;
        page_ends.push_back(at);
    }
    ASSERT_EQ(page_ends.size(), 12u);  // header, comment, ten frames
    const Bytes cut(whole.begin(), whole.begin() + static_cast<long>(page_ends[8] + page_ends[9]) / 2);
    const std::string path = scratch_path("interrupted.ogm");
    write_file(path, cut);

    VideoClip clip;
    std::memset(&clip, 0, sizeof clip);
    testing::internal::CaptureStderr();
    load_video_clip(path.c_str(), &clip);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "video: " + path + ": cut short after 7 frames; the clip plays what was read\n");
    ASSERT_NE(clip.decoder, nullptr);

    current_part = 2;
    clip_start_time = 0;
    double now = 0;
    while (current_part == 2 && now < 2000) {
        now += 40;
        decode_at(&clip, now);
    }
    EXPECT_EQ(current_part, 10);
    EXPECT_EQ(clip.frame_count, 7);
    EXPECT_EQ(now, 8 * 40);
}

TEST(ClipLoadingBadFiles, PictureSizeOutsideTheFrameBuffer) {
    const int32_t sizes[][2] = {{0, 32}, {64, 0}, {-64, 32}, {1025, 32}, {64, 513}};
    for (const auto& size : sizes) {
        VideoClip clip;
        const std::string message =
            load_and_capture(mux_ogm({{3, {stream_header("video", 400000, size[0], size[1])}, true}}), &clip);
        EXPECT_EQ(message, "video: test clip: picture size " + std::to_string(size[0]) + " x " +
                               std::to_string(size[1]) + " is outside 1 x 1 to 1024 x 512\n");
        expect_empty_clip(clip);
    }
    VideoClip largest;
    EXPECT_EQ(load_and_capture(mux_ogm({{3, {stream_header("video", 400000, 1024, 512)}, true}}), &largest), "");
    EXPECT_NE(largest.decoder, nullptr);
}

TEST(ClipLoadingBadFiles, FrameDurationBelowOneMillisecond) {
    VideoClip clip;
    EXPECT_EQ(load_and_capture(mux_ogm({{3, {stream_header("video", 9999, 64, 32)}, true}}), &clip),
              "video: test clip: frame duration of 9999 x 100 ns is not a whole millisecond\n");
    expect_empty_clip(clip);
    EXPECT_EQ(load_and_capture(mux_ogm({{3, {stream_header("video", -400000, 64, 32)}, true}}), &clip),
              "video: test clip: frame duration of -400000 x 100 ns is not a whole millisecond\n");
    expect_empty_clip(clip);
}

TEST(ClipLoadingBadFiles, ShortStreamHeader) {
    Bytes header = stream_header("video", 400000, 64, 32);
    header.resize(40);
    VideoClip clip;
    EXPECT_EQ(load_and_capture(mux_ogm({{3, {header}, true}}), &clip),
              "video: test clip: video stream header is too short\n");
    expect_empty_clip(clip);
}

TEST(ClipLoadingBadFiles, PacketWhoseLengthBytesRunPastItsEnd) {
    MuxStream video{3, {stream_header("video", 400000, 64, 32), Bytes{0xC2, 1, 2}}, true};
    VideoClip clip;
    EXPECT_EQ(load_and_capture(mux_ogm({video}), &clip),
              "video: test clip: a packet's length bytes run past its end\n");
    expect_empty_clip(clip);
}

TEST(ClipLoadingBadFiles, EmptyClipHandsOverOnItsFirstCall) {
    ensure_gl_context();
    VideoClip clip;
    load_and_capture(Bytes(), &clip);
    current_part = 2;
    const int64_t uploads = video_counters.uploads;
    glBindTexture(GL_TEXTURE_2D, 0);
    decode_at(&clip, 100);
    EXPECT_EQ(bound_texture(), 0);
    EXPECT_EQ(current_part, 10);
    EXPECT_EQ(video_counters.uploads, uploads);
    // Part 9 rewinds an empty clip to nothing and draws on.
    current_part = 9;
    decode_at(&clip, 200);
    EXPECT_EQ(current_part, 9);
    EXPECT_EQ(video_counters.uploads, uploads);
}

// --- decoding against the clock ---------------------------------------------

TEST(ClipDecoding, FirstCallAtElapsedZeroDecodesNothingButShowsTheBuffer) {
    ensure_gl_context();
    VideoClip clip;
    load_clip_bytes(make_clip_file(64, 32, 5, red, blue), &clip);
    current_part = 2;
    clip_start_time = 1000;
    // Whatever the buffer holds (here a pattern) is what the texture shows.
    for (int i = 0; i < 1024 * 512 * 3; ++i) video_frame_buffer[i] = static_cast<uint8_t>(i * 7);
    mark_video_frame_buffer_changed();
    const VideoCounters before = video_counters;
    glBindTexture(GL_TEXTURE_2D, 0);
    decode_at(&clip, 1000);
    EXPECT_EQ(bound_texture(), video_texture_id);
    EXPECT_EQ(clip.frame_count, 0);
    EXPECT_EQ(clip.read_pos, 0u);
    EXPECT_EQ(video_counters.decodes, before.decodes);
    EXPECT_EQ(video_counters.conversions, before.conversions);
    EXPECT_EQ(video_counters.uploads, before.uploads + 1);
    EXPECT_TRUE(texture_holds_buffer(video_texture_id));
}

TEST(ClipDecoding, CallWithNothingNewBindsTheTextureWithoutRespecifyingIt) {
    ensure_gl_context();
    VideoClip clip;
    load_clip_bytes(make_clip_file(64, 32, 5, red, blue), &clip);
    current_part = 2;
    clip_start_time = 0;
    decode_at(&clip, 10);
    ASSERT_EQ(clip.frame_count, 1);
    const VideoCounters before = video_counters;
    glBindTexture(GL_TEXTURE_2D, 0);
    decode_at(&clip, 20);
    EXPECT_EQ(bound_texture(), video_texture_id);
    EXPECT_EQ(video_counters.decodes, before.decodes);
    EXPECT_EQ(video_counters.uploads, before.uploads);
    EXPECT_TRUE(texture_holds_buffer(video_texture_id));
    // Another texture id gets its own image.
    decode_at(&clip, 30);
    glBindTexture(GL_TEXTURE_2D, 0);
    decode_clip_frame(&clip, 901);
    EXPECT_EQ(video_counters.uploads, before.uploads + 1);
    EXPECT_TRUE(texture_holds_buffer(901));
}

TEST(ClipDecoding, CatchUpOf130MsDecodesFourFramesAndConvertsOnce) {
    ensure_gl_context();
    VideoClip clip;
    load_clip_bytes(make_clip_file(64, 32, 8, red, blue), &clip);
    current_part = 2;
    clip_start_time = 5000;
    const VideoCounters before = video_counters;
    decode_at(&clip, 5130);
    EXPECT_EQ(clip.frame_count, 4);
    // Four frames plus the decode that met only the stream headers.
    EXPECT_EQ(video_counters.decodes - before.decodes, 5);
    EXPECT_EQ(video_counters.conversions - before.conversions, 1);
    EXPECT_EQ(video_counters.uploads - before.uploads, 1);
    EXPECT_GT(clip.read_pos, 0u);
    EXPECT_LT(clip.read_pos, clip.data_len);
}

TEST(ClipDecoding, FrameKIsDecodedOnlyOnceMoreThanKFramesHavePassed) {
    ensure_gl_context();
    VideoClip clip;
    load_clip_bytes(make_clip_file(64, 32, 8, red, blue), &clip);
    current_part = 2;
    clip_start_time = 0;
    decode_at(&clip, 1);
    EXPECT_EQ(clip.frame_count, 1);
    decode_at(&clip, 40);
    EXPECT_EQ(clip.frame_count, 1);
    decode_at(&clip, 40.5);
    EXPECT_EQ(clip.frame_count, 2);
}

TEST(ClipDecoding, PictureIsFlippedIntoRedGreenBlueRows) {
    ensure_gl_context();
    VideoClip clip;
    load_clip_bytes(make_clip_file(64, 32, 2, red, blue), &clip);
    current_part = 2;
    clip_start_time = 0;
    std::memset(video_frame_buffer, 0, 1024 * 512 * 3);
    decode_at(&clip, 10);
    // Row 0 is the bottom of the picture (blue); row 31 its top (red).
    const uint8_t* bottom = video_frame_buffer + 3 * (0 * 1024 + 32);
    const uint8_t* top = video_frame_buffer + 3 * (31 * 1024 + 32);
    EXPECT_NEAR(bottom[0], blue.r, 12);
    EXPECT_NEAR(bottom[2], blue.b, 12);
    EXPECT_NEAR(top[0], red.r, 12);
    EXPECT_NEAR(top[2], red.b, 12);
    // Nothing beyond the picture's width and height is written.
    EXPECT_EQ(video_frame_buffer[3 * (0 * 1024 + 64)], 0);
    EXPECT_EQ(video_frame_buffer[3 * (32 * 1024 + 0) + 1], 0);
    EXPECT_EQ(texture_red_at_origin(video_texture_id), bottom[0]);
}

TEST(ClipDecoding, PartNineShowsRedAndBlueExchanged) {
    ensure_gl_context();
    VideoClip clip;
    load_clip_bytes(make_clip_file(64, 32, 2, red, red), &clip);
    clip_start_time = 0;
    current_part = 2;
    decode_at(&clip, 10);
    const uint8_t r2 = video_frame_buffer[0], b2 = video_frame_buffer[2];
    load_clip_bytes(make_clip_file(64, 32, 2, red, red), &clip);
    current_part = 9;
    decode_at(&clip, 10);
    EXPECT_GT(r2, 180);
    EXPECT_LT(b2, 80);
    EXPECT_EQ(video_frame_buffer[0], b2);
    EXPECT_EQ(video_frame_buffer[2], r2);
    EXPECT_EQ(texture_red_at_origin(video_texture_id), b2);
}

TEST(ClipDecoding, UsedUpClipHandsOverOnTheNextCallAndUploadsNothing) {
    ensure_gl_context();
    VideoClip clip;
    const int frames = 6;
    load_clip_bytes(make_clip_file(64, 32, frames, red, blue), &clip);
    current_part = 2;
    clip_start_time = 0;
    double now = 0;
    int calls = 0;
    while (clip.read_pos < clip.data_len && calls < 100) {
        now += 40;
        decode_at(&clip, now);
        ++calls;
    }
    EXPECT_EQ(clip.frame_count, frames);
    EXPECT_EQ(current_part, 2);
    const VideoCounters before = video_counters;
    glBindTexture(GL_TEXTURE_2D, 0);
    decode_at(&clip, now + 40);
    EXPECT_EQ(bound_texture(), 0);
    EXPECT_EQ(current_part, 10);
    EXPECT_DOUBLE_EQ(part_start_time, now + 40);
    EXPECT_EQ(video_counters.uploads, before.uploads);
    EXPECT_EQ(video_counters.decodes, before.decodes);
}

TEST(ClipDecoding, UsedUpClipsOfPartsFourAndSevenHandOver) {
    ensure_gl_context();
    VideoClip clip;
    load_clip_bytes(make_clip_file(64, 32, 2, red, blue), &clip);
    clip.read_pos = clip.data_len;
    current_part = 4;
    decode_at(&clip, 50);
    EXPECT_EQ(current_part, 5);
    current_part = 7;
    decode_at(&clip, 60);
    EXPECT_EQ(current_part, 9);
}

TEST(ClipDecoding, PartNineRewindsInTheSameCallAndKeepsCounting) {
    ensure_gl_context();
    VideoClip clip;
    load_clip_bytes(make_clip_file(64, 32, 4, red, blue), &clip);
    current_part = 9;
    clip_start_time = 0;
    clip.read_pos = clip.data_len;
    clip.frame_count = 7;
    const VideoCounters before = video_counters;
    decode_at(&clip, 7 * 40 + 1);
    EXPECT_EQ(current_part, 9);
    EXPECT_EQ(clip.frame_count, 8);
    EXPECT_GT(clip.read_pos, 0u);
    EXPECT_LT(clip.read_pos, clip.data_len);
    EXPECT_EQ(video_counters.conversions - before.conversions, 1);
    EXPECT_EQ(video_counters.uploads - before.uploads, 1);
}

TEST(ClipDecoding, CatchUpStopsWhereTheDataEnds) {
    ensure_gl_context();
    VideoClip clip;
    load_clip_bytes(make_clip_file(64, 32, 3, red, blue), &clip);
    current_part = 2;
    clip_start_time = 0;
    // A long stall: far more frames are due than the clip holds.
    decode_at(&clip, 100000);
    EXPECT_GE(clip.read_pos, clip.data_len);
    EXPECT_LE(clip.read_pos, clip.data_len + static_cast<uint32_t>(video_window_bytes));
    EXPECT_LE(clip.frame_count, 4);
    decode_at(&clip, 100040);
    EXPECT_EQ(current_part, 10);
}

// --- decode failures ----------------------------------------------------------

TEST(ClipDecodingFailures, FailureInTheLastWindowEndsTheClipWithoutUpload) {
    ensure_gl_context();
    VideoClip clip = hand_made_clip(15000, 100);
    DecoderSwap swap(fail_everywhere);
    current_part = 2;
    clip_start_time = 0;
    const int64_t uploads = video_counters.uploads;
    mark_video_frame_buffer_changed();
    glBindTexture(GL_TEXTURE_2D, 0);
    decode_at(&clip, 10);
    EXPECT_EQ(bound_texture(), 0);
    EXPECT_EQ(clip.read_pos, clip.data_len + 10000);
    EXPECT_EQ(decode_positions.size(), 1u);
    EXPECT_EQ(video_counters.uploads, uploads);
    decode_at(&clip, 50);
    EXPECT_EQ(current_part, 10);
}

TEST(ClipDecodingFailures, FailureWithMoreDataSkipsToTheNextStartCode) {
    ensure_gl_context();
    VideoClip clip = hand_made_clip(60000, 30000);
    failing_from = clip.data;
    DecoderSwap swap(fail_at_one_place);
    current_part = 2;
    clip_start_time = 0;
    decode_at(&clip, 10);
    ASSERT_EQ(decode_positions.size(), 2u);
    EXPECT_EQ(decode_positions[0], clip.data);
    EXPECT_EQ(decode_positions[1], clip.data + 30000);
    EXPECT_EQ(clip.read_pos, 30004u);
    EXPECT_EQ(clip.frame_count, 1);
}

TEST(ClipDecodingFailures, FailureWithNoStartCodeAheadEndsTheClip) {
    ensure_gl_context();
    VideoClip clip = hand_made_clip(60000, 60000);
    DecoderSwap swap(fail_everywhere);
    current_part = 2;
    clip_start_time = 0;
    const int64_t uploads = video_counters.uploads;
    decode_at(&clip, 10);
    EXPECT_EQ(decode_positions.size(), 1u);
    EXPECT_EQ(clip.read_pos, clip.data_len + 10000);
    EXPECT_EQ(video_counters.uploads, uploads);
}

TEST(ClipDecodingFailures, StartCodeSearchLooksStrictlyAhead) {
    const uint8_t data[] = {0, 0, 1, 0xB6, 5, 0, 0, 1, 0xB6, 0, 0};
    EXPECT_EQ(find_start_code(data, 0, sizeof data), 0u);
    EXPECT_EQ(find_start_code(data, 1, sizeof data), 5u);
    EXPECT_EQ(find_start_code(data, 6, sizeof data), static_cast<uint32_t>(sizeof data));
    // A start code cut off by the end of the data does not count.
    EXPECT_EQ(find_start_code(data, 1, 7), 7u);
}

// --- start-up ---------------------------------------------------------------

TEST(StartupClips, TheFourClipsLoadInOrder) {
    // The data builder writes dats/ into the build directory, the tests' cwd.
    struct stat info;
    if (stat("dats/scene03.ogm", &info) != 0) GTEST_SKIP() << "dats/ not generated in this build";
    testing::internal::CaptureStderr();
    load_startup_clips();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    const char* names[] = {"dats/scene03.ogm", "dats/scene05.ogm", "dats/scene07.ogm", "dats/scene09.ogm"};
    for (int i = 0; i < 4; ++i) {
        VideoClip expected;
        std::memset(&expected, 0, sizeof expected);
        load_video_clip(names[i], &expected);
        EXPECT_EQ(video_clips[i].data_len, expected.data_len) << names[i];
        EXPECT_GT(video_clips[i].data_len, 0u) << names[i];
        EXPECT_EQ(video_clips[i].width, expected.width) << names[i];
        EXPECT_EQ(video_clips[i].frame_ms, 40) << names[i];
    }
}

// --- frames larger than the stream header says ----------------------------

namespace {
// Gives the clip planes sized for its header picture followed by a guard of
// `guard` bytes of 0xA5, so that writes past the planes can be seen.
void guard_planes(VideoClip* clip, size_t guard, size_t sizes[3]) {
    for (int i = 0; i < 3; ++i) {
        const size_t rows = i == 0 ? ((clip->height + 15) & ~15) : ((clip->height + 15) & ~15) / 2;
        sizes[i] = static_cast<size_t>(clip->strides[i]) * rows;
        std::free(clip->planes[i]);
        clip->planes[i] = static_cast<uint8_t*>(std::malloc(sizes[i] + guard));
        std::memset(clip->planes[i], 0xA5, sizes[i] + guard);
    }
}

size_t guard_bytes_written(const VideoClip& clip, size_t guard, const size_t sizes[3]) {
    size_t written = 0;
    for (int i = 0; i < 3; ++i)
        for (size_t b = 0; b < guard; ++b) written += clip.planes[i][sizes[i] + b] != 0xA5;
    return written;
}
} // namespace

TEST(ClipDecodingFailures, FramesLargerThanTheHeaderNeverWritePastThePlanes) {
    ensure_gl_context();
    // The header says 16 x 16; the frames are 128 x 64. The decoder is made
    // for the header's size, so it must not write the larger pictures into
    // planes sized for the smaller one.
    MuxStream video{1001, {stream_header("video", 400000, 16, 16), comment_packet()}, true};
    for (const Bytes& f : encode_frames(128, 64, 6, red, blue)) video.packets.push_back(data_packet(f, 1));
    VideoClip clip;
    const std::string messages = load_and_capture(mux_ogm({video}), &clip);
    ASSERT_NE(clip.decoder, nullptr) << messages;
    constexpr size_t guard = 128 * 64 * 2;
    size_t sizes[3];
    guard_planes(&clip, guard, sizes);
    current_part = 0;
    clip_start_time = 0;
    testing::internal::CaptureStderr();
    for (int step = 1; step <= 6; ++step) decode_at(&clip, step * 40.0 + 1);
    testing::internal::GetCapturedStderr();
    EXPECT_GT(clip.frame_count, 0);
    EXPECT_EQ(guard_bytes_written(clip, guard, sizes), 0u);
}
