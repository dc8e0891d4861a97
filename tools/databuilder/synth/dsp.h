// Signal building blocks of the music synthesiser: a stereo bus, band-limited
// oscillators (PolyBLEP), a state-variable filter and pitch helpers. Header-only
// so the per-sample loops inline; every function is pure in its inputs.
#pragma once

#include <cmath>
#include <cstddef>
#include <vector>

namespace synth {

constexpr int rate = 44100;
constexpr double pi = 3.141592653589793;

inline double note_hz(double midi) { return 440.0 * std::pow(2.0, (midi - 69) / 12.0); }
inline size_t sample_at(double seconds) { return seconds <= 0 ? 0 : (size_t)std::llround(seconds * rate); }
inline float db_gain(double db) { return (float)std::pow(10.0, db / 20.0); }

// Equal-power panning: pan -1 (left) .. 1 (right).
struct Pan {
    float l, r;
    explicit Pan(float pan) : l((float)std::sqrt(0.5 * (1 - pan))), r((float)std::sqrt(0.5 * (1 + pan))) {}
};

// A stereo signal as long as the track; writes past the end are dropped.
struct Bus {
    std::vector<float> l, r;
    explicit Bus(size_t n = 0) : l(n), r(n) {}
    size_t size() const { return l.size(); }
    void add(size_t i, float v, Pan p) {
        if (i < l.size()) { l[i] += v * p.l; r[i] += v * p.r; }
    }
    void add(size_t i, float vl, float vr) {
        if (i < l.size()) { l[i] += vl; r[i] += vr; }
    }
    void mix(const Bus& o, float gain) {
        for (size_t i = 0; i < l.size() && i < o.size(); ++i) { l[i] += o.l[i] * gain; r[i] += o.r[i] * gain; }
    }
};

// White noise -1..1 from a seeded xorshift generator.
struct Noise {
    unsigned s;
    explicit Noise(unsigned seed) : s(seed * 2654435761u + 12345u) { if (!s) s = 1; }
    double next() {
        s ^= s << 13; s ^= s >> 17; s ^= s << 5;
        return s / 2147483648.0 - 1;
    }
};

// The correction that removes a step's aliasing: t is the phase 0..1, dt the
// phase increment per sample.
inline double poly_blep(double t, double dt) {
    if (t < dt) { t /= dt; return t + t - t * t - 1; }
    if (t > 1 - dt) { t = (t - 1) / dt; return t * t + t + t + 1; }
    return 0;
}

// Sawtooth, pulse and triangle from one phase accumulator.
struct Osc {
    double phase = 0;
    double saw(double dt) {
        double v = 2 * phase - 1 - poly_blep(phase, dt);
        advance(dt);
        return v;
    }
    double pulse(double dt, double width = 0.5) {
        double v = phase < width ? 1 : -1;
        v += poly_blep(phase, dt);
        double t2 = phase - width + (phase < width ? 1 : 0);
        v -= poly_blep(t2, dt);
        advance(dt);
        return v;
    }
    double sine(double dt) {
        double v = std::sin(2 * pi * phase);
        advance(dt);
        return v;
    }
    void advance(double dt) {
        phase += dt;
        phase -= std::floor(phase);
    }
};

// Topology-preserving state-variable filter: low, band and high pass at once.
// set() takes the cutoff in Hz and a resonance 0..1 (1 self-oscillates).
struct Svf {
    double ic1 = 0, ic2 = 0, a1 = 0, a2 = 0, a3 = 0, k = 2;
    double low = 0, band = 0, high = 0;
    void set(double hz, double resonance) {
        hz = std::fmin(std::fmax(hz, 10.0), rate * 0.45);
        double g = std::tan(pi * hz / rate);
        k = 2 - 2 * std::fmin(resonance, 0.98);
        a1 = 1 / (1 + g * (g + k));
        a2 = g * a1;
        a3 = g * a2;
    }
    void run(double v0) {
        double v3 = v0 - ic2;
        double v1 = a1 * ic1 + a2 * v3;
        double v2 = ic2 + a2 * ic1 + a3 * v3;
        ic1 = 2 * v1 - ic1;
        ic2 = 2 * v2 - ic2;
        low = v2;
        band = v1;
        high = v0 - k * v1 - v2;
    }
};

// Exponential decay by a time constant, as a per-sample multiplier.
inline double decay_per_sample(double seconds) { return std::exp(-1.0 / (seconds * rate)); }

// exp(-s / seconds) at s = 0, 1/rate, 2/rate ... by one multiplication a sample.
struct Decay {
    double v = 1, k;
    explicit Decay(double seconds) : k(decay_per_sample(seconds)) {}
    double next() {
        double r = v;
        v *= k;
        return r;
    }
};

// A control signal evaluated every control_every samples and ramped
// linearly in between: f(s) for s in seconds from the note's start.
constexpr int control_every = 16;
struct ControlRamp {
    double v = 0, step = 0;
    template <class F> double next(int i, F f) {
        if (i % control_every == 0) {
            v = f((double)i / rate);
            step = (f((double)(i + control_every) / rate) - v) / control_every;
        } else {
            v += step;
        }
        return v;
    }
};

// Attack-decay-sustain-release level at time s into a note held for len seconds.
inline double adsr(double s, double len, double a, double d, double sustain, double r) {
    double held = s < a ? s / a : sustain + (1 - sustain) * std::exp(-(s - a) / d);
    if (s <= len) return held;
    double at_release = len < a ? len / a : sustain + (1 - sustain) * std::exp(-(len - a) / d);
    return at_release * std::exp(-(s - len) / r);
}

}  // namespace synth
