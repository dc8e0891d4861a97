// The track: 120 beats a minute in A minor, one section for each part of the
// show and six for the finale, each pinned to the moment its part begins so
// that every cut lands on a downbeat with a hit. A bar is 2000 ms.
#include "score.h"

namespace music {

namespace {
using V = Voice;

Layer L(Voice v, const char* pattern, int from = 0, int to = 1000, float gain = 1, float gain_end = -1) {
    Layer l;
    l.voice = v;
    l.pattern = pattern;
    l.from_bar = from;
    l.to_bar = to;
    l.gain = gain;
    l.gain_end = gain_end;
    return l;
}
Layer sweep(Layer l, float bright, float bright_end) {
    l.bright = bright;
    l.bright_end = bright_end;
    return l;
}
Layer harmony(Layer l, int steps) {
    l.harmony = steps;
    return l;
}

// Drums.
const char* four = "x...x...x...x...";
const char* half_time = "x.........x.....";
const char* broken = "x.....x...x..x..";
const char* backbeat = "....x.......x...";
const char* snare_three = "........x.......";
const char* snare_broken = "....x..o....x.o.";
const char* hat_off = "..x...x...x...x.";
const char* hat_16 = "oxXxoxXxoxXxoxXx";
const char* hat_shuffle = "x.oxx.oxx.oxx.ox";
const char* on_one = "x...............";
const char* roll_2bars = "x.......x.......x...x...x...x...x.x.x.x.x.x.x.x.xxxxxxxxxxxxxxxx";
const char* fill_end = "........xxxxXXXX";
const char* toms_bar = "1.1.2.2.3.3.4.4.";
const char* toms_end = "........1.2.3344";
// Bass figures.
const char* bass_off = "..r-..r-..r-..r-";
const char* bass_roll = ".rrr.rrr.rrr.rrr";
const char* bass_octave = "r-o-r-o-r-o-r-o-";
const char* bass_half = "r-----r---r-r---";
const char* bass_broken = "r-----r---r--r--";
const char* bass_hold = "r---------------";
const char* bass_eighths = "r-r-r-r-r-r-r-r-";
// Arpeggios.
const char* arp_up = "0123012301230123";
const char* arp_wave = "0123432101234321";
const char* arp_five = "0123401234012340";
const char* arp_sparse = "0..2..1..3..2.1.";
// Melodies. The theme: a rising fourth and a 3-3-2 rhythm, answered.
const char* theme_a =
    "e5:3 a5:3 e5:2 g5:3 e5:3 d5:2 | c5:3 f5:3 c5:2 e5:4 d5:4 | e5:3 g5:3 c6:2 b5:3 g5:3 e5:2 | d5:3 e5:3 g5:2 e5:8 |"
    "e5:3 a5:3 b5:2 c6:3 b5:3 a5:2 | a5:3 f5:3 c5:2 f5:4 a5:4 | g5:3 e5:3 c5:2 g5:3 a5:3 g5:2 | b5:4 a5:2 g5:2 d5:8";
// The theme at its height: the same chords, running eighths up to the top.
const char* theme_high =
    "a5:2 c6:2 e6:2 c6:2 b5:2 a5:2 e5:4 | f5:2 a5:2 c6:2 a5:2 e6:4 d6:4 | e6:2 d6:2 c6:2 g5:2 e5:2 g5:2 c6:4 |"
    "b5:4 d6:4 g6:4 d6:4 | e6:6 d6:2 c6:4 b5:4 | a5:6 c6:2 f6:4 e6:4 | e6:4 g6:4 e6:4 c6:4 | d6:6 b5:2 g5:4 b5:4";
// A second, singing melody over C G Am F.
const char* theme_b =
    "g5:6 e5:2 ~d5:4 c5:4 | d5:6 b4:2 ~d5:4 g5:4 | e5:6 c5:2 ~b4:4 a4:4 | a4:4 c5:4 f5:4 e5:4 |"
    "g5:6 e5:2 ~d5:4 c5:4 | d5:6 g5:2 ~b5:4 a5:4 | a5:4 g5:4 e5:4 c5:4 | d5:6 c5:2 a4:8";
// The theme turned into an anthem over F G Em Am.
const char* theme_anthem =
    "a4:4 c5:2 a4:2 f4:4 a4:4 | b4:4 d5:2 b4:2 g4:4 b4:4 | g4:4 e4:2 g4:2 b4:4 e5:4 | c5:8 a4:4 e4:4 |"
    "f4:2 a4:2 c5:4 f5:4 e5:4 | d5:4 b4:2 g4:2 d5:4 g5:4 | e5:6 d5:2 c5:4 b4:4 | a4:16";
const char* bell_calls = "c6:2 a5:2 f5:4 r:8 | d6:2 b5:2 g5:4 r:8 | b5:2 g5:2 e5:4 r:4 b5:4 | c6:6 a5:2 e5:8";
const char* breakdown_song =
    "f5:4 e5:4 d5:4 a5:4 | c6:8 a5:4 f5:4 | g5:4 e5:4 c5:4 g5:4 | b5:8 d6:4 b5:4 |"
    "a5:4 f5:4 d5:4 f5:4 | a5:8 c6:4 a5:4 | g5:4 b5:4 d6:4 b5:4 | a#5:8 c#6:4 f#5:4";
const char* intro_bell = "e5:4 a5:4 b5:4 c6:4 | a5:8 f5:8 | g5:4 e5:4 d5:4 b4:4 | g#4:8";
const char* card_bell = "a5:3 c6:3 a5:2 g5:3 f5:3 e5:2 | d5:4 b4:4";
const char* outro_bell = "c6:8 a5:8 | d6:8 b5:8 | e5:4 a5:4 b5:4 c6:4 | b5:8 a5:8";
const char* last_bell = "a4:2 c5:2 e5:2 a5:26";

std::vector<Section> make_score() {
    std::vector<Section> s;
    // Part 1, the logo: a chord swell and the theme's first notes on a bell,
    // a riser and a snare roll into the first cut.
    s.push_back({"intro", 0.0, 14, 0, "Am F C:2 G:2 E:2", false, {
        sweep(L(V::pad, "", 0, 1000, 0.9f), 0.3f, 1.0f),
        L(V::bell, intro_bell, 0, 1000, 0.8f),
        L(V::bass, bass_hold, 1, 1000, 0.6f),
        L(V::riser, "", 2, 1000, 0.8f),
        L(V::snare, "xxxxxxxx", 3, 4, 0.3f, 0.9f),
    }});
    // Part 2, the first clip: the beat comes in; claps and the arpeggio join
    // halfway; a snare fill into the title card.
    s.push_back({"clip 1", 7.017, 32, 0, "Am F C G", true, {
        L(V::kick, four, 0, 7),
        L(V::kick, "x.......x.......", 7, 8),
        L(V::hat, hat_off, 0, 4, 0.8f),
        L(V::hat, hat_16, 4, 1000, 0.8f),
        L(V::clap, backbeat, 4, 7),
        L(V::bass, bass_off),
        L(V::pad, "", 0, 1000, 0.55f),
        sweep(L(V::arp, arp_up, 4, 1000, 0.8f), 0.5f, 1.0f),
        L(V::snare, fill_end, 7, 8, 0.4f, 0.7f),
        L(V::riser, "", 6, 1000, 0.5f),
    }});
    // Part 10, the title card: the drums stop; the hook on a bell over a swell.
    s.push_back({"title card", 23.000, 6, 0, "F G:2", true, {
        L(V::pad, "", 0, 1000, 1.1f),
        L(V::bell, card_bell, 0, 1000, 0.9f),
        L(V::bass, bass_hold, 0, 1000, 0.7f),
        L(V::riser, "", 0, 1000, 0.7f),
    }});
    // Part 3, the room: the theme on the lead; the camera sinks at bar 4 and
    // the arpeggio and open hats join; bars 8-9 build to the white flash, the
    // kick dropping out for the last bar.
    s.push_back({"room", 26.017, 40, 0, "Am F C G Am F C G Dm E", true, {
        L(V::kick, four, 0, 9),
        L(V::clap, backbeat, 0, 8),
        L(V::hat, hat_16, 0, 10),
        L(V::open_hat, hat_off, 4, 8, 0.7f),
        L(V::bass, bass_off, 0, 8),
        L(V::bass, bass_eighths, 8, 9),
        sweep(L(V::pad, "", 0, 1000, 0.7f), 0.8f, 1.2f),
        L(V::lead, theme_a, 0, 8),
        L(V::arp, arp_wave, 4, 10, 0.7f),
        L(V::snare, roll_2bars, 8, 10, 0.3f, 0.7f),
        L(V::riser, "", 8, 10, 0.6f),
        L(V::tom, toms_end, 9, 10, 0.7f),
    }});
    // Part 4, the second clip: half time and darker, F G Em Am; calls on the bell.
    s.push_back({"clip 2", 46.033, 32, 0, "F G Em Am", true, {
        L(V::kick, half_time),
        L(V::snare, snare_three),
        L(V::clap, snare_three, 4, 8, 0.7f),
        L(V::hat, hat_shuffle, 0, 1000, 0.8f),
        L(V::bass, bass_half),
        sweep(L(V::pad, "", 0, 1000, 0.6f), 0.5f, 0.9f),
        L(V::bell, bell_calls, 0, 1000, 0.8f),
        sweep(L(V::arp, arp_sparse, 4, 1000, 0.7f), 0.6f, 1.0f),
        L(V::tom, toms_bar, 7, 8, 0.8f),
        L(V::riser, "", 7, 8, 0.6f),
    }});
    // Part 5, the tunnel: a rolling bass in D minor; a cymbal on every
    // downbeat where the tunnel steps forward; a tom fill in the last bar.
    s.push_back({"tunnel", 62.017, 28, 0, "Dm Bb F C Dm Bb G", true, {
        L(V::kick, four),
        L(V::clap, backbeat, 0, 6),
        L(V::hat, hat_16, 0, 1000, 0.9f),
        L(V::ride, four, 0, 6, 0.7f),
        L(V::crash, on_one, 1, 6, 0.35f),
        L(V::bass, bass_roll),
        L(V::pad, "", 0, 1000, 0.45f),
        sweep(L(V::arp, arp_five, 0, 1000, 0.8f), 0.6f, 1.1f),
        L(V::tom, toms_bar, 6, 7),
        L(V::riser, "", 5, 7, 0.6f),
    }});
    // Part 7, the third clip: a broken beat in C major, the second melody;
    // the beat stops for a last bar of fill.
    s.push_back({"clip 3", 76.017, 32, 0, "C G Am F", true, {
        L(V::kick, broken, 0, 7),
        L(V::snare, snare_broken, 0, 7),
        L(V::hat, "x.x.x.x.x.x.x.X.", 0, 1000, 0.8f),
        L(V::open_hat, "..............x.", 0, 1000, 0.6f),
        L(V::bass, bass_broken, 0, 7),
        L(V::bass, bass_hold, 7, 8, 0.6f),
        sweep(L(V::pad, "", 0, 1000, 0.6f), 0.7f, 1.0f),
        sweep(L(V::lead, theme_b, 0, 1000, 0.8f), 0.6f, 0.8f),
        L(V::snare, fill_end, 7, 8, 0.4f, 0.6f),
    }});
    // Part 9, the title over the clip: a breakdown with the theme on the
    // bell, then the kick returns under a roll and a riser; a breath of two
    // beats with toms before the finale.
    s.push_back({"title surface", 92.000, 30, 0, "Am F C G Dm F G G:2", true, {
        L(V::pad, "", 0, 4, 1.0f),
        sweep(L(V::pad, "", 4, 1000, 0.9f), 0.6f, 1.4f),
        L(V::bell, theme_a, 0, 4, 0.9f),
        L(V::bass, bass_hold, 0, 4, 0.8f),
        L(V::bass, bass_eighths, 4, 7, 0.6f, 1.0f),
        L(V::hat, hat_off, 2, 7, 0.5f),
        L(V::kick, four, 4, 7, 0.7f, 1.0f),
        L(V::snare, roll_2bars, 5, 7, 0.3f, 0.7f),
        L(V::riser, "", 4, 1000, 0.7f),
        L(V::tom, "1.2.3344", 7, 8),
    }});
    // The finale: six sections over the rising greetings.
    // Lift: the groove and the arpeggio, the hook's first bars on the bell.
    s.push_back({"finale: lift", 107.017, 32, 0, "Am F C G", true, {
        L(V::kick, four),
        L(V::clap, backbeat),
        L(V::open_hat, hat_off, 0, 1000, 0.8f),
        L(V::bass, bass_off),
        L(V::pad, "", 0, 1000, 0.6f),
        sweep(L(V::arp, arp_up, 0, 1000, 0.9f), 0.6f, 1.2f),
        L(V::bell, "e5:3 a5:3 e5:2 g5:3 e5:3 d5:2 | r:48", 0, 1000, 0.7f),
        L(V::snare, fill_end, 7, 8, 0.5f, 1.0f),
    }});
    // Full: the theme on the lead, sixteenth hats, the bass in octaves.
    s.push_back({"finale: full", 123.017, 32, 0, "Am F C G", false, {
        L(V::crash, on_one, 0, 1),
        L(V::kick, four),
        L(V::clap, backbeat),
        L(V::snare, backbeat, 0, 1000, 0.5f),
        L(V::hat, hat_16),
        L(V::open_hat, hat_off, 0, 1000, 0.6f),
        L(V::bass, bass_octave),
        L(V::pad, "", 0, 1000, 0.7f),
        L(V::lead, theme_a),
        L(V::arp, arp_wave, 0, 1000, 0.5f),
        L(V::tom, toms_end, 7, 8),
    }});
    // Breakdown: no drums; a new song on the bell over Dm F C G; the kick
    // and a roll come back and the last chord, F#, turns the key to B minor.
    s.push_back({"finale: breakdown", 139.017, 32, 0, "Dm F C G Dm F G F#", true, {
        sweep(L(V::pad, "", 0, 1000, 1.0f), 0.5f, 1.4f),
        L(V::bell, breakdown_song, 0, 1000, 0.9f),
        L(V::bass, bass_hold, 0, 6, 0.8f),
        L(V::bass, bass_eighths, 6, 8, 0.7f, 1.0f),
        L(V::arp, arp_sparse, 2, 6, 0.6f),
        L(V::hat, hat_off, 4, 8, 0.4f, 0.8f),
        L(V::kick, four, 6, 8, 0.6f, 1.0f),
        L(V::snare, roll_2bars, 6, 8, 0.3f, 1.0f),
        L(V::riser, "", 6, 8, 1.0f),
    }});
    // Climax: the theme at its height, a tone higher in B minor, doubled a
    // third below; offbeat chords, rolling bass, eighth hats against an
    // offbeat ride, the arpeggio in fives.
    s.push_back({"finale: climax", 155.017, 32, 2, "Am F C G", true, {
        L(V::kick, "x...x...x...x.x."),
        L(V::clap, backbeat),
        L(V::snare, "....x.......x.oo", 0, 1000, 0.6f),
        L(V::hat, "x.x.x.x.x.x.x.x.", 0, 1000, 0.9f),
        L(V::ride, hat_off, 0, 1000, 0.8f),
        L(V::crash, on_one, 4, 5, 0.8f),
        L(V::bass, bass_roll),
        L(V::pad, "", 0, 1000, 0.4f),
        sweep(L(V::stab, "..x-..x-..x-..x-", 0, 1000, 0.9f), 0.8f, 1.3f),
        L(V::lead, theme_high),
        harmony(L(V::lead, theme_high, 0, 1000, 0.55f), -2),
        L(V::arp, arp_five, 0, 1000, 0.6f),
        L(V::tom, toms_end, 7, 8),
    }});
    // Anthem: F G Em Am in B minor, the theme reshaped into long lines in two
    // voices, chords struck in a syncopated rhythm, snare on the third beat.
    s.push_back({"finale: anthem", 171.017, 32, 2, "F G Em Am F G Am Am", false, {
        L(V::crash, on_one, 0, 1),
        L(V::crash, on_one, 4, 5, 0.7f),
        L(V::kick, four),
        L(V::snare, snare_three),
        L(V::clap, snare_three, 0, 1000, 0.8f),
        L(V::hat, "x.x.x.x.x.x.x.x.", 0, 1000, 0.9f),
        L(V::open_hat, hat_off, 4, 1000, 0.6f),
        L(V::bass, bass_octave),
        L(V::stab, "x..x..x...x..x..", 0, 1000, 0.8f),
        L(V::pad, "", 0, 1000, 0.5f),
        L(V::lead, theme_anthem),
        harmony(L(V::lead, theme_anthem, 0, 1000, 0.6f), 2),
        L(V::snare, fill_end, 7, 8, 0.5f, 1.0f),
    }});
    // Outro: the drums fall away; the hook slows down on the bell.
    s.push_back({"finale: outro", 187.017, 16, 2, "F G Am Am", true, {
        L(V::hat, hat_off, 0, 2, 0.5f, 0.2f),
        L(V::ride, four, 0, 2, 0.5f, 0.2f),
        sweep(L(V::pad, "", 0, 1000, 0.9f), 1.0f, 0.6f),
        L(V::bell, outro_bell, 0, 1000, 0.9f),
        L(V::bass, bass_hold, 0, 1000, 0.7f),
        sweep(L(V::arp, arp_wave, 0, 2, 0.6f, 0.2f), 0.8f, 0.4f),
        L(V::riser, "", 3, 4, 0.5f),
    }});
    // The last chord, struck once and left to ring as the greetings leave.
    s.push_back({"finale: ending", 195.017, 8, 2, "Am", true, {
        L(V::stab, "x-------........", 0, 1000, 1.2f),
        L(V::pad, "", 0, 1, 1.0f),
        L(V::bass, "r-------........", 0, 1000, 0.9f),
        L(V::bell, last_bell, 0, 1000, 0.9f),
    }});
    return s;
}
}  // namespace

const std::vector<Section>& score() {
    static const std::vector<Section> s = make_score();
    return s;
}

}  // namespace music
