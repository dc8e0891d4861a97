// The file sink: plays the wave-out device as a virtual clock advances and
// hands every sample frame to its owner, so a capture records the show's own
// sound, the same on every run.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/wave_out.h"

namespace {
WaveSinkSamples sink_on_samples;
void* sink_user;
WaveOutDevice* sink_device;
uint64_t frames_played;

// How long the sink waits for the writer to answer a finished buffer.
constexpr int refill_wait_ms = 2000;
bool refill_wait_reported;

uint8_t chunk[16384];

void hand_over(const uint8_t* bytes, size_t count) {
    const size_t frame_bytes = 2 * static_cast<size_t>(sink_device->channels);
    sink_on_samples(reinterpret_cast<const int16_t*>(bytes), count / frame_bytes, sink_device->channels,
                    sink_device->rate, sink_user);
}

// Blocks until a buffer was written after the one that just finished, or
// the writer has ended its stream.
void wait_for_refill(uint64_t writes_before) {
    std::unique_lock<std::mutex> lock(sink_device->mutex);
    const bool answered = sink_device->written.wait_for(lock, std::chrono::milliseconds(refill_wait_ms), [&] {
        return sink_device->writes > writes_before || sink_device->ended;
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
    sink_device = device;
    frames_played = 0;
}

void wave_sink_advance_to(double ms) {
    if (!sink_on_samples || !sink_device) return;
    double origin;
    {
        std::lock_guard<std::mutex> lock(sink_device->mutex);
        if (!sink_device->restarted) return;
        origin = sink_device->restart_ms;
    }
    // Whole frames due since the restart; the small bias keeps step sizes
    // like 1000 / 60 ms from losing a frame to rounding.
    const double due = std::floor((ms - origin) * sink_device->rate / 1000.0 + 1e-6);
    if (due <= static_cast<double>(frames_played)) return;
    const size_t frame_bytes = 2 * static_cast<size_t>(sink_device->channels);
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
                std::lock_guard<std::mutex> lock(sink_device->mutex);
                writes_before = sink_device->writes;
            }
            bool finished = false;
            const size_t copied = wave_out_pull(sink_device, chunk + filled, bytes - filled, true, &finished);
            filled += copied;
            if (finished) wait_for_refill(writes_before);
            else if (copied == 0) break;
        }
        // A paused or drained device plays silence.
        std::memset(chunk + filled, 0, bytes - filled);
        hand_over(chunk, bytes);
        frames_played += frames;
        frames_left -= frames;
    }
}
