// Time-based effects of the synthesiser, each reading a send bus and
// returning its wet signal: a ping-pong echo and a feedback-delay-network reverb.
#pragma once

#include "dsp.h"

namespace synth {

// Echoes that alternate left and right every `seconds`, each `feedback` as
// loud as the last, darkened and thinned a little on every pass.
Bus ping_pong_delay(const Bus& send, double seconds, double feedback);
// A stereo hall: pre-delay, input diffusion and eight damped delay lines
// mixed by a Hadamard matrix; rt60 is the time to fall by 60 dB.
Bus reverb(const Bus& send, double rt60, double predelay);

}  // namespace synth
