// Drum and effect voices of the synthesiser: each adds one hit, starting at
// time t (seconds), to a bus. vel scales the level (1 is a normal hit).
#pragma once

#include "dsp.h"

namespace synth {

void kick(Bus& bus, double t, float vel);
void snare(Bus& bus, double t, float vel, unsigned seed);
void clap(Bus& bus, double t, float vel, unsigned seed);
void hat(Bus& bus, double t, float vel, bool open, float pan, unsigned seed);
void ride(Bus& bus, double t, float vel, unsigned seed);
void tom(Bus& bus, double t, float vel, double hz, float pan);
// A crash cymbal, wide in the stereo field.
void crash(Bus& bus, double t, float vel, unsigned seed);
// A low boom with a noise thud under a cut.
void impact(Bus& bus, double t, float vel, unsigned seed);
// Noise swept upwards through a band pass, ending exactly at t_end.
void riser(Bus& bus, double t0, double t_end, float vel, unsigned seed);
// A cymbal played backwards: swells into t_end and stops there.
void reverse_cymbal(Bus& bus, double t_end, double length, float vel, unsigned seed);

}  // namespace synth
