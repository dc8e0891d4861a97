// The music thread and the wave-out device: sample conversion, serving
// halves in order through the file sink, reading edges, bad music files and
// the SDL disk driver end to end.
#define OV_EXCLUDE_STATIC_CALLBACKS
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <ogg/ogg.h>
#include <vorbis/codec.h>
#include <vorbis/vorbisenc.h>
#include <vorbis/vorbisfile.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "audio/music.h"
#include "audio/music_state.h"
#include "platform/wave_out.h"
#include "tests/support.h"
#include "databuild.h"

namespace {
struct Tone {
    int channels = 2;
    int rate = 44100;
    double seconds = 2.0;
    bool page_per_packet = false;
};

// Bytes of the header pages of the last file encode_tone made.
size_t header_bytes;

// Encodes a tone (a different pitch per channel) with the data builder's encoder.
std::vector<uint8_t> encode_tone(const Tone& tone) {
    const long total = static_cast<long>(tone.seconds * tone.rate);
    std::vector<float> samples(static_cast<size_t>(total) * tone.channels);
    for (long i = 0; i < total; ++i)
        for (int c = 0; c < tone.channels; ++c)
            samples[static_cast<size_t>(i) * tone.channels + c] =
                static_cast<float>(0.5 * std::sin(2.0 * 3.1415926536 * (220.0 * (c + 1)) * i / tone.rate));
    databuild::VorbisStream stream;
    stream.channels = tone.channels;
    stream.rate = tone.rate;
    stream.serial = 1234;
    stream.page_per_packet = tone.page_per_packet;
    return databuild::encode_vorbis(samples, stream, &header_bytes);
}

struct PageSpan {
    size_t offset, length;
};

std::vector<PageSpan> page_spans(const std::vector<uint8_t>& file) {
    std::vector<PageSpan> spans;
    size_t at = 0;
    while (at + 27 <= file.size()) {
        const uint8_t segments = file[at + 26];
        size_t length = 27 + segments;
        for (int i = 0; i < segments; ++i) length += file[at + 27 + i];
        spans.push_back({at, length});
        at += length;
    }
    return spans;
}

// Sets or clears a page's end-of-stream flag and fixes its checksum.
void set_page_eos(std::vector<uint8_t>& file, const PageSpan& span, bool eos) {
    uint8_t* header = file.data() + span.offset;
    if (eos) header[5] |= 0x04;
    else header[5] &= ~0x04;
    ogg_page page;
    page.header = header;
    page.header_len = 27 + header[26];
    page.body = header + page.header_len;
    page.body_len = static_cast<long>(span.length) - page.header_len;
    ogg_page_checksum_set(&page);
}

std::vector<uint8_t> cut(const std::vector<uint8_t>& file, size_t length) {
    return std::vector<uint8_t>(file.begin(), file.begin() + static_cast<long>(length));
}

// The reference: libvorbisfile, loaded at run time, decoding to floats.
struct MemoryFile {
    const std::vector<uint8_t>* bytes;
    size_t at;
};
size_t memory_read(void* into, size_t size, size_t count, void* source) {
    auto* file = static_cast<MemoryFile*>(source);
    const size_t want = size * count;
    const size_t left = file->bytes->size() - file->at;
    const size_t take = want < left ? want : left;
    std::memcpy(into, file->bytes->data() + file->at, take);
    file->at += take;
    return size ? take / size : 0;
}

// Returns false when libvorbisfile is not installed.
bool reference_decode(const std::vector<uint8_t>& file, std::vector<int16_t>* samples, int* channels) {
    void* library = dlopen("libvorbisfile.so.3", RTLD_NOW);
    if (!library) return false;
    auto open = reinterpret_cast<decltype(&ov_open_callbacks)>(dlsym(library, "ov_open_callbacks"));
    auto read_float = reinterpret_cast<decltype(&ov_read_float)>(dlsym(library, "ov_read_float"));
    auto info = reinterpret_cast<decltype(&ov_info)>(dlsym(library, "ov_info"));
    auto clear = reinterpret_cast<decltype(&ov_clear)>(dlsym(library, "ov_clear"));
    if (!open || !read_float || !info || !clear) return false;
    MemoryFile source{&file, 0};
    OggVorbis_File vf;
    ov_callbacks callbacks{memory_read, nullptr, nullptr, nullptr};
    if (open(&source, &vf, nullptr, 0, callbacks) != 0) return false;
    *channels = info(&vf, -1)->channels;
    float** pcm;
    int section;
    long n;
    while ((n = read_float(&vf, &pcm, 4096, &section)) > 0)
        for (long i = 0; i < n; ++i)
            for (int c = 0; c < *channels; ++c) {
                // The same conversion as the show's, so only the decoding is compared.
                double x = pcm[c][i] * 32767.0;
                long v = static_cast<long>(x);
                samples->push_back(static_cast<int16_t>(v > 32767 ? 32767 : v < -32768 ? -32768 : v));
            }
    clear(&vf);
    return true;
}

// Frames the first two audio packets give a full decoder: from the middle of
// the first block to the middle of the second.
int first_packet_frames(const std::vector<uint8_t>& file) {
    ogg_sync_state oy;
    ogg_sync_init(&oy);
    char* into = ogg_sync_buffer(&oy, static_cast<long>(file.size()));
    std::memcpy(into, file.data(), file.size());
    ogg_sync_wrote(&oy, static_cast<long>(file.size()));
    ogg_stream_state os;
    ogg_page page;
    ogg_sync_pageout(&oy, &page);
    ogg_stream_init(&os, ogg_page_serialno(&page));
    ogg_stream_pagein(&os, &page);
    while (ogg_sync_pageout(&oy, &page) > 0) ogg_stream_pagein(&os, &page);
    vorbis_info vi;
    vorbis_comment vc;
    vorbis_info_init(&vi);
    vorbis_comment_init(&vc);
    ogg_packet packet;
    for (int i = 0; i < 3; ++i) {
        ogg_stream_packetout(&os, &packet);
        vorbis_synthesis_headerin(&vi, &vc, &packet);
    }
    ogg_stream_packetout(&os, &packet);
    const long first = vorbis_packet_blocksize(&vi, &packet);
    ogg_stream_packetout(&os, &packet);
    const long second = vorbis_packet_blocksize(&vi, &packet);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
    ogg_stream_clear(&os);
    ogg_sync_clear(&oy);
    return static_cast<int>(first / 4 + second / 4);
}

// What the sink hands over.
struct Captured {
    std::vector<int16_t> samples;
    int channels = 0;
    int rate = 0;
};
void capture_samples(const int16_t* samples, size_t frames, int channels, int rate, void* user) {
    auto* captured = static_cast<Captured*>(user);
    captured->samples.insert(captured->samples.end(), samples, samples + frames * channels);
    captured->channels = channels;
    captured->rate = rate;
}

bool queue_busy(WaveOutDevice* device) {
    std::lock_guard<std::mutex> lock(device->mutex);
    return device->head != nullptr;
}

struct SinkRun {
    Captured captured;
    uint64_t writes_at_end = 0;
    uint64_t writes_after_more = 0;
};

// Runs the music thread's two phases on a thread of its own with the sink
// selected, restarts the device as start-up does and advances virtual time
// in 40 ms frames until the thread has ended, then half a second more.
SinkRun play_through_sink(const std::vector<uint8_t>& file) {
    SinkRun run;
    wave_out_use_sink(capture_samples, &run.captured);
    set_virtual_clock_ms(1000.0);
    // Readiness on this thread, the steady state on a thread of its own.
    EXPECT_EQ(music_prepare_from_memory(file.data(), file.size(), "tone.ogg"), 1);
    if (audio_ready_flag.load(std::memory_order_acquire) != 1) return run;
    std::atomic<bool> ended{false};
    std::thread music([&] {
        music_serve();
        ended.store(true);
    });
    start_music_playback();
    double ms = 1000.0;
    while (!ended.load() && ms < 200000.0) {
        ms += 40.0;
        set_virtual_clock_ms(ms);
        wave_sink_advance_to(ms);
    }
    if (!ended.load()) {
        ADD_FAILURE() << "the music thread did not reach the end of the stream";
        music.detach();
        return run;
    }
    music.join();
    run.writes_at_end = audio_device->writes;
    // Play out what is still queued, then a second more.
    for (int i = 0; i < 25 || queue_busy(audio_device); ++i) {
        ms += 40.0;
        set_virtual_clock_ms(ms);
        wave_sink_advance_to(ms);
    }
    run.writes_after_more = audio_device->writes;
    wave_out_use_sink(nullptr, nullptr);
    return run;
}

// How many halves the thread queues for a stream that decodes to `bytes`:
// two when priming, then one per wake-up while a refill still finds enough.
uint64_t expected_halves(uint64_t bytes) {
    if (bytes < 4 * 44100) return 2;
    return 2 + (bytes - 4 * 44100) / 44100 + 1;
}

std::string capture_failure(const std::vector<uint8_t>& file, const char* name, int* flag) {
    testing::internal::CaptureStderr();
    *flag = music_prepare_from_memory(file.data(), file.size(), name);
    return testing::internal::GetCapturedStderr();
}

int line_count(const std::string& text) {
    int lines = 0;
    for (char c : text) lines += c == '\n';
    return lines;
}
} // namespace

TEST(SampleConversion, FullScaleMapsToPlusMinus32767) {
    EXPECT_EQ(pcm_sample_from_float(1.0f), 32767);
    EXPECT_EQ(pcm_sample_from_float(-1.0f), -32767);
    EXPECT_EQ(pcm_sample_from_float(0.0f), 0);
}

TEST(SampleConversion, TruncatesTowardZero) {
    EXPECT_EQ(pcm_sample_from_float(0.5f), 16383);    // 16383.5
    EXPECT_EQ(pcm_sample_from_float(-0.5f), -16383);  // not -16384
    EXPECT_EQ(pcm_sample_from_float(-0.00002f), 0);   // -0.65 goes to 0, not -1
}

TEST(SampleConversion, BeyondFullScaleClampsTo32767AndMinus32768) {
    EXPECT_EQ(pcm_sample_from_float(1.5f), 32767);
    EXPECT_EQ(pcm_sample_from_float(-1.5f), -32768);
    EXPECT_EQ(pcm_sample_from_float(-1.00003f), -32767);  // -32767.98 truncates before the clamp
    EXPECT_EQ(pcm_sample_from_float(-1.0001f), -32768);   // -32770.3
    EXPECT_EQ(pcm_sample_from_float(INFINITY), 32767);
    EXPECT_EQ(pcm_sample_from_float(-INFINITY), -32768);
    EXPECT_EQ(pcm_sample_from_float(NAN), 0);
}

TEST(MusicThread, StereoPlaysTheStreamWithoutItsFirstAudioPacket) {
    const auto file = encode_tone({2, 44100, 3.0, false});
    std::vector<int16_t> reference;
    int channels = 0;
    if (!reference_decode(file, &reference, &channels)) GTEST_SKIP() << "libvorbisfile not installed";
    const SinkRun run = play_through_sink(file);
    ASSERT_EQ(run.captured.channels, 2);
    ASSERT_EQ(run.captured.rate, 44100);
    const size_t skipped = static_cast<size_t>(first_packet_frames(file)) * 2;
    ASSERT_GT(skipped, 0u);
    const size_t played = run.writes_at_end * 44100 / 2;
    ASSERT_GE(run.captured.samples.size(), played);
    ASSERT_LE(played + skipped, reference.size());
    // Sample for sample the reference from the second audio packet on, in
    // the halves' order 0, 1, 0, 1 …
    size_t mismatches = 0;
    for (size_t i = 0; i < played; ++i) mismatches += run.captured.samples[i] != reference[i + skipped];
    EXPECT_EQ(mismatches, 0u);
    // … and not the reference from its start.
    size_t same_from_start = 0;
    for (size_t i = 0; i < played; ++i) same_from_start += run.captured.samples[i] == reference[i];
    EXPECT_LT(same_from_start, played / 2);
}

// Where there is no thread for the music (the browser), the halves are
// refilled between frames: the sound is the same, also when a slow frame
// let both halves play out before the next refill.
TEST(MusicThread, ServedBetweenFramesWithoutAThreadPlaysTheSameSound) {
    const auto file = encode_tone({2, 44100, 3.0, false});
    std::vector<int16_t> reference;
    int channels = 0;
    if (!reference_decode(file, &reference, &channels)) GTEST_SKIP() << "libvorbisfile not installed";
    Captured unused;
    // The sink stands in for SDL's device; the pulls below play it as SDL's
    // callback would, on this same thread.
    wave_out_use_sink(capture_samples, &unused);
    ASSERT_EQ(music_prepare_from_memory(file.data(), file.size(), "tone.ogg"), 1);
    start_music_playback();
    std::vector<int16_t> played;
    uint8_t period[4096];
    for (int frame = 0; frame < 400; ++frame) {
        // Frame 20 is slow: nearly three halves' worth of periods pass.
        const int periods = frame == 20 ? 30 : 3;
        for (int p = 0; p < periods; ++p) {
            const size_t got = wave_out_pull(audio_device, period, sizeof period, false, nullptr);
            const auto* samples = reinterpret_cast<const int16_t*>(period);
            played.insert(played.end(), samples, samples + got / 2);
        }
        music_serve_finished_halves();
    }
    wave_out_use_sink(nullptr, nullptr);
    const size_t skipped = static_cast<size_t>(first_packet_frames(file)) * 2;
    const size_t expected = audio_device->writes * 44100 / 2;
    ASSERT_EQ(played.size(), expected);
    ASSERT_LE(expected + skipped, reference.size());
    size_t mismatches = 0;
    for (size_t i = 0; i < played.size(); ++i) mismatches += played[i] != reference[i + skipped];
    EXPECT_EQ(mismatches, 0u);
    EXPECT_TRUE(audio_device->ended);
}

TEST(MusicThread, MonoAt22050IsStillServedIn44100ByteHalves) {
    const auto file = encode_tone({1, 22050, 4.0, false});
    std::vector<int16_t> reference;
    int channels = 0;
    if (!reference_decode(file, &reference, &channels)) GTEST_SKIP() << "libvorbisfile not installed";
    const SinkRun run = play_through_sink(file);
    ASSERT_EQ(run.captured.channels, 1);
    ASSERT_EQ(run.captured.rate, 22050);
    EXPECT_EQ(wave_headers[0].length, 44100u);
    EXPECT_EQ(wave_headers[1].length, 44100u);
    EXPECT_EQ(wave_headers[1].data, wave_headers[0].data + 44100);
    // Each half is 22050 mono frames, one second; the stream decodes to
    // about eight of them.
    const size_t skipped = static_cast<size_t>(first_packet_frames(file));
    const uint64_t decoded_bytes = (reference.size() - skipped) * 2;
    EXPECT_EQ(run.writes_at_end, expected_halves(decoded_bytes));
    const size_t played = run.writes_at_end * 22050;
    size_t mismatches = 0, first_mismatch = played;
    for (size_t i = 0; i < played; ++i)
        if (run.captured.samples[i] != reference[i + skipped] && mismatches++ == 0) first_mismatch = i;
    EXPECT_EQ(mismatches, 0u) << "from " << first_mismatch << " of " << played << ", reference " << reference.size();
}

TEST(MusicThread, ExhaustedStreamQueuesNothingMoreAndFallsSilent) {
    const auto file = encode_tone({2, 44100, 2.2, false});
    std::vector<int16_t> reference;
    int channels = 0;
    if (!reference_decode(file, &reference, &channels)) GTEST_SKIP() << "libvorbisfile not installed";
    const SinkRun run = play_through_sink(file);
    const size_t skipped = static_cast<size_t>(first_packet_frames(file)) * 2;
    const uint64_t decoded_bytes = (reference.size() - skipped) * 2;
    EXPECT_EQ(run.writes_at_end, expected_halves(decoded_bytes));
    EXPECT_EQ(run.writes_after_more, run.writes_at_end);
    // Samples decoded but short of a half are not played: silence follows
    // the last queued half.
    const size_t played = run.writes_at_end * 44100 / 2;
    ASSERT_GT(run.captured.samples.size(), played + 44100);
    size_t loud = 0;
    for (size_t i = played; i < run.captured.samples.size(); ++i) loud += run.captured.samples[i] != 0;
    EXPECT_EQ(loud, 0u);
    EXPECT_GT(decoded_bytes, run.writes_at_end * 44100);
}

TEST(MusicReading, PagesAfterTheEndOfStreamPageInTheSameChunkAreStillPagedIn) {
    auto file = encode_tone({2, 44100, 3.0, true});
    const auto spans = page_spans(file);
    ASSERT_GT(spans.size(), 40u);
    // Mark a page in the middle as the end and find one whose chunk holds
    // more complete pages after it.
    size_t marked = 0, expected_pages = 0;
    for (size_t k = spans.size() / 2; k + 2 < spans.size(); ++k) {
        const size_t end = spans[k].offset + spans[k].length;
        const size_t chunk_end = (end + 4095) / 4096 * 4096;
        size_t complete = 0;
        while (complete < spans.size() && spans[complete].offset + spans[complete].length <= chunk_end) ++complete;
        if (complete > k + 1 && complete < spans.size()) {
            marked = k;
            expected_pages = complete;
            break;
        }
    }
    ASSERT_GT(marked, 0u);
    set_page_eos(file, spans.back(), false);
    set_page_eos(file, spans[marked], true);
    wave_out_use_sink(capture_samples, nullptr);
    ASSERT_EQ(music_prepare_from_memory(file.data(), file.size(), "marked.ogg"), 1);
    wave_out_use_sink(nullptr, nullptr);
    EXPECT_EQ(music_pages_read, static_cast<int32_t>(expected_pages));
    EXPECT_GT(music_pages_read, static_cast<int32_t>(marked + 1));
}

TEST(MusicFailures, MissingFileGivesOneMessageAndFailedFlag) {
    const std::string path = scratch_path("absent.ogg");
    testing::internal::CaptureStderr();
    EXPECT_EQ(music_prepare_file(path.c_str()), -1);
    const std::string text = testing::internal::GetCapturedStderr();
    EXPECT_EQ(audio_ready_flag.load(), -1);
    EXPECT_EQ(line_count(text), 1);
    EXPECT_NE(text.find("audio: " + path + ": cannot open"), std::string::npos) << text;
}

TEST(MusicFailures, UnreadableFileGivesOneMessage) {
    const std::string path = scratch_path("");  // the scratch directory itself
    testing::internal::CaptureStderr();
    EXPECT_EQ(music_prepare_file(path.c_str()), -1);
    const std::string text = testing::internal::GetCapturedStderr();
    EXPECT_EQ(line_count(text), 1);
    EXPECT_NE(text.find("audio: " + path + ": "), std::string::npos) << text;
}

TEST(MusicFailures, OggStreamWithoutVorbisHeadersIsRefused) {
    // One logical stream holding a packet that is not a Vorbis header.
    ogg_stream_state os;
    ogg_stream_init(&os, 7);
    unsigned char text[] = "not a vorbis header";
    ogg_packet packet{text, sizeof(text), 1, 1, 0, 0};
    ogg_stream_packetin(&os, &packet);
    ogg_page page;
    std::vector<uint8_t> file;
    while (ogg_stream_flush(&os, &page)) {
        file.insert(file.end(), page.header, page.header + page.header_len);
        file.insert(file.end(), page.body, page.body + page.body_len);
    }
    ogg_stream_clear(&os);
    int flag = 0;
    const std::string message = capture_failure(file, "text.ogg", &flag);
    EXPECT_EQ(flag, -1);
    EXPECT_EQ(line_count(message), 1);
    EXPECT_NE(message.find("audio: text.ogg: no Vorbis headers"), std::string::npos) << message;
}

TEST(MusicFailures, HeadersWithoutAudioPacketAreRefused) {
    auto file = encode_tone({2, 44100, 1.0, true});
    const auto spans = page_spans(file);
    // The header pages alone, the last of them marked as the end.
    const size_t headers_end = header_bytes;
    size_t last_header = 0;
    while (last_header + 1 < spans.size() && spans[last_header + 1].offset < headers_end) ++last_header;
    ASSERT_EQ(spans[last_header].offset + spans[last_header].length, headers_end);
    set_page_eos(file, spans[last_header], true);
    int flag = 0;
    const std::string message = capture_failure(cut(file, headers_end), "headers.ogg", &flag);
    EXPECT_EQ(flag, -1);
    EXPECT_EQ(line_count(message), 1);
    EXPECT_NE(message.find("audio: headers.ogg: no audio packet"), std::string::npos) << message;
}

TEST(MusicFailures, FileEndingWithoutEndOfStreamPageStopsAtEndOfFile) {
    const auto file = encode_tone({2, 44100, 1.0, false});
    const auto spans = page_spans(file);
    int flag = 0;
    const auto start = std::chrono::steady_clock::now();
    const std::string message = capture_failure(cut(file, spans.back().offset), "cut.ogg", &flag);
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 5.0);
    EXPECT_EQ(flag, -1);
    EXPECT_EQ(line_count(message), 1);
    EXPECT_NE(message.find("audio: cut.ogg: no end-of-stream page"), std::string::npos) << message;
}

TEST(MusicFailures, ManyChannelStreamIsRefusedBeforeOverflowingTheAccumulator) {
    const auto file = encode_tone({160, 44100, 0.3, false});
    ASSERT_FALSE(file.empty());
    int flag = 0;
    const std::string message = capture_failure(file, "wide.ogg", &flag);
    EXPECT_EQ(flag, -1);
    EXPECT_EQ(line_count(message), 1);
    EXPECT_NE(message.find("audio: wide.ogg: 160 channels"), std::string::npos) << message;
}

TEST(MusicFailures, NoAudioDeviceLeavesTheShowSilent) {
    // Ten channels pass the decoder's bound but no device opens for them.
    const auto file = encode_tone({10, 44100, 0.5, false});
    wave_out_use_sink(nullptr, nullptr);
    int flag = 0;
    const std::string message = capture_failure(file, "ten.ogg", &flag);
    EXPECT_EQ(flag, -1);
    EXPECT_EQ(line_count(message), 1);
    EXPECT_NE(message.find("audio: ten.ogg: no audio device"), std::string::npos) << message;
    EXPECT_EQ(audio_device, nullptr);
    start_music_playback();  // start-up's call must be harmless
}

namespace {
void ignore_samples(const int16_t*, size_t, int, int, void*) {}

// Counts how often the event is set until now (each wait clears it).
int events_pending(AutoEvent* event) {
    int count = 0;
    while (event_wait(event, 0)) ++count;
    return count;
}

struct Collected {
    std::vector<int16_t> samples;
};
void collect(const int16_t* samples, size_t frames, int channels, int, void* user) {
    auto* collected = static_cast<Collected*>(user);
    collected->samples.insert(collected->samples.end(), samples, samples + frames * channels);
}
} // namespace

TEST(WaveOutSink, PlaysBuffersInWriteOrderAndSignalsOncePerFinishedBuffer) {
    Collected collected;
    wave_out_use_sink(collect, &collected);
    set_virtual_clock_ms(0.0);
    AutoEvent event;
    WaveOutDevice* device = wave_out_open(1, 1000, &event);
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(events_pending(&event), 1);  // the open notification
    wave_out_pause(device);
    // Three buffers of 100 frames (100 ms each), values telling them apart.
    std::vector<int16_t> data[3];
    WaveHeader headers[3] = {};
    for (int b = 0; b < 3; ++b) {
        data[b].assign(100, static_cast<int16_t>(1000 * (b + 1)));
        headers[b].data = reinterpret_cast<uint8_t*>(data[b].data());
        headers[b].length = 200;
        EXPECT_EQ(wave_out_write(device, &headers[b]), wave_error_unprepared);
        EXPECT_EQ(wave_out_prepare(device, &headers[b]), wave_ok);
    }
    EXPECT_EQ(wave_out_write(device, &headers[2]), wave_ok);
    EXPECT_EQ(wave_out_write(device, &headers[0]), wave_ok);
    EXPECT_EQ(wave_out_write(device, &headers[1]), wave_ok);
    EXPECT_EQ(wave_out_unprepare(device, &headers[0]), wave_error_still_playing);
    // Paused: nothing plays however far time goes.
    wave_sink_advance_to(500.0);
    EXPECT_TRUE(collected.samples.empty());
    wave_out_end_of_stream(device);  // no writer answers in this test
    set_virtual_clock_ms(10.0);
    wave_out_restart(device);
    wave_sink_advance_to(10.0 + 150.0);
    EXPECT_EQ(collected.samples.size(), 150u);
    EXPECT_EQ(events_pending(&event), 1);
    EXPECT_TRUE(headers[2].flags & wave_header_done);
    EXPECT_FALSE(headers[0].flags & wave_header_done);
    wave_sink_advance_to(10.0 + 300.0);
    EXPECT_EQ(events_pending(&event), 1);
    wave_sink_advance_to(10.0 + 350.0);
    EXPECT_EQ(events_pending(&event), 0);  // the last buffer is still playing
    wave_sink_advance_to(10.0 + 400.0);
    EXPECT_EQ(events_pending(&event), 0);
    ASSERT_EQ(collected.samples.size(), 400u);
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(collected.samples[i], 3000) << i;
        EXPECT_EQ(collected.samples[100 + i], 1000) << i;
        EXPECT_EQ(collected.samples[200 + i], 2000) << i;
        EXPECT_EQ(collected.samples[300 + i], 0) << i;  // drained: silence
    }
    for (auto& header : headers) EXPECT_EQ(header.flags & (wave_header_done | wave_header_queued), wave_header_done);
    EXPECT_EQ(wave_out_unprepare(device, &headers[0]), wave_ok);
    wave_out_use_sink(ignore_samples, nullptr);
    wave_out_use_sink(nullptr, nullptr);
}

TEST(WaveOutSink, ResetReturnsQueuedBuffersAsDone) {
    wave_out_use_sink(ignore_samples, nullptr);
    AutoEvent event;
    WaveOutDevice* device = wave_out_open(2, 44100, &event);
    ASSERT_NE(device, nullptr);
    event_reset(&event);
    uint8_t bytes[64] = {};
    WaveHeader header{};
    header.data = bytes;
    header.length = sizeof(bytes);
    wave_out_prepare(device, &header);
    wave_out_write(device, &header);
    EXPECT_EQ(header.flags & wave_header_queued, wave_header_queued);
    wave_out_reset(device);
    EXPECT_EQ(header.flags & (wave_header_done | wave_header_queued), wave_header_done);
    EXPECT_EQ(events_pending(&event), 1);
    wave_out_use_sink(nullptr, nullptr);
}

// The real device path: SDL's disk driver records what the callback plays.
TEST(MusicEndToEnd, DiskDriverRecordsTheMusic) {
    const std::string raw = scratch_path("disk.raw");
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", raw.c_str(), 1);
    const auto file = encode_tone({2, 44100, 1.5, false});
    std::vector<int16_t> reference;
    int channels = 0;
    if (!reference_decode(file, &reference, &channels)) GTEST_SKIP() << "libvorbisfile not installed";
    wave_out_use_sink(nullptr, nullptr);
    const std::string path = scratch_path("disk.ogg");
    write_file(path, file);
    // As at process start; an earlier test may have left the flag at -1.
    audio_ready_flag.store(0);
    std::thread music([&] { music_thread_main(const_cast<char*>(path.c_str())); });
    while (audio_ready_flag.load(std::memory_order_acquire) == 0) std::this_thread::yield();
    if (audio_ready_flag.load() != 1) {
        music.join();
        FAIL() << "the music did not become ready";
    }
    start_music_playback();
    music.join();
    const uint64_t halves = audio_device->writes;
    // The last two halves play out (0.5 s) before the recording is complete.
    std::this_thread::sleep_for(std::chrono::milliseconds(900));
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    const std::vector<uint8_t> recorded = read_file(raw);
    if (recorded.empty()) GTEST_SKIP() << "another audio driver was already running in this process";
    std::vector<int16_t> samples(recorded.size() / 2);
    std::memcpy(samples.data(), recorded.data(), samples.size() * 2);
    const size_t skipped = static_cast<size_t>(first_packet_frames(file)) * 2;
    const size_t played = halves * 44100 / 2;
    // Silence while paused, then the music: find where it starts.
    size_t first_sound = 0;
    while (first_sound < samples.size() && samples[first_sound] == 0) ++first_sound;
    size_t start = samples.size();
    for (size_t s = first_sound > 8192 ? (first_sound - 8192) & ~size_t{1} : 0; s <= first_sound; s += 2) {
        size_t same = 0;
        while (same < 512 && s + same < samples.size() && samples[s + same] == reference[skipped + same]) ++same;
        if (same == 512) {
            start = s;
            break;
        }
    }
    ASSERT_LT(start, samples.size()) << "the music was not found in the recording";
    ASSERT_GE(samples.size(), start + played);
    size_t mismatches = 0;
    for (size_t i = 0; i < played; ++i) mismatches += samples[start + i] != reference[skipped + i];
    EXPECT_EQ(mismatches, 0u);
}
