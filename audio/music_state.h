// The music thread's own state, shared by its reader, decoder and player:
// the stream and decoder, the accumulator and the two output halves.
#pragma once
#include <ogg/ogg.h>
#include <vorbis/codec.h>

#include <cstddef>
#include <cstdint>

#include "platform/wave_out.h"

constexpr int32_t half_buffer_bytes = 44100;
constexpr int32_t wave_buffer_bytes = 2 * half_buffer_bytes;
constexpr int32_t pcm_accumulator_bytes = 8 * half_buffer_bytes;
// refill_pcm decodes until the accumulator holds this much.
constexpr int32_t refill_target_bytes = 2 * half_buffer_bytes;

extern uint8_t* wave_buffer;
extern WaveHeader* wave_headers;
extern uint8_t* pcm_accumulator;
extern int32_t pcm_fill;
extern AutoEvent* sound_event;

extern ogg_stream_state music_stream;
extern vorbis_info music_info;
extern vorbis_comment music_comment;
extern vorbis_dsp_state music_dsp;
extern vorbis_block music_block;
// A refill found no packet left: nothing more is decoded or queued.
extern bool stream_exhausted;
// The name messages give the music by (its path).
extern const char* music_name;
// Pages that went into the stream state while reading.
extern int32_t music_pages_read;

// Reads the whole stream in 4096-byte chunks from read(source, into, bytes),
// which returns the count read and sets *failed on a read error. On failure
// reports "audio: <what>: <problem>" and returns false.
using MusicRead = size_t (*)(void* source, uint8_t* into, size_t bytes, bool* failed);
bool read_music_stream(MusicRead read, void* source, const char* what);
// Takes the header packets; the first audio packet ends the phase undecoded.
bool read_music_headers(const char* what);

// One float sample as a 16-bit value: × 32767, truncated toward zero, clamped.
int16_t pcm_sample_from_float(float sample);
void decode_packet_pcm(ogg_packet* packet);
void refill_pcm();
// Reports (once per stream) an append that would run past the accumulator.
extern bool pcm_overflow_reported;
