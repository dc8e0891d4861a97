// The arrangement as data: sections pinned to the show's part changes, each
// with its chords, its layers (drum patterns, bass and arpeggio figures,
// melodies) and how it begins. The notation is read by arrange.cpp.
#pragma once

#include <vector>

namespace music {

enum class Voice { kick, snare, clap, hat, open_hat, ride, crash, tom, bass, pad, stab, lead, arp, bell, riser, impact };

// One instrument's part within a section.
//  Drums: one character a sixteenth, repeating: 'X' accent, 'x' hit, 'o' ghost,
//         '.' rest; toms take '1'..'4' (high to low). Spaces are ignored.
//  bass:  'r' root, 'o' root an octave up, 'f' fifth, '-' holds, '.' rest.
//  arp:   '0'..'9' chord tones upwards across octaves, '-' holds, '.' rest.
//  pad:   "" holds each chord; stab: 'x' strikes the chord, '-' holds, '.' rest.
//  lead, bell: notes "e5:3" (pitch:sixteenths), "r:4" a rest, "~g5:2" glides
//         from the previous note; '|' marks bars for the reader. Repeats.
//  riser: "" sweeps over the layer's bars into the end of its last bar.
struct Layer {
    Voice voice;
    const char* pattern;
    int from_bar = 0, to_bar = 1000;  // bars of the section, [from, to)
    float gain = 1, gain_end = -1;    // level, and at the end for a ramp
    float bright = 1, bright_end = -1;  // filter brightness, likewise
    int harmony = 0;                  // melodies: scale steps to shift (a third below is -2)
};

struct Section {
    const char* name;
    double start;        // seconds: the part change it is pinned to
    int beats;           // it lasts until the next section's start
    int transpose;       // semitones, for every pitched layer and chord
    const char* chords;  // "Am F C G": a bar each; "G:2" for two beats
    bool impact;         // a kick, crash and boom on its first beat
    std::vector<Layer> layers;
};

// The whole track, in order; the last section rings out after its beats.
const std::vector<Section>& score();

}  // namespace music
