// The music: a small synthesiser (kick, snare, hats, bass, pads, lead) playing
// a 120 BPM track whose sections change where the show's parts change, and
// its Ogg Vorbis encoding with libvorbisenc.
#include "databuild.h"

#include <ogg/ogg.h>
#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace databuild {

namespace {

constexpr double two_pi = 6.283185307179586;
constexpr double beat = 0.5;  // seconds; a bar of four beats is 2000 ms

// Section boundaries in seconds: intro, clip, title card, room, clip, tunnel,
// clip, title surface, greetings.
const double section_start[] = {0, 7, 23, 26, 46, 62, 76, 92, 107, music_seconds};
enum Section { intro, clip_a, card, room, clip_b, tunnel, clip_c, surface, greets };

struct Mix {
    std::vector<float> l, r;
    explicit Mix(size_t n) : l(n), r(n) {}
    void add(size_t i, float v, float pan) {  // pan -1..1
        if (i >= l.size()) return;
        l[i] += v * (float)std::sqrt(0.5 * (1 - pan));
        r[i] += v * (float)std::sqrt(0.5 * (1 + pan));
    }
};

size_t at(double t) { return (size_t)std::llround(t * music_rate); }

void kick(Mix& m, double t, float gain) {
    double phase = 0;
    for (int i = 0; i < music_rate * 0.4; ++i) {
        double s = (double)i / music_rate;
        double f = 45 + 110 * std::exp(-s * 30);
        phase += two_pi * f / music_rate;
        float v = (float)(std::sin(phase) * std::exp(-s * 7) * gain);
        m.add(at(t) + i, v, 0);
    }
}

void snare(Mix& m, double t, float gain, Rng& rng) {
    float lp = 0;
    for (int i = 0; i < music_rate * 0.25; ++i) {
        double s = (double)i / music_rate;
        float n = (float)rng.range(-1, 1);
        lp += (n - lp) * 0.5f;
        float v = (float)((0.7 * (n - lp) * std::exp(-s * 14) + 0.5 * std::sin(two_pi * 185 * s) * std::exp(-s * 25)) * gain);
        m.add(at(t) + i, v, 0.1f);
    }
}

void hat(Mix& m, double t, float gain, float pan, Rng& rng) {
    float prev = 0;
    for (int i = 0; i < music_rate * 0.06; ++i) {
        double s = (double)i / music_rate;
        float n = (float)rng.range(-1, 1);
        float hp = n - prev;
        prev = n;
        m.add(at(t) + i, (float)(hp * std::exp(-s * 60) * gain), pan);
    }
}

double note_hz(int midi) { return 440.0 * std::pow(2.0, (midi - 69) / 12.0); }

// Saw bass with a decaying low-pass sweep.
void bass(Mix& m, double t, double len, int midi, float gain) {
    double f = note_hz(midi), phase = 0;
    float lp = 0, lp2 = 0;
    int n = (int)(len * music_rate);
    for (int i = 0; i < n; ++i) {
        double s = (double)i / music_rate;
        phase += f / music_rate;
        phase -= std::floor(phase);
        float saw = (float)(2 * phase - 1);
        float cut = (float)(0.02 + 0.25 * std::exp(-s * 12));
        lp += (saw - lp) * cut;
        lp2 += (lp - lp2) * cut;
        float env = (float)(std::min(1.0, s * 200) * std::min(1.0, (len - s) * 100));
        m.add(at(t) + i, lp2 * env * gain, 0);
    }
}

// Pad chord: detuned saws, slow attack and release, voices spread in stereo.
void pad(Mix& m, double t, double len, const int* notes, int count, float gain) {
    int n = (int)((len + 0.6) * music_rate);
    for (int k = 0; k < count; ++k)
        for (int d = 0; d < 2; ++d) {
            double f = note_hz(notes[k]) * (d ? 1.004 : 0.996), phase = (k * 0.31 + d * 0.17);
            float lp = 0;
            float pan = (float)((k - (count - 1) / 2.0) * 0.35 + (d ? 0.2 : -0.2));
            for (int i = 0; i < n; ++i) {
                double s = (double)i / music_rate;
                phase += f / music_rate;
                phase -= std::floor(phase);
                float saw = (float)(2 * phase - 1);
                lp += (saw - lp) * 0.06f;
                double env = std::min(1.0, s / 0.5) * (s > len ? std::max(0.0, 1 - (s - len) / 0.6) : 1.0);
                m.add(at(t) + i, (float)(lp * env * gain / count), pan);
            }
        }
}

// Square lead with vibrato; the echo is added by the caller's delay line.
void lead(Mix& m, double t, double len, int midi, float gain, float pan) {
    double f = note_hz(midi), phase = 0;
    float lp = 0;
    int n = (int)(len * music_rate);
    for (int i = 0; i < n; ++i) {
        double s = (double)i / music_rate;
        phase += f * (1 + 0.004 * std::sin(two_pi * 5.5 * s)) / music_rate;
        phase -= std::floor(phase);
        float sq = phase < 0.5 ? 1.0f : -1.0f;
        lp += (sq - lp) * 0.18f;
        double env = std::min(1.0, s * 100) * std::exp(-s * 2.5) * std::min(1.0, (len - s) * 50);
        m.add(at(t) + i, (float)(lp * env * gain), pan);
    }
}

Section section_of(double t) {
    for (int k = 0; k < 9; ++k)
        if (t < section_start[k + 1]) return (Section)k;
    return greets;
}

}  // namespace

std::vector<float> synthesise_music() {
    size_t n = at(music_seconds) + music_rate;
    Mix m(n);
    Rng rng(2024);
    // A minor: Am, F, C, G, one chord a bar; the tunnel and the greetings use Dm, Am, E, Am too.
    const int roots_a[4] = {45, 41, 48, 43};
    const int roots_b[4] = {50, 45, 40, 45};
    const int chords_a[4][3] = {{57, 60, 64}, {53, 57, 60}, {55, 60, 64}, {55, 59, 62}};
    const int chords_b[4][3] = {{57, 62, 65}, {57, 60, 64}, {56, 59, 64}, {57, 60, 64}};
    const int scale[8] = {69, 72, 74, 76, 79, 81, 84, 76};
    int bars = (int)(music_seconds / (4 * beat));
    for (int bar = 0; bar < bars; ++bar) {
        double tb = bar * 4 * beat;
        // Each event belongs to the section its time falls in, so changes land
        // on the part boundaries even where those are not on a bar line.
        bool alt = section_of(tb) == tunnel || section_of(tb) == clip_c;
        const int* roots = alt ? roots_b : roots_a;
        int c = bar % 4;
        const int(*chords)[3] = alt ? chords_b : chords_a;
        for (int step = 0; step < 16; ++step) {
            double t = tb + step * beat / 4;
            Section s = section_of(t);
            bool drums = s != intro && s != card && s != surface;
            bool full = s == room || s == clip_c || s == greets;
            if (drums) {
                if (step % 4 == 0) kick(m, t, 0.9f);
                if (s == tunnel && step == 14) kick(m, t, 0.6f);
                if ((step == 4 || step == 12) && s != tunnel) snare(m, t, 0.45f, rng);
                if (step % 2 == 0 || full) hat(m, t, step % 4 == 2 ? 0.3f : 0.16f, step % 4 == 2 ? 0.3f : -0.3f, rng);
            }
            if (s != intro && s != card && step % 2 == 0) {
                int note = roots[c] - 12 + ((step % 8 == 6) ? 12 : 0);
                bass(m, t, beat / 2 * 0.9, note, s == surface ? 0.25f : 0.4f);
            }
            if ((full || s == surface) && step % 2 == 0) {
                Rng lr(bar * 131 + step);
                if (lr.uniform() < (s == surface ? 0.35 : 0.55)) {
                    int k = (bar * 3 + step / 2 * 5) % 8;
                    lead(m, t, beat * 0.45, scale[k] + (alt ? 2 : 0), 0.13f, (step % 4 ? 0.4f : -0.4f));
                    lead(m, t + 0.375, beat * 0.4, scale[k] + (alt ? 2 : 0), 0.05f, (step % 4 ? -0.5f : 0.5f));
                }
            }
        }
        // Pads: the section at the bar's start decides the chord; the title
        // card gets one long swell.
        Section s = section_of(tb);
        float pg = s == intro ? 0.5f : s == surface ? 0.45f : 0.3f;
        pad(m, tb, 4 * beat, chords[c], 3, pg);
    }
    // A rising noise sweep into each part change.
    for (int k = 1; k < 9; ++k) {
        double t1 = section_start[k], t0 = t1 - 1.5;
        float lp = 0;
        for (size_t i = at(t0); i < at(t1); ++i) {
            double u = (double)(i - at(t0)) / (at(t1) - at(t0));
            float nz = (float)rng.range(-1, 1);
            lp += (nz - lp) * (float)(0.02 + 0.5 * u);
            m.add(i, (float)(lp * u * u * 0.25), (float)std::sin(u * 12));
        }
    }
    // Fade over the last 14 s, then normalise to leave headroom for the codec.
    double fade0 = music_seconds - 14;
    std::vector<float> out(at(music_seconds) * 2);
    float peak = 0;
    for (size_t i = 0; i < out.size() / 2; ++i) {
        double t = (double)i / music_rate;
        float g = t < fade0 ? 1.0f : (float)std::max(0.0, 1 - (t - fade0) / 14.0);
        g *= (float)std::min(1.0, t / 0.05);
        out[2 * i] = std::tanh(m.l[i] * 0.8f) * g;
        out[2 * i + 1] = std::tanh(m.r[i] * 0.8f) * g;
        peak = std::max(peak, std::max(std::fabs(out[2 * i]), std::fabs(out[2 * i + 1])));
    }
    float k = peak > 0 ? 0.63f / peak : 1.0f;  // −4 dBFS before encoding
    for (float& v : out) v *= k;
    return out;
}

std::vector<uint8_t> encode_vorbis(const std::vector<float>& interleaved, const VorbisStream& stream,
                                   size_t* header_bytes) {
    const int channels = stream.channels;
    vorbis_info vi;
    vorbis_info_init(&vi);
    if (vorbis_encode_init_vbr(&vi, channels, stream.rate, stream.quality) != 0) {
        vorbis_info_clear(&vi);
        throw std::runtime_error("libvorbisenc refused the encoder settings");
    }
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    for (const auto& tag : stream.tags) vorbis_comment_add_tag(&vc, tag.first.c_str(), tag.second.c_str());
    vorbis_dsp_state vd;
    vorbis_block vb;
    vorbis_analysis_init(&vd, &vi);
    vorbis_block_init(&vd, &vb);
    ogg_stream_state os;
    ogg_stream_init(&os, stream.serial);
    std::vector<uint8_t> out;
    auto put = [&](const ogg_page& pg) {
        out.insert(out.end(), pg.header, pg.header + pg.header_len);
        out.insert(out.end(), pg.body, pg.body + pg.body_len);
    };
    ogg_packet h0, h1, h2;
    vorbis_analysis_headerout(&vd, &vc, &h0, &h1, &h2);
    ogg_stream_packetin(&os, &h0);
    ogg_stream_packetin(&os, &h1);
    ogg_stream_packetin(&os, &h2);
    ogg_page pg;
    while (ogg_stream_flush(&os, &pg)) put(pg);
    if (header_bytes) *header_bytes = out.size();
    const size_t frames = interleaved.size() / channels;
    size_t pos = 0;
    const size_t chunk = 4096;
    bool eos = false;
    while (!eos) {
        size_t count = std::min(chunk, frames - pos);
        if (count == 0) {
            vorbis_analysis_wrote(&vd, 0);
        } else {
            float** buf = vorbis_analysis_buffer(&vd, (int)count);
            for (size_t i = 0; i < count; ++i)
                for (int c = 0; c < channels; ++c) buf[c][i] = interleaved[channels * (pos + i) + c];
            vorbis_analysis_wrote(&vd, (int)count);
            pos += count;
        }
        while (vorbis_analysis_blockout(&vd, &vb) == 1) {
            vorbis_analysis(&vb, nullptr);
            vorbis_bitrate_addblock(&vb);
            ogg_packet op;
            while (vorbis_bitrate_flushpacket(&vd, &op)) {
                ogg_stream_packetin(&os, &op);
                while (stream.page_per_packet ? ogg_stream_flush(&os, &pg) : ogg_stream_pageout(&os, &pg)) {
                    put(pg);
                    if (ogg_page_eos(&pg)) eos = true;
                }
            }
        }
        if (count == 0) {
            while (ogg_stream_flush(&os, &pg)) put(pg);
            eos = true;
        }
    }
    ogg_stream_clear(&os);
    vorbis_block_clear(&vb);
    vorbis_dsp_clear(&vd);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
    return out;
}

std::vector<uint8_t> encode_vorbis(const std::vector<float>& stereo, int rate, float quality) {
    VorbisStream stream;
    stream.rate = rate;
    stream.quality = quality;
    stream.tags = {{"TITLE", "Vavurava Rive"}, {"ARTIST", "zug"}};
    try {
        return encode_vorbis(stereo, stream);
    } catch (const std::exception& e) {
        throw std::runtime_error(std::string("databuilder: dats/zad2.ogg: ") + e.what());
    }
}

}  // namespace databuild
