// The music thread: reads the Ogg Vorbis file, decodes it and keeps the
// wave-out device fed from two alternating halves.
#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>

struct WaveOutDevice;

// 0 while loading and priming, 1 once both halves are queued on the paused
// device, -1 when the music cannot be played (already reported): start-up then
// goes on silently. Stored with release, loaded with acquire.
extern std::atomic<int32_t> audio_ready_flag;
// The open device (null when none could be opened); valid once the flag is 1.
extern WaveOutDevice* audio_device;

void music_thread_main(void* path);
// Start-up's side of the hand-off: restart the paused device.
void start_music_playback();
// When the music's first sound is heard, on the show's clock (ms): the time
// the show's clock should start from. Without music, now.
double music_playback_origin();
// The same without waiting: false while the sound card has not yet taken the
// first sound.
bool music_playback_known(double* origin);

// The music reader up to readiness, from bytes in memory: reads the stream,
// its headers, opens the device and primes both halves, then sets
// audio_ready_flag (1, or -1 after one message naming what and the problem)
// and returns the flag's value. music_prepare_file does the same from a file.
int music_prepare_from_memory(const uint8_t* bytes, size_t size, const char* what);
int music_prepare_file(const char* path);
// The steady state: serves halves 0, 1, 0, 1 … one per device event until the
// stream is exhausted, then tells the device that nothing more will come.
void music_serve();
// The same in slices, where there is no thread for it (the browser): refills
// every half the device has handed back since the last call, without waiting.
// Called between frames.
void music_serve_finished_halves();
