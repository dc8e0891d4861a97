// The music thread: opens the wave-out device paused, primes both halves,
// reports readiness, then refills each half as the device hands it back.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "audio/music.h"
#include "audio/music_state.h"
#include "runtime/clock.h"
#include "runtime/data_folder.h"

std::atomic<int32_t> audio_ready_flag{0};
WaveOutDevice* audio_device;
uint8_t* wave_buffer;
WaveHeader* wave_headers;
uint8_t* pcm_accumulator;
int32_t pcm_fill;
AutoEvent* sound_event;

namespace {
// The half the device hands back next: 0, 1, 0, 1 …
int next_half;

struct MemorySource {
    const uint8_t* bytes;
    size_t size;
    size_t at;
};

size_t read_memory(void* source, uint8_t* into, size_t bytes, bool*) {
    auto* memory = static_cast<MemorySource*>(source);
    const size_t count = memory->size - memory->at < bytes ? memory->size - memory->at : bytes;
    if (count) std::memcpy(into, memory->bytes + memory->at, count);
    memory->at += count;
    return count;
}

size_t read_file(void* source, uint8_t* into, size_t bytes, bool* failed) {
    auto* file = static_cast<FILE*>(source);
    const size_t count = std::fread(into, 1, bytes, file);
    if (count == 0 && std::ferror(file)) *failed = true;
    return count;
}

int32_t give_up() {
    audio_ready_flag.store(-1, std::memory_order_release);
    return -1;
}

// Buffers, headers and the event are made once and reused by a later reading.
void make_buffers() {
    if (!wave_buffer) {
        wave_buffer = new uint8_t[wave_buffer_bytes];
        wave_headers = new WaveHeader[2];
        pcm_accumulator = new uint8_t[pcm_accumulator_bytes];
        sound_event = new AutoEvent();
    }
    std::memset(wave_buffer, 0, wave_buffer_bytes);
    for (int i = 0; i < 2; ++i) {
        wave_headers[i] = WaveHeader{};
        wave_headers[i].data = wave_buffer + i * half_buffer_bytes;
        wave_headers[i].length = half_buffer_bytes;
        wave_headers[i].loops = 1;
    }
    std::memset(pcm_accumulator, 0, pcm_accumulator_bytes);
}

void drop_front(int32_t bytes) {
    pcm_fill -= bytes;
    std::memmove(pcm_accumulator, pcm_accumulator + bytes, static_cast<size_t>(pcm_fill));
}

int32_t open_and_prime(const char* what) {
    // A device left from an earlier reading gives back the headers first.
    if (audio_device) {
        wave_out_reset(audio_device);
        wave_out_end_of_stream(audio_device);
        audio_device = nullptr;
    }
    make_buffers();
    event_reset(sound_event);
    WaveOutDevice* device = wave_out_open(music_info.channels, static_cast<int>(music_info.rate), sound_event);
    if (!device) {
        std::fprintf(stderr, "audio: %s: no audio device (%s); the show runs silent\n", what, wave_out_error());
        return give_up();
    }
    event_reset(sound_event);
    wave_out_reset(device);
    wave_out_pause(device);

    pcm_fill = 0;
    pcm_overflow_reported = false;
    refill_pcm();
    // A stream shorter than both halves leaves the rest silent.
    const int32_t first = pcm_fill < wave_buffer_bytes ? pcm_fill : wave_buffer_bytes;
    std::memcpy(wave_buffer, pcm_accumulator, static_cast<size_t>(first));
    drop_front(first);
    wave_out_prepare(device, &wave_headers[0]);
    wave_out_prepare(device, &wave_headers[1]);
    wave_out_write(device, &wave_headers[0]);
    wave_out_write(device, &wave_headers[1]);
    refill_pcm();
    next_half = 0;
    audio_device = device;
    audio_ready_flag.store(1, std::memory_order_release);
    return 1;
}

// Everything after the reading: headers, device, priming.
int32_t prepare_read_stream(const char* what) {
    if (!read_music_headers(what)) return give_up();
    return open_and_prime(what);
}
} // namespace

int music_prepare_from_memory(const uint8_t* bytes, size_t size, const char* what) {
    audio_ready_flag.store(0, std::memory_order_release);
    MemorySource source{bytes, size, 0};
    if (!read_music_stream(read_memory, &source, what)) return give_up();
    return prepare_read_stream(what);
}

int music_prepare_file(const char* path) {
    // The decoder keeps naming the file in its messages while it plays, and
    // the music thread is never joined: the name lives to the process's end,
    // not destroyed at exit while that thread may still use it.
    static std::string& file_name = *new std::string;
    file_name = data_path(path);
    FILE* file = std::fopen(file_name.c_str(), "rb");
    audio_ready_flag.store(0, std::memory_order_release);
    if (!file) {
        std::fprintf(stderr, "audio: %s: cannot open (%s); the show runs without music\n", file_name.c_str(),
                     std::strerror(errno));
        return give_up();
    }
    const bool read = read_music_stream(read_file, file, file_name.c_str());
    std::fclose(file);
    if (!read) return give_up();
    return prepare_read_stream(file_name.c_str());
}

namespace {
void refill_next_half() {
    WaveHeader* header = &wave_headers[next_half];
    wave_out_unprepare(audio_device, header);
    std::memcpy(header->data, pcm_accumulator, half_buffer_bytes);
    wave_out_prepare(audio_device, header);
    wave_out_write(audio_device, header);
    drop_front(half_buffer_bytes);
    refill_pcm();
    next_half ^= 1;
}
} // namespace

void music_serve() {
    while (!stream_exhausted) {
        event_wait(sound_event, -1);
        event_reset(sound_event);
        refill_next_half();
    }
    // The queued halves play out; nothing more is decoded or queued.
    wave_out_end_of_stream(audio_device);
}

void music_serve_finished_halves() {
    if (audio_ready_flag.load(std::memory_order_acquire) != 1 || !audio_device || stream_exhausted) return;
    // Both halves may have played out since the last call; the device's flags
    // say which, where one event would not.
    while (!stream_exhausted && (wave_headers[next_half].flags & wave_header_done)) refill_next_half();
    if (stream_exhausted) wave_out_end_of_stream(audio_device);
}

void music_thread_main(void* path) {
    if (music_prepare_file(static_cast<const char*>(path)) == 1) music_serve();
}

void start_music_playback() {
    if (audio_ready_flag.load(std::memory_order_acquire) == 1 && audio_device) wave_out_restart(audio_device);
}

bool music_playback_known(double* origin) {
    if (audio_ready_flag.load(std::memory_order_acquire) == 1 && audio_device)
        return wave_out_playback_known(audio_device, origin);
    *origin = demo_clock();
    return true;
}

double music_playback_origin() {
    if (audio_ready_flag.load(std::memory_order_acquire) == 1 && audio_device)
        return wave_out_playback_origin(audio_device);
    return demo_clock();
}
