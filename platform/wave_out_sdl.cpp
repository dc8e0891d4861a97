// The wave-out device on SDL audio: a queue of written buffers that the audio
// callback plays in write order, marking each done and signalling its event.
// With the file sink selected the same queue is played by the sink instead.
#include <SDL.h>

#include <chrono>
#include <cstring>
#include <string>

#include "platform/wave_out.h"

namespace {
std::string open_error;

void signal_finished(WaveOutDevice* device, int count) {
    for (int i = 0; i < count; ++i) event_set(device->event);
}

// SDL's audio thread: no allocation, and the lock is held only for the copy.
void audio_callback(void* user, Uint8* stream, int len) {
    auto* device = static_cast<WaveOutDevice*>(user);
    size_t done = 0;
    while (done < static_cast<size_t>(len)) {
        const size_t copied = wave_out_pull(device, stream + done, static_cast<size_t>(len) - done, false, nullptr);
        if (copied == 0) break;
        done += copied;
    }
    if (done < static_cast<size_t>(len)) std::memset(stream + done, 0, static_cast<size_t>(len) - done);
}

double counter_ms() {
    return static_cast<double>(platform_counter()) * 1000.0 / static_cast<double>(platform_counter_frequency());
}
} // namespace

WaveOutDevice* wave_out_open(int channels, int rate, AutoEvent* event) {
    if (channels < 1 || channels > 8 || rate < 1) {
        open_error = "unsupported format: " + std::to_string(channels) + " channels at " + std::to_string(rate) + " Hz";
        return nullptr;
    }
    auto* device = new WaveOutDevice();
    device->channels = channels;
    device->rate = rate;
    device->event = event;
    if (wave_sink_selected()) {
        wave_sink_attach(device);
    } else {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
            open_error = SDL_GetError();
            delete device;
            return nullptr;
        }
        SDL_AudioSpec want{};
        want.freq = rate;
        want.format = AUDIO_S16LSB;
        want.channels = static_cast<Uint8>(channels);
        // A short period keeps the sound close behind the picture; sound
        // servers and SDL sustain it without underruns.
        want.samples = 1024;
        want.callback = audio_callback;
        want.userdata = device;
        // SDL converts to whatever the card wants, so the queue stays in the
        // stream's own format.
        SDL_AudioSpec got{};
        const SDL_AudioDeviceID id = SDL_OpenAudioDevice(nullptr, 0, &want, &got, 0);
        if (id == 0) {
            open_error = SDL_GetError();
            delete device;
            return nullptr;
        }
        device->sdl_device = id;
        // What SDL asks the server to buffer: one period.
        device->latency_ms = got.freq > 0 ? got.samples * 1000.0 / got.freq : 0;
        SDL_PauseAudioDevice(id, 0);
    }
    // Like a sound card's open notification.
    event_set(event);
    return device;
}

const char* wave_out_error() { return open_error.c_str(); }

int wave_out_reset(WaveOutDevice* device) {
    if (!device) return wave_error_invalid;
    int returned = 0;
    {
        std::lock_guard<std::mutex> lock(device->mutex);
        for (WaveHeader* header = device->head; header; header = header->next) {
            header->flags = (header->flags & ~wave_header_queued) | wave_header_done;
            ++returned;
        }
        device->head = device->tail = nullptr;
        device->head_offset = 0;
    }
    signal_finished(device, returned > 0 ? 1 : 0);
    return wave_ok;
}

int wave_out_pause(WaveOutDevice* device) {
    if (!device) return wave_error_invalid;
    std::lock_guard<std::mutex> lock(device->mutex);
    device->paused = true;
    return wave_ok;
}

int wave_out_restart(WaveOutDevice* device) {
    if (!device) return wave_error_invalid;
    const double now = counter_ms();
    std::lock_guard<std::mutex> lock(device->mutex);
    device->paused = false;
    if (!device->restarted) {
        device->restart_ms = now;
        device->restarted = true;
    }
    return wave_ok;
}

namespace {
// The origin as far as it is known under the lock; false while the card has
// not taken sound since the restart.
bool known_origin(WaveOutDevice* device, double* origin) {
    // The file sink plays from the restart on; so does any device on virtual time.
    if (device->sdl_device == 0 || platform_counter_is_virtual()) *origin = device->restart_ms;
    else if (!device->restarted) *origin = counter_ms();
    // The card's next period after the restart is the first that takes sound.
    else if (device->pulled) *origin = device->first_pull_ms + device->latency_ms;
    else return false;
    return true;
}
} // namespace

double wave_out_playback_origin(WaveOutDevice* device) {
    std::unique_lock<std::mutex> lock(device->mutex);
    double origin;
    if (!device->written.wait_for(lock, std::chrono::seconds(1), [&] { return known_origin(device, &origin); }))
        return counter_ms();
    return origin;
}

bool wave_out_playback_known(WaveOutDevice* device, double* origin) {
    std::lock_guard<std::mutex> lock(device->mutex);
    return known_origin(device, origin);
}

int wave_out_prepare(WaveOutDevice* device, WaveHeader* header) {
    if (!device || !header || !header->data) return wave_error_invalid;
    std::lock_guard<std::mutex> lock(device->mutex);
    if (header->flags & wave_header_queued) return wave_error_still_playing;
    header->flags |= wave_header_prepared;
    return wave_ok;
}

int wave_out_write(WaveOutDevice* device, WaveHeader* header) {
    if (!device || !header) return wave_error_invalid;
    {
        std::lock_guard<std::mutex> lock(device->mutex);
        if (!(header->flags & wave_header_prepared)) return wave_error_unprepared;
        if (header->flags & wave_header_queued) return wave_error_still_playing;
        header->flags = (header->flags & ~wave_header_done) | wave_header_queued;
        header->next = nullptr;
        if (device->tail) device->tail->next = header;
        else device->head = header;
        device->tail = header;
        ++device->writes;
    }
    device->written.notify_all();
    return wave_ok;
}

int wave_out_unprepare(WaveOutDevice* device, WaveHeader* header) {
    if (!device || !header) return wave_error_invalid;
    std::lock_guard<std::mutex> lock(device->mutex);
    if (header->flags & wave_header_queued) return wave_error_still_playing;
    header->flags &= ~wave_header_prepared;
    return wave_ok;
}

void wave_out_end_of_stream(WaveOutDevice* device) {
    if (!device) return;
    {
        std::lock_guard<std::mutex> lock(device->mutex);
        device->ended = true;
    }
    device->written.notify_all();
}

size_t wave_out_pull(WaveOutDevice* device, uint8_t* out, size_t bytes, bool stop_at_buffer_end,
                     bool* finished) {
    size_t copied = 0;
    int finished_count = 0;
    bool first_pull = false;
    {
        std::lock_guard<std::mutex> lock(device->mutex);
        if (device->restarted && !device->pulled) {
            device->first_pull_ms = counter_ms();
            // A browser's audio graph holds the sound a while longer, known
            // once it runs.
            device->latency_ms += platform_output_latency_ms();
            device->pulled = first_pull = true;
        }
        while (!device->paused && device->head && copied < bytes) {
            WaveHeader* header = device->head;
            const size_t left = header->length - device->head_offset;
            const size_t take = left < bytes - copied ? left : bytes - copied;
            std::memcpy(out + copied, header->data + device->head_offset, take);
            copied += take;
            device->head_offset += take;
            if (device->head_offset < header->length) break;
            device->head = header->next;
            if (!device->head) device->tail = nullptr;
            device->head_offset = 0;
            header->flags = (header->flags & ~wave_header_queued) | wave_header_done;
            ++finished_count;
            if (stop_at_buffer_end) break;
        }
    }
    if (first_pull) device->written.notify_all();
    signal_finished(device, finished_count);
    if (finished) *finished = finished_count > 0;
    return copied;
}
