// The music thread: reads the Ogg Vorbis file, decodes it and keeps the
// wave-out device fed from two alternating halves.
#pragma once
#include <atomic>
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
