// Decodes Vorbis packets into the accumulator as interleaved 16-bit samples
// and keeps it filled ahead of playback.
#include <cmath>
#include <cstdio>

#include "audio/music_state.h"

bool pcm_overflow_reported;

int16_t pcm_sample_from_float(float sample) {
    const double x = static_cast<double>(sample) * 32767.0;
    // Clamping before the conversion gives the same result as truncating
    // first and keeps infinities and NaN defined.
    if (std::isnan(x)) return 0;
    if (x >= 32767.0) return 32767;
    if (x <= -32768.0) return -32768;
    return static_cast<int16_t>(static_cast<int32_t>(x));
}

void decode_packet_pcm(ogg_packet* packet) {
    if (vorbis_synthesis(&music_block, packet) != 0) return;
    vorbis_synthesis_blockin(&music_dsp, &music_block);
    float** pcm;
    int n;
    const int channels = music_info.channels;
    while ((n = vorbis_synthesis_pcmout(&music_dsp, &pcm)) > 0) {
        const long long bytes = 2LL * channels * n;
        if (pcm_fill + bytes > pcm_accumulator_bytes) {
            if (!pcm_overflow_reported)
                std::fprintf(stderr, "audio: %s: %lld decoded bytes do not fit the decode buffer; dropped\n",
                             music_name, bytes);
            pcm_overflow_reported = true;
        } else {
            for (int c = 0; c < channels; ++c) {
                for (int i = 0; i < n; ++i) {
                    const int16_t value = pcm_sample_from_float(pcm[c][i]);
                    uint8_t* at = pcm_accumulator + pcm_fill + 2 * (i * channels + c);
                    at[0] = static_cast<uint8_t>(value & 0xff);
                    at[1] = static_cast<uint8_t>((value >> 8) & 0xff);
                }
            }
            pcm_fill += static_cast<int32_t>(bytes);
        }
        vorbis_synthesis_read(&music_dsp, n);
    }
}

void refill_pcm() {
    ogg_packet packet;
    while (!stream_exhausted && pcm_fill < refill_target_bytes) {
        const int got = ogg_stream_packetout(&music_stream, &packet);
        if (got == 1) decode_packet_pcm(&packet);
        else if (got == 0) stream_exhausted = true;
    }
}
