// The music: the score's events played by the synthesiser's voices into
// groups, each group ducked under the kick and sent to a shared echo and
// hall, then summed and mastered to its loudness under a true-peak ceiling.
#include "databuild.h"

#include <algorithm>

#include "arrange.h"
#include "synth/drums.h"
#include "synth/effects.h"
#include "synth/master.h"
#include "synth/voices.h"

namespace databuild {

namespace {
using music::Event;
using music::Voice;

// A mix channel: the voices it carries, its level, its sends, how deep it
// dips under each kick and whether it falls silent just before each hit.
struct Group {
    std::vector<Voice> voices;
    float gain, reverb, echo, duck;
    bool breath = true;
};

const Group groups[] = {
    {{Voice::kick}, 0.95f, 0.03f, 0.0f, 0.0f},
    {{Voice::snare, Voice::clap, Voice::tom}, 0.62f, 0.22f, 0.0f, 0.0f},
    {{Voice::hat, Voice::open_hat, Voice::ride, Voice::crash}, 0.5f, 0.08f, 0.0f, 0.0f},
    {{Voice::impact}, 1.0f, 0.3f, 0.0f, 0.0f, false},
    {{Voice::riser}, 0.4f, 0.3f, 0.0f, 0.0f},
    {{Voice::bass}, 0.5f, 0.0f, 0.0f, 0.6f},
    {{Voice::pad}, 0.42f, 0.45f, 0.0f, 0.55f},
    {{Voice::stab}, 0.5f, 0.3f, 0.2f, 0.3f},
    {{Voice::lead}, 0.36f, 0.28f, 0.22f, 0.15f},
    {{Voice::arp}, 0.34f, 0.22f, 0.35f, 0.4f},
    {{Voice::bell}, 0.42f, 0.45f, 0.25f, 0.0f},
};

void play(synth::Bus& bus, const Event& e) {
    const synth::Note& n = e.note;
    switch (e.voice) {
    case Voice::kick: synth::kick(bus, n.t, n.vel); break;
    case Voice::snare: synth::snare(bus, n.t, n.vel, e.seed); break;
    case Voice::clap: synth::clap(bus, n.t, n.vel, e.seed); break;
    case Voice::hat: synth::hat(bus, n.t, n.vel, false, n.pan, e.seed); break;
    case Voice::open_hat: synth::hat(bus, n.t, n.vel, true, n.pan, e.seed); break;
    case Voice::ride: synth::ride(bus, n.t, n.vel, e.seed); break;
    case Voice::crash: synth::crash(bus, n.t, n.vel, e.seed); break;
    case Voice::tom: synth::tom(bus, n.t, n.vel, n.midi, n.pan); break;
    case Voice::impact:
        synth::impact(bus, n.t, n.vel, e.seed);
        synth::clap(bus, n.t, n.vel, e.seed + 1);
        synth::reverse_cymbal(bus, n.t, 0.6, n.vel * 0.5f, e.seed + 2);
        break;
    case Voice::riser: synth::riser(bus, n.t, n.t + n.len, n.vel, e.seed); break;
    case Voice::bass: synth::bass(bus, n); break;
    case Voice::pad: synth::pad(bus, n); break;
    case Voice::stab: case Voice::arp: synth::pluck(bus, n); break;
    case Voice::lead: synth::lead(bus, n); break;
    case Voice::bell: synth::bell(bus, n); break;
    }
}

// How far each sample sits under the last kick: 1 at the kick, falling off
// over a tenth of a second, with a 4 ms ramp in so the dip never clicks.
std::vector<float> kick_pump(const std::vector<Event>& events, size_t n) {
    std::vector<float> pump(n, 0.0f);
    for (const Event& e : events) {
        if (e.voice != Voice::kick) continue;
        size_t i0 = synth::sample_at(e.note.t);
        for (size_t i = i0; i < n && i < i0 + synth::rate / 2; ++i) {
            double s = (double)(i - i0) / synth::rate;
            float v = (float)(std::min(1.0, s / 0.004) * std::exp(-s / 0.1));
            pump[i] = std::max(pump[i], v);
        }
    }
    return pump;
}

// The breath before each hit: the music falls by 17 dB over the last 150 ms
// and comes back with the hit, so the cut lands in a moment of silence.
std::vector<float> breaths(const std::vector<Event>& events, size_t n) {
    std::vector<float> gain(n, 1.0f);
    for (const Event& e : events) {
        if (e.voice != Voice::impact) continue;
        size_t cut = synth::sample_at(e.note.t), span = synth::sample_at(0.15);
        for (size_t i = cut > span ? cut - span : 0; i < cut && i < n; ++i) {
            double u = std::min(1.0, (double)(i + span - cut) / synth::sample_at(0.1));
            gain[i] = std::min(gain[i], (float)(1 - 0.86 * u * u));
        }
    }
    return gain;
}
}  // namespace

std::vector<float> synthesise_music() {
    const size_t n = synth::sample_at(music_seconds);
    const std::vector<Event> events = music::arrange(music::score());
    const std::vector<float> pump = kick_pump(events, n), breath = breaths(events, n);
    synth::Bus mix(n), reverb_send(n), echo_send(n), bus(n);
    for (const Group& g : groups) {
        std::fill(bus.l.begin(), bus.l.end(), 0.0f);
        std::fill(bus.r.begin(), bus.r.end(), 0.0f);
        for (const Event& e : events)
            if (std::find(g.voices.begin(), g.voices.end(), e.voice) != g.voices.end()) play(bus, e);
        for (size_t i = 0; i < n; ++i) {
            float k = g.gain * (1 - g.duck * pump[i]) * (g.breath ? breath[i] : 1.0f);
            bus.l[i] *= k;
            bus.r[i] *= k;
        }
        mix.mix(bus, 1);
        if (g.reverb > 0) reverb_send.mix(bus, g.reverb);
        if (g.echo > 0) echo_send.mix(bus, g.echo);
    }
    mix.mix(synth::reverb(reverb_send, 2.4, 0.025), 1);
    mix.mix(synth::ping_pong_delay(echo_send, 0.375, 0.4), 0.8f);
    // Nothing below the kick's fundamental: a 25 Hz high pass.
    synth::Svf hl, hr;
    hl.set(25, 0);
    hr.set(25, 0);
    for (size_t i = 0; i < n; ++i) {
        hl.run(mix.l[i]);
        hr.run(mix.r[i]);
        mix.l[i] = (float)hl.high;
        mix.r[i] = (float)hr.high;
    }
    synth::master(mix, -14.0, -2.0);
    // The last seconds fade the hall's tail to silence.
    const double fade = 1.5, fade0 = music_seconds - fade;
    std::vector<float> out(2 * n);
    for (size_t i = 0; i < n; ++i) {
        double t = (double)i / synth::rate;
        float g = t < fade0 ? 1.0f : (float)(0.5 + 0.5 * std::cos(synth::pi * std::min(1.0, (t - fade0) / fade)));
        out[2 * i] = mix.l[i] * g;
        out[2 * i + 1] = mix.r[i] * g;
    }
    return out;
}

}  // namespace databuild
