// Tonal voices: band-limited saws and pulses through state-variable filters
// with envelopes, and a two-operator FM bell. The filters' cutoffs move every
// 16 samples, which is smooth to the ear and keeps the tangent off the hot path.
#include "voices.h"

namespace synth {

namespace {
double cents(double c) { return std::pow(2.0, c / 1200.0); }

// Pitch in Hz at time s of a note, with its glide and optional vibrato.
double pitch_hz(const Note& n, double s, double vibrato_depth) {
    double m = n.midi;
    if (n.from_midi >= 0) m = n.midi + (n.from_midi - n.midi) * std::exp(-s / 0.03);
    if (vibrato_depth > 0 && s > 0.25)
        m += vibrato_depth * std::fmin(1.0, (s - 0.25) / 0.3) * std::sin(2 * pi * 5.3 * s);
    return note_hz(m);
}
}  // namespace

void bass(Bus& bus, const Note& n) {
    size_t i0 = sample_at(n.t);
    int count = (int)((n.len + 0.05) * rate);
    Osc saw, square;
    Svf f;
    double hz = note_hz(n.midi);
    ControlRamp env;
    for (int i = 0; i < count; ++i) {
        double s = (double)i / rate;
        if (i % control_every == 0) f.set((140 + 1300 * n.bright * std::exp(-s / 0.09)) * (hz / 55) * 0.7 + 90, 0.35);
        double v = saw.saw(hz / rate) * 0.7 + square.pulse(hz / rate) * 0.4;
        f.run(v);
        double e = env.next(i, [&](double t) { return adsr(t, n.len, 0.003, 0.2, 0.75, 0.012); });
        bus.add(i0 + i, (float)(std::tanh(f.low * 1.5) * e * n.vel), Pan(0));
    }
}

void pad(Bus& bus, const Note& n) {
    const double detune[3] = {-9, 0, 9};
    const float spread[3] = {-0.7f, 0.0f, 0.7f};
    const int k = (int)n.midi % 7;
    {
        size_t i0 = sample_at(n.t);
        double release = 0.9;
        int samples = (int)((n.len + release * 4) * rate);
        Osc osc[3];
        for (int d = 0; d < 3; ++d) osc[d].phase = 0.29 * d + 0.11 * k;
        Svf fl, fr;
        double hz = note_hz(n.midi);
        float gl[3], gr[3];
        double dt[3];
        for (int d = 0; d < 3; ++d) {
            dt[d] = hz * cents(detune[d]) / rate;
            Pan p(spread[d] * (n.pan < 0 ? -1 : 1));
            gl[d] = p.l;
            gr[d] = p.r;
        }
        ControlRamp env;
        for (int i = 0; i < samples; ++i) {
            double s = (double)i / rate;
            if (i % control_every == 0) {
                double cut = (700 + 2600 * n.bright * (1 - std::exp(-s / 1.2))) * (1 + 0.1 * std::sin(2 * pi * 0.3 * s + k));
                fl.set(cut, 0.2);
                fr.set(cut * 1.05, 0.2);
            }
            double l = 0, r = 0;
            for (int d = 0; d < 3; ++d) {
                double v = osc[d].saw(dt[d]);
                l += v * gl[d];
                r += v * gr[d];
            }
            fl.run(l);
            fr.run(r);
            double e = env.next(i, [&](double t) { return adsr(t, n.len, 0.35, 1.0, 1.0, release); }) * n.vel;
            bus.add(i0 + i, (float)(fl.low * e), (float)(fr.low * e));
        }
    }
}

void lead(Bus& bus, const Note& n) {
    const double detune[5] = {-13, -5, 0, 5, 13};
    const float spread[5] = {-0.55f, -0.25f, 0.0f, 0.25f, 0.55f};
    size_t i0 = sample_at(n.t);
    double release = 0.12;
    int samples = (int)((n.len + release * 6) * rate);
    Osc osc[5];
    for (int d = 0; d < 5; ++d) osc[d].phase = 0.17 * d;
    Osc square;
    Svf fl, fr;
    float gl[5], gr[5];
    double ratio[5];
    for (int d = 0; d < 5; ++d) {
        ratio[d] = cents(detune[d]) / rate;
        Pan p(n.pan + spread[d]);
        gl[d] = p.l;
        gr[d] = p.r;
    }
    ControlRamp env, pitch;
    for (int i = 0; i < samples; ++i) {
        double s = (double)i / rate;
        double hz = pitch.next(i, [&](double t) { return pitch_hz(n, t, 0.18); });
        if (i % control_every == 0) {
            double cut = (1800 + 5000 * std::exp(-s / 0.25)) * n.bright;
            fl.set(cut, 0.3);
            fr.set(cut * 1.04, 0.3);
        }
        double l = 0, r = 0;
        for (int d = 0; d < 5; ++d) {
            double v = osc[d].saw(hz * ratio[d]);
            l += v * gl[d];
            r += v * gr[d];
        }
        double sq = square.pulse(hz * 0.5 / rate, 0.5) * 0.5;
        fl.run(l * 0.45 + sq);
        fr.run(r * 0.45 + sq);
        double e = env.next(i, [&](double t) { return adsr(t, n.len, 0.004, 0.4, 0.8, release); }) * n.vel;
        bus.add(i0 + i, (float)(fl.low * e), (float)(fr.low * e));
    }
}

void pluck(Bus& bus, const Note& n) {
    size_t i0 = sample_at(n.t);
    int samples = (int)((n.len + 0.4) * rate);
    Osc a, b;
    Svf f;
    Pan p(n.pan);
    double hz = note_hz(n.midi), detuned = hz * cents(7) / rate;
    ControlRamp env;
    for (int i = 0; i < samples; ++i) {
        double s = (double)i / rate;
        if (i % control_every == 0) f.set((500 + 6000 * n.bright * std::exp(-s / 0.07)), 0.45);
        f.run(a.saw(hz / rate) * 0.6 + b.pulse(detuned, 0.3) * 0.4);
        double e = env.next(i, [&](double t) { return adsr(t, n.len, 0.002, 0.18, 0.15, 0.08); }) * n.vel;
        bus.add(i0 + i, (float)(f.low * e), p);
    }
}

void bell(Bus& bus, const Note& n) {
    size_t i0 = sample_at(n.t);
    int samples = (int)((n.len + 2.5) * rate);
    double hz = note_hz(n.midi);
    double carrier = 0, mod = 0, body = 0;
    Pan p(n.pan);
    ControlRamp index_ramp, env_ramp;
    Decay body_env(0.4);
    for (int i = 0; i < samples; ++i) {
        double index = index_ramp.next(i, [](double t) { return 0.4 + 2.2 * std::exp(-t / 0.25); });
        mod += 2 * pi * hz * 3.5 / rate;
        carrier += 2 * pi * hz / rate;
        body += 2 * pi * hz * 2.0 / rate;
        double e = env_ramp.next(i, [&](double t) {
            return std::fmin(1.0, t * 800) * std::exp(-t / 0.9) * (t > n.len ? std::exp(-(t - n.len) / 0.5) : 1.0);
        });
        double v = std::sin(carrier + index * std::sin(mod)) * 0.7 + std::sin(body) * 0.25 * body_env.next();
        bus.add(i0 + i, (float)(v * e * n.vel), p);
    }
}

}  // namespace synth
