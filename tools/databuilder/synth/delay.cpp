// The ping-pong echo: a mono sum of the send enters the left line, whose
// output feeds the right line, whose output feeds the left again.
#include "effects.h"

namespace synth {

Bus ping_pong_delay(const Bus& send, double seconds, double feedback) {
    size_t n = send.size(), d = sample_at(seconds);
    Bus out(n);
    std::vector<float> left(d), right(d);
    Svf tone_l, tone_r;
    tone_l.set(4500, 0.1);
    tone_r.set(4500, 0.1);
    double hp_l = 0, hp_r = 0;
    const double hp_k = 1 - std::exp(-2 * pi * 250.0 / rate);
    for (size_t i = 0, w = 0; i < n; ++i, w = (w + 1 == d ? 0 : w + 1)) {
        double in = 0.5 * (send.l[i] + send.r[i]);
        double yl = left[w], yr = right[w];
        // Each pass: low pass, then a gentle high pass.
        tone_l.run(in + yr * feedback);
        hp_l += (tone_l.low - hp_l) * hp_k;
        tone_r.run(yl);
        hp_r += (tone_r.low - hp_r) * hp_k;
        left[w] = (float)(tone_l.low - hp_l);
        right[w] = (float)(tone_r.low - hp_r);
        out.l[i] = yl;
        out.r[i] = yr;
    }
    return out;
}

}  // namespace synth
