// Fuzz target: the music reader up to readiness from a memory buffer: the Ogg
// stream, the Vorbis headers, the device (the file sink, so no sound card is
// opened) and the priming decode of both halves.
#include <cstddef>
#include <cstdint>

#include "audio/music.h"
#include "platform/wave_out.h"

namespace {
void drop_samples(const int16_t*, size_t, int, int, void*) {}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    wave_out_use_sink(drop_samples, nullptr);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    music_prepare_from_memory(data, size, "fuzz.ogg");
    // The reader hands its device to the player; here nobody plays, so the
    // device is closed before the next input.
    if (audio_device) {
        wave_out_reset(audio_device);
        delete audio_device;
        audio_device = nullptr;
    }
    return 0;
}
