// The master bus: loudness and true peak measured with libebur128 (EBU R128),
// a look-ahead limiter on four-times oversampled peaks, and the mastering
// step that sets the track's integrated loudness under a true-peak ceiling.
#pragma once

#include "dsp.h"
#include "music_analysis.h"

namespace synth {

// Lowers the gain ahead of every peak, including peaks between samples, so
// nothing passes above ceiling_db (dBTP); recovers with a 150 ms release.
void limit_true_peak(Bus& bus, double ceiling_db);

// Gain to target_lufs, then the limiter; repeated until the loudness is
// within 0.1 LU of the target. Returns the final measurement.
analysis::Loudness master(Bus& bus, double target_lufs, double ceiling_db);

}  // namespace synth
