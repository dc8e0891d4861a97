// Drum and effect voices: sine kicks and toms with falling pitch, snare and
// clap from tuned bodies and filtered noise, hats, ride and crash from six
// band-limited square waves at inharmonic ratios mixed with noise.
#include "drums.h"

namespace synth {

namespace {
// Inharmonic partials of a metal plate, in Hz.
const double metal_hz[6] = {205.3, 304.4, 369.6, 522.7, 540.0, 800.0};

struct Metal {
    Osc osc[6];
    double scale;
    explicit Metal(double scale_) : scale(scale_) {
        for (int k = 0; k < 6; ++k) osc[k].phase = 0.13 * k;
    }
    double next() {
        double v = 0;
        for (int k = 0; k < 6; ++k) v += osc[k].pulse(metal_hz[k] * scale / rate);
        return v / 6;
    }
};
}  // namespace

void kick(Bus& bus, double t, float vel) {
    size_t i0 = sample_at(t);
    int n = (int)(0.6 * rate);
    double phase = 0;
    Svf click;
    click.set(3500, 0.2);
    Noise noise(i0 | 1);
    Decay sweep(0.03), snap(0.006), body_env(0.32), click_env(0.004);
    for (int i = 0; i < n; ++i) {
        double s = (double)i / rate;
        double hz = 48 + 120 * sweep.next() + 60 * snap.next();
        phase += 2 * pi * hz / rate;
        double body = std::sin(phase) * body_env.next() * std::fmin(1.0, s * 2000);
        click.run(noise.next());
        double v = std::tanh(1.6 * body) * 0.9 + click.band * click_env.next() * 0.6;
        bus.add(i0 + i, (float)(v * vel), Pan(0));
    }
}

void snare(Bus& bus, double t, float vel, unsigned seed) {
    size_t i0 = sample_at(t);
    int n = (int)(0.45 * rate);
    Noise noise(seed);
    Svf f;
    f.set(4200, 0.15);
    double p1 = 0, p2 = 0;
    Decay bend(0.01), body_env(0.05), rattle_env(0.11);
    for (int i = 0; i < n; ++i) {
        double s = (double)i / rate;
        p1 += 2 * pi * (185 + 40 * bend.next()) / rate;
        p2 += 2 * pi * 330 / rate;
        double body = (std::sin(p1) * 0.8 + std::sin(p2) * 0.4) * body_env.next();
        f.run(noise.next());
        double rattle = (f.band * 1.4 + f.high * 0.5) * rattle_env.next();
        double v = (body + rattle) * std::fmin(1.0, s * 3000);
        bus.add(i0 + i, (float)(v * vel * 0.8), Pan(0.05f));
    }
}

void clap(Bus& bus, double t, float vel, unsigned seed) {
    size_t i0 = sample_at(t);
    int n = (int)(0.4 * rate);
    Noise nl(seed), nr(seed + 7);
    Svf fl, fr;
    fl.set(1300, 0.35);
    fr.set(1500, 0.35);
    for (int i = 0; i < n; ++i) {
        double s = (double)i / rate;
        // Three short bursts, then the room of the clap.
        double env = 0;
        for (int b = 0; b < 3; ++b) {
            double u = s - b * 0.011;
            if (u >= 0) env = std::fmax(env, std::exp(-u / 0.004));
        }
        if (s >= 0.022) env = std::fmax(env, 0.75 * std::exp(-(s - 0.022) / 0.09));
        fl.run(nl.next());
        fr.run(nr.next());
        bus.add(i0 + i, (float)(fl.band * env * vel * 1.8), (float)(fr.band * env * vel * 1.8));
    }
}

void hat(Bus& bus, double t, float vel, bool open, float pan, unsigned seed) {
    size_t i0 = sample_at(t);
    double tau = open ? 0.16 : 0.028;
    int n = (int)(tau * 7 * rate);
    Noise noise(seed);
    Metal metal(open ? 1.0 : 1.04);
    Svf hp, bp;
    hp.set(7000, 0.1);
    bp.set(10500, 0.3);
    Pan p(pan);
    Decay env(tau);
    for (int i = 0; i < n; ++i) {
        double s = (double)i / rate;
        bp.run(metal.next() * 0.8 + noise.next() * 0.5);
        hp.run(bp.band);
        double v = hp.high * env.next() * std::fmin(1.0, s * 4000);
        bus.add(i0 + i, (float)(v * vel * 1.4), p);
    }
}

void ride(Bus& bus, double t, float vel, unsigned seed) {
    size_t i0 = sample_at(t);
    int n = (int)(1.2 * rate);
    Noise noise(seed);
    Metal metal(1.9);
    Svf bp, hp;
    bp.set(6000, 0.45);
    hp.set(3500, 0.1);
    Pan p(0.35f);
    Decay ping(0.02), wash(0.35);
    for (int i = 0; i < n; ++i) {
        bp.run(metal.next() + noise.next() * 0.2);
        hp.run(bp.band);
        double v = hp.high * (0.6 * ping.next() + 0.4 * wash.next());
        bus.add(i0 + i, (float)(v * vel * 0.9), p);
    }
}

void tom(Bus& bus, double t, float vel, double hz, float pan) {
    size_t i0 = sample_at(t);
    int n = (int)(0.5 * rate);
    double phase = 0;
    Pan p(pan);
    Decay bend(0.04), env(0.16);
    for (int i = 0; i < n; ++i) {
        double s = (double)i / rate;
        phase += 2 * pi * hz * (1 + 0.5 * bend.next()) / rate;
        double v = std::tanh(1.3 * std::sin(phase)) * env.next() * std::fmin(1.0, s * 2000);
        bus.add(i0 + i, (float)(v * vel * 0.8), p);
    }
}

void crash(Bus& bus, double t, float vel, unsigned seed) {
    size_t i0 = sample_at(t);
    int n = (int)(3.2 * rate);
    Noise nl(seed), nr(seed * 3 + 1);
    Metal ml(2.6), mr(2.71);
    Svf hl, hr, bl, br;
    hl.set(4000, 0.1);
    hr.set(4200, 0.1);
    bl.set(7500, 0.2);
    br.set(8200, 0.2);
    Decay hit(0.05), wash(0.8);
    for (int i = 0; i < n; ++i) {
        double s = (double)i / rate;
        double env = (0.5 * hit.next() + 0.5 * wash.next()) * std::fmin(1.0, s * 1500);
        bl.run(ml.next() * 0.6 + nl.next());
        br.run(mr.next() * 0.6 + nr.next());
        hl.run(bl.band + bl.high * 0.4);
        hr.run(br.band + br.high * 0.4);
        bus.add(i0 + i, (float)(hl.high * env * vel), (float)(hr.high * env * vel));
    }
}

void impact(Bus& bus, double t, float vel, unsigned seed) {
    size_t i0 = sample_at(t);
    int n = (int)(2.5 * rate);
    double phase = 0;
    Noise noise(seed);
    Svf lp;
    lp.set(400, 0.1);
    Decay bend(0.15), boom_env(0.7), thud_env(0.12);
    for (int i = 0; i < n; ++i) {
        double s = (double)i / rate;
        phase += 2 * pi * (34 + 40 * bend.next()) / rate;
        double boom = std::sin(phase) * boom_env.next() * std::fmin(1.0, s * 800);
        lp.run(noise.next());
        double thud = lp.low * thud_env.next() * 1.5;
        bus.add(i0 + i, (float)(std::tanh(3 * (boom + thud)) * 0.8 * vel), Pan(0));
    }
}

void riser(Bus& bus, double t0, double t_end, float vel, unsigned seed) {
    size_t i0 = sample_at(t0), i1 = sample_at(t_end);
    Noise nl(seed), nr(seed + 11);
    Svf fl, fr;
    for (size_t i = i0; i < i1; ++i) {
        double u = (double)(i - i0) / (double)(i1 - i0);
        if ((i - i0) % 16 == 0) {
            double hz = 300 * std::pow(30.0, u);
            fl.set(hz, 0.55);
            fr.set(hz * 1.07, 0.55);
        }
        fl.run(nl.next());
        fr.run(nr.next());
        double env = u * u * vel;
        bus.add(i, (float)(fl.band * env), (float)(fr.band * env));
    }
}

void reverse_cymbal(Bus& bus, double t_end, double length, float vel, unsigned seed) {
    size_t i1 = sample_at(t_end), n = sample_at(length);
    if (n > i1) n = i1;
    Noise nl(seed), nr(seed + 5);
    Svf hl, hr;
    hl.set(5000, 0.15);
    hr.set(5300, 0.15);
    for (size_t k = 0; k < n; ++k) {
        size_t i = i1 - n + k;
        double left = (double)(n - k) / rate;  // seconds before the end
        double env = std::exp(-left / (length * 0.3)) * vel;
        hl.run(nl.next());
        hr.run(nr.next());
        bus.add(i, (float)(hl.high * env), (float)(hr.high * env));
    }
}

}  // namespace synth
