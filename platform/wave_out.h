// The wave-out device: 16-bit PCM buffers written in order queue up and play
// in order; each finished buffer is marked done and signals the owner's event.
// It plays through SDL audio, or through a file sink driven by virtual time.
#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/platform.h"

// Header flags.
constexpr uint32_t wave_header_done = 1;
constexpr uint32_t wave_header_prepared = 2;
constexpr uint32_t wave_header_queued = 16;

// One buffer handed to the device. The device owns the flags and next while
// the buffer is queued; read them only after its event has been signalled.
struct WaveHeader {
    uint8_t* data;
    uint32_t length;
    uint32_t bytes_recorded;
    uintptr_t user;
    uint32_t flags;
    uint32_t loops;
    WaveHeader* next;
};

// Results of the device calls.
constexpr int wave_ok = 0;
constexpr int wave_error_invalid = 1;
constexpr int wave_error_unprepared = 2;
constexpr int wave_error_still_playing = 3;

// An open device. Everything below mutex is guarded by it.
struct WaveOutDevice {
    int channels;
    int rate;
    AutoEvent* event;
    uint32_t sdl_device;  // 0 when the sink drives this device
    std::mutex mutex;
    std::condition_variable written;  // notified on every write, at end of stream and at the first pull
    bool paused;
    WaveHeader* head;
    WaveHeader* tail;
    size_t head_offset;  // bytes of head already played
    uint64_t writes;
    bool ended;
    double restart_ms;  // counter reading of the first restart, in ms
    bool restarted;
    double first_pull_ms;  // counter reading when the card first took sound after the restart
    bool pulled;
    double latency_ms;  // how long the card holds sound before it is heard
};

// Opens the default device for interleaved signed 16-bit little-endian PCM at
// the given channel count and rate, running and empty. The event is set once
// on opening and once for every buffer that finishes. Returns null when no
// device can be opened; wave_out_error() then says why.
WaveOutDevice* wave_out_open(int channels, int rate, AutoEvent* event);
const char* wave_out_error();
// Returns every queued buffer marked done (one event if there were any).
int wave_out_reset(WaveOutDevice* device);
// Holds playback; written buffers queue but do not play until restart.
int wave_out_pause(WaveOutDevice* device);
int wave_out_restart(WaveOutDevice* device);
int wave_out_prepare(WaveOutDevice* device, WaveHeader* header);
int wave_out_write(WaveOutDevice* device, WaveHeader* header);
int wave_out_unprepare(WaveOutDevice* device, WaveHeader* header);
// When the first sound after the restart is heard, in ms on the counter: for a
// sound card, the moment it first took sound after the restart (waited for,
// up to a second) plus its buffer; for the file sink or on a virtual counter,
// the restart itself.
double wave_out_playback_origin(WaveOutDevice* device);
// The same without waiting: false while a sound card has not yet taken the
// first sound after the restart (the browser's start-up asks once a frame).
bool wave_out_playback_known(WaveOutDevice* device, double* origin);
// The writer will queue nothing more (its stream has ended). The sink stops
// waiting for refills from then on; a sound card does not care.
void wave_out_end_of_stream(WaveOutDevice* device);

// Copies up to bytes of queued sound into out and returns the count copied
// (0 when paused or empty). Finished buffers are marked done and signalled
// after the lock is dropped; with stop_at_buffer_end it returns right after
// the first buffer that finishes. Both drivers (SDL callback, sink) call it.
size_t wave_out_pull(WaveOutDevice* device, uint8_t* out, size_t bytes, bool stop_at_buffer_end,
                     bool* finished);

// The file sink. Selected before the device is opened (a null on_samples
// deselects it), it replaces the sound card: no SDL audio is opened, and the
// sound plays only as wave_sink_advance_to is called. The owner receives every
// sample frame the device plays, silence included, from the restart on.
using WaveSinkSamples = void (*)(const int16_t* samples, size_t frames, int channels, int rate, void* user);
void wave_out_use_sink(WaveSinkSamples on_samples, void* user);
bool wave_sink_selected();
// Plays the sink's device up to ms on the show's clock (the platform counter
// in ms, like demo_clock); its origin is the counter reading at restart, so
// ms = demo_clock() hands exactly floor((ms - origin) * rate / 1000) frames in
// total. Determinism: after each buffer finishes, the sink waits (up to 2 s of
// wall time) until the writer has queued a buffer in answer or declared the end
// of its stream, so the music thread's timing never shows in the sound.
void wave_sink_advance_to(double ms);

// Used by the device code: the device opened while the sink is selected.
void wave_sink_attach(WaveOutDevice* device);
