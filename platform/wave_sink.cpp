// The file sink: plays the wave-out device as a virtual clock advances and
// hands every sample frame to its owner, so a capture records the show's own
// sound, the same on every run.
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/wave_out.h"

namespace {
WaveSinkSamples sink_on_samples;
void* sink_user;
// Attached on the music thread, which may open its device late (after
// start-up stopped waiting for it), and read on the main thread.
std::atomic<WaveOutDevice*> sink_device{nullptr};
uint64_t frames_played;

// How long the sink waits for the writer to answer a finished buffer.
constexpr int refill_wait_ms = 2000;
bool refill_wait_reported;

uint8_t chunk[16384];

void hand_over(const WaveOutDevice* device, const uint8_t* bytes, size_t count) {
    const size_t frame_bytes = 2 * static_cast<size_t>(device->channels);
    sink_on_samples(reinterpret_cast<const int16_t*>(bytes), count / frame_bytes, device->channels, device->rate,
                    sink_user);
}

// Blocks until a buffer was written after the one that just finished, or
// the writer has ended its stream.
void wait_for_refill(WaveOutDevice* device, uint64_t writes_before) {
    std::unique_lock<std::mutex> lock(device->mutex);
    const bool answered = device->written.wait_for(lock, std::chrono::milliseconds(refill_wait_ms), [&] {
        return device->writes > writes_before || device->ended;
    });
    if (!answered && !refill_wait_reported) {
        refill_wait_reported = true;
        std::fprintf(stderr, "audio: sink: no buffer queued within %d ms of the last one ending; the sound "
                             "may differ between runs\n", refill_wait_ms);
    }
}
} // namespace

void wave_out_use_sink(WaveSinkSamples on_samples, void* user) {
    sink_on_samples = on_samples;
    sink_user = user;
    sink_device = nullptr;
    frames_played = 0;
    refill_wait_reported = false;
}

bool wave_sink_selected() { return sink_on_samples != nullptr; }

void wave_sink_attach(WaveOutDevice* device) {
    // Published by the store: the main thread reads the count only once it
    // sees the device.
    frames_played = 0;
    sink_device = device;
}

void wave_sink_advance_to(double ms) {
    WaveOutDevice* const device = sink_device;
    if (!sink_on_samples || !device) return;
    double origin;
    {
        std::lock_guard<std::mutex> lock(device->mutex);
        if (!device->restarted) return;
        origin = device->restart_ms;
    }
    // Whole frames due since the restart; the small bias keeps step sizes
    // like 1000 / 60 ms from losing a frame to rounding.
    const double due = std::floor((ms - origin) * device->rate / 1000.0 + 1e-6);
    if (due <= static_cast<double>(frames_played)) return;
    const size_t frame_bytes = 2 * static_cast<size_t>(device->channels);
    // Whole frames per chunk, so a frame never straddles two hand-overs.
    const size_t chunk_frames = sizeof(chunk) / frame_bytes;
    uint64_t frames_left = static_cast<uint64_t>(due) - frames_played;
    while (frames_left > 0) {
        const size_t frames = frames_left < chunk_frames ? static_cast<size_t>(frames_left) : chunk_frames;
        const size_t bytes = frames * frame_bytes;
        size_t filled = 0;
        while (filled < bytes) {
            uint64_t writes_before;
            {
                std::lock_guard<std::mutex> lock(device->mutex);
                writes_before = device->writes;
            }
            bool finished = false;
            const size_t copied = wave_out_pull(device, chunk + filled, bytes - filled, true, &finished);
            filled += copied;
            if (finished) wait_for_refill(device, writes_before);
            else if (copied == 0) break;
        }
        // A paused or drained device plays silence.
        std::memset(chunk + filled, 0, bytes - filled);
        hand_over(device, chunk, bytes);
        frames_played += frames;
        frames_left -= frames;
    }
}
