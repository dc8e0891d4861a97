// The score's notation read into events. A section's sixteenths are spread
// evenly between its start and the next section's start, so each section
// begins exactly on its part change and keeps its own bar lines.
#include "arrange.h"

#include <cctype>
#include <stdexcept>
#include <string>

namespace music {

namespace {

struct Chord {
    int beat, beats;
    int root;               // pitch class
    std::vector<int> intervals;
};

[[noreturn]] void bad(const Section& s, const std::string& what) {
    throw std::runtime_error(std::string("score: section \"") + s.name + "\": " + what);
}

int pitch_class(const Section& s, const std::string& text, size_t* pos) {
    static const int natural[7] = {9, 11, 0, 2, 4, 5, 7};  // a b c d e f g
    char c = (char)std::tolower((unsigned char)text[*pos]);
    if (c < 'a' || c > 'g') bad(s, "\"" + text + "\" does not start with a note name");
    int pc = natural[c - 'a'];
    ++*pos;
    if (*pos < text.size() && text[*pos] == '#') { ++pc; ++*pos; }
    else if (*pos < text.size() && text[*pos] == 'b') { --pc; ++*pos; }  // a flat
    return (pc + 12) % 12;
}

std::vector<Chord> parse_chords(const Section& s) {
    std::vector<Chord> out;
    std::string text = s.chords;
    int beat = 0;
    size_t i = 0;
    while (beat < s.beats) {
        if (i >= text.size()) i = 0;  // the progression repeats
        while (i < text.size() && text[i] == ' ') ++i;
        size_t end = text.find(' ', i);
        std::string token = text.substr(i, end == std::string::npos ? std::string::npos : end - i);
        i = end == std::string::npos ? text.size() : end;
        if (token.empty()) bad(s, "no chords");
        Chord c;
        size_t pos = 0;
        c.root = pitch_class(s, token, &pos);
        size_t colon = token.find(':');
        std::string quality = token.substr(pos, colon == std::string::npos ? std::string::npos : colon - pos);
        if (quality == "m") c.intervals = {0, 3, 7};
        else if (quality.empty()) c.intervals = {0, 4, 7};
        else if (quality == "sus4") c.intervals = {0, 5, 7};
        else bad(s, "unknown chord \"" + token + "\"");
        c.beats = colon == std::string::npos ? 4 : std::atoi(token.c_str() + colon + 1);
        if (c.beats <= 0) bad(s, "chord \"" + token + "\" has no length");
        c.beat = beat;
        beat += c.beats;
        out.push_back(c);
    }
    return out;
}

const Chord& chord_at(const std::vector<Chord>& chords, int step) {
    for (const Chord& c : chords)
        if (step < (c.beat + c.beats) * 4) return c;
    return chords.back();
}

// The lowest pitch at or above `low` with the pitch class pc.
int place(int pc, int low) { return low + ((pc - low) % 12 + 12) % 12; }

// Chord tones from the root upwards, index beyond the chord going up octaves.
int arp_tone(const Chord& c, int index) {
    int n = (int)c.intervals.size();
    return place(c.root, 57) + c.intervals[index % n] + 12 * (index / n);
}

// A shift by scale steps among A minor's notes (a third below is -2); a
// chromatic note keeps its distance above the scale note under it.
int shift_in_scale(int midi, int steps) {
    static const int scale[7] = {0, 2, 4, 5, 7, 9, 11};
    int octave = midi / 12, pc = midi % 12, degree = 0;
    for (int d = 6; d >= 0; --d)
        if (scale[d] <= pc) { degree = d; break; }
    int d = degree + steps;
    int up = d >= 0 ? d / 7 : -((6 - d) / 7);
    return (octave + up) * 12 + scale[d - up * 7] + (pc - scale[degree]);
}

std::string strip(const char* pattern) {
    std::string out;
    for (const char* p = pattern; *p; ++p)
        if (*p != ' ' && *p != '|') out += *p;
    return out;
}

struct Span {
    int g0, g1;  // sixteenths of the section, [g0, g1)
};

float level(const Layer& l, const Span& sp, int g) {
    if (l.gain_end < 0 || sp.g1 - sp.g0 <= 1) return l.gain;
    return l.gain + (l.gain_end - l.gain) * (float)(g - sp.g0) / (float)(sp.g1 - sp.g0 - 1);
}
float brightness(const Layer& l, const Span& sp, int g) {
    if (l.bright_end < 0 || sp.g1 - sp.g0 <= 1) return l.bright;
    return l.bright + (l.bright_end - l.bright) * (float)(g - sp.g0) / (float)(sp.g1 - sp.g0 - 1);
}

struct Builder {
    const Section& s;
    SectionTime time;
    std::vector<Chord> chords;
    std::vector<Event>& out;
    unsigned& seed;

    double at(int g) const { return time.start + g * time.step; }
    void push(Voice v, double t, double len, double midi, float vel, float pan, float bright, double from = -1) {
        Event e;
        e.voice = v;
        e.note.t = t;
        e.note.len = len;
        e.note.midi = midi;
        e.note.vel = vel;
        e.note.pan = pan;
        e.note.bright = bright;
        e.note.from_midi = from;
        e.seed = ++seed;
        out.push_back(e);
    }

    void drums(const Layer& l, const Span& sp) {
        std::string p = strip(l.pattern);
        if (p.empty()) bad(s, "an empty drum pattern");
        const double tom_hz[4] = {190, 150, 118, 92};
        const float tom_pan[4] = {0.45f, 0.15f, -0.15f, -0.45f};
        for (int g = sp.g0; g < sp.g1; ++g) {
            char c = p[(size_t)(g - sp.g0) % p.size()];
            if (c == '.') continue;
            float vel = c == 'X' ? 1.25f : c == 'o' ? 0.5f : 1.0f;
            if (l.voice == Voice::tom) {
                if (c < '1' || c > '4') bad(s, std::string("tom pattern \"") + l.pattern + "\" takes 1-4 and '.'");
                push(Voice::tom, at(g), 0, tom_hz[c - '1'], level(l, sp, g), tom_pan[c - '1'], 1);
                continue;
            }
            if (c != 'X' && c != 'x' && c != 'o') bad(s, std::string("drum pattern \"") + l.pattern + "\" takes X, x, o and '.'");
            float pan = l.voice == Voice::hat ? ((g % 4) == 2 ? 0.3f : -0.2f) : l.voice == Voice::open_hat ? -0.35f : 0;
            push(l.voice, at(g), 0, 0, vel * level(l, sp, g), pan, 1);
        }
    }

    // Bass and arpeggio figures: a character a sixteenth, '-' holds.
    void figure(const Layer& l, const Span& sp) {
        std::string p = strip(l.pattern);
        if (p.empty()) bad(s, "an empty figure");
        for (int g = sp.g0; g < sp.g1; ++g) {
            char c = p[(size_t)(g - sp.g0) % p.size()];
            if (c == '.' || c == '-') continue;
            int held = 1;
            while (g + held < sp.g1 && p[(size_t)(g + held - sp.g0) % p.size()] == '-') ++held;
            const Chord& ch = chord_at(chords, g);
            double midi;
            if (l.voice == Voice::bass) {
                int root = place(ch.root, 33);
                if (c == 'r') midi = root;
                else if (c == 'o') midi = root + 12;
                else if (c == 'f') midi = root + 7;
                else bad(s, std::string("bass figure \"") + l.pattern + "\" takes r, o, f, '-' and '.'");
            } else {
                if (c < '0' || c > '9') bad(s, std::string("arpeggio \"") + l.pattern + "\" takes 0-9, '-' and '.'");
                midi = arp_tone(ch, c - '0');
            }
            float pan = l.voice == Voice::arp ? (g % 2 ? 0.45f : -0.45f) : 0;
            double len = held * time.step * (l.voice == Voice::bass ? 0.92 : 0.6);
            push(l.voice, at(g), len, midi + s.transpose, level(l, sp, g), pan, brightness(l, sp, g));
        }
    }

    // Chords held for their length (pad) or struck in a rhythm (stab).
    void chordal(const Layer& l, const Span& sp) {
        std::string p = strip(l.pattern);
        for (int g = sp.g0; g < sp.g1; ++g) {
            const Chord& ch = chord_at(chords, g);
            int held = 0;
            if (l.voice == Voice::pad) {
                if (g != sp.g0 && g != ch.beat * 4) continue;
                while (g + held < sp.g1 && g + held < (ch.beat + ch.beats) * 4) ++held;
            } else {
                if (p.empty()) bad(s, "an empty stab rhythm");
                char c = p[(size_t)(g - sp.g0) % p.size()];
                if (c != 'x') continue;
                held = 1;
                while (g + held < sp.g1 && p[(size_t)(g + held - sp.g0) % p.size()] == '-') ++held;
            }
            for (size_t k = 0; k < ch.intervals.size(); ++k) {
                int midi = place((ch.root + ch.intervals[k]) % 12, 55) + s.transpose;
                push(l.voice, at(g), held * time.step, midi, level(l, sp, g) / (float)ch.intervals.size(),
                     k % 2 ? 0.5f : -0.5f, brightness(l, sp, g));
            }
            if (l.voice == Voice::pad)  // the root below, for weight
                push(l.voice, at(g), held * time.step, place(ch.root, 43) + s.transpose,
                     level(l, sp, g) * 0.5f, 0.5f, brightness(l, sp, g));
        }
    }

    void melody(const Layer& l, const Span& sp) {
        struct Tok { int midi; int len; bool glide; };
        std::vector<Tok> toks;
        std::string text = l.pattern;
        size_t i = 0;
        while (i < text.size()) {
            while (i < text.size() && (text[i] == ' ' || text[i] == '|')) ++i;
            if (i >= text.size()) break;
            size_t end = text.find_first_of(" |", i);
            std::string tok = text.substr(i, end == std::string::npos ? std::string::npos : end - i);
            i = end == std::string::npos ? text.size() : end;
            Tok t{-1, 0, false};
            size_t pos = 0;
            if (tok[0] == '~') { t.glide = true; pos = 1; }
            size_t colon = tok.find(':');
            if (colon == std::string::npos) bad(s, "note \"" + tok + "\" has no length");
            if (tok[pos] != 'r') {
                int pc = pitch_class(s, tok, &pos);
                if (pos >= colon || !std::isdigit((unsigned char)tok[pos])) bad(s, "note \"" + tok + "\" has no octave");
                t.midi = 12 * (std::atoi(tok.c_str() + pos) + 1) + pc;
            }
            t.len = std::atoi(tok.c_str() + colon + 1);
            if (t.len <= 0) bad(s, "note \"" + tok + "\" has no length");
            toks.push_back(t);
        }
        if (toks.empty()) bad(s, "an empty melody");
        int g = sp.g0, prev = -1;
        for (size_t k = 0; g < sp.g1; k = (k + 1) % toks.size()) {
            const Tok& t = toks[k];
            if (t.midi >= 0) {
                int midi = l.harmony ? shift_in_scale(t.midi, l.harmony) : t.midi;
                bool legato_next = toks[(k + 1) % toks.size()].glide;
                int steps = std::min(t.len, sp.g1 - g);
                double len = steps * time.step * (legato_next ? 1.02 : 0.85);
                float pan = l.voice == Voice::bell ? 0.25f : (l.harmony ? -0.2f : 0.0f);
                push(l.voice, at(g), len, midi + s.transpose, level(l, sp, g), pan, brightness(l, sp, g),
                     t.glide && prev >= 0 ? prev + s.transpose : -1);
                prev = midi;
            }
            g += t.len;
        }
    }
};

}  // namespace

SectionTime section_time(const std::vector<Section>& sections, size_t k) {
    const Section& s = sections[k];
    double end = k + 1 < sections.size() ? sections[k + 1].start : s.start + s.beats * 0.5;
    return {s.start, end, (end - s.start) / (s.beats * 4)};
}

std::vector<Event> arrange(const std::vector<Section>& sections) {
    std::vector<Event> out;
    unsigned seed = 0;
    for (size_t k = 0; k < sections.size(); ++k) {
        const Section& s = sections[k];
        Builder b{s, section_time(sections, k), parse_chords(s), out, seed};
        if (s.impact) {
            double t = s.start;
            b.push(Voice::kick, t, 0, 0, 1.15f, 0, 1);
            b.push(Voice::crash, t, 0, 0, 1.0f, 0, 1);
            b.push(Voice::impact, t, 0, 0, 0.9f, 0, 1);
        }
        int steps = s.beats * 4;
        for (const Layer& l : s.layers) {
            Span sp{std::max(0, l.from_bar * 16), std::min(steps, l.to_bar * 16)};
            if (sp.g0 >= sp.g1) bad(s, std::string("a layer outside the section: ") + l.pattern);
            switch (l.voice) {
            case Voice::bass: case Voice::arp: b.figure(l, sp); break;
            case Voice::pad: case Voice::stab: b.chordal(l, sp); break;
            case Voice::lead: case Voice::bell: b.melody(l, sp); break;
            case Voice::riser: b.push(Voice::riser, b.at(sp.g0), b.at(sp.g1) - b.at(sp.g0), 0, l.gain, 0, 1); break;
            default: b.drums(l, sp); break;
            }
        }
    }
    return out;
}

}  // namespace music
