// Tonal voices of the synthesiser: bass, pad, lead, pluck and bell. Each adds
// one note (or chord) to a bus; times in seconds, pitches as MIDI numbers.
#pragma once

#include "dsp.h"

namespace synth {

struct Note {
    double t = 0, len = 0;  // start and held length, seconds
    double midi = 60;
    float vel = 1;
    float pan = 0;
    float bright = 1;       // scales the filter's cutoff
    double from_midi = -1;  // glide from this pitch when >= 0
};

// Saw and square through a resonant low pass that closes after the attack.
void bass(Bus& bus, const Note& n);
// Three detuned saws, spread across the stereo field (mirrored when pan < 0),
// with a slow filter swell: one note of a chord.
void pad(Bus& bus, const Note& n);
// Five detuned saws with a delayed vibrato and a gliding pitch.
void lead(Bus& bus, const Note& n);
// A short plucked saw-and-pulse tone for arpeggios.
void pluck(Bus& bus, const Note& n);
// A frequency-modulated bell.
void bell(Bus& bus, const Note& n);

}  // namespace synth
