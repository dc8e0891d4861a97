// Measurements of a music file as a listener would judge it: where its power
// lies, how wide it is, whether stretches of it repeat, how hard its cuts hit,
// and its loudness (EBU R128, through libebur128).
#pragma once

#include <string>
#include <vector>

namespace analysis {

struct Track {
    int rate = 0;
    std::vector<float> l, r;
    double seconds() const { return rate ? (double)l.size() / rate : 0; }
};

// Decodes an Ogg Vorbis file with libvorbisfile; mono is copied to both
// sides. Throws std::runtime_error naming the file on failure.
Track decode_ogg(const std::string& path);

// Power spectra (both sides summed, or the mid alone) of Hann-windowed
// 4096-sample frames every 2048 samples: fft_size / 2 + 1 bins each.
struct Spectrogram {
    std::vector<std::vector<float>> frames;
    double frame_seconds = 0;
    double bin_hz = 0;
};
Spectrogram spectrogram(const Track& t, bool mid_only);

// Share of the track's power between lo and hi Hz, in dB of the total.
double band_share_db(const Track& t, double lo, double hi);
// Power of the side (L - R) over that of the mid (L + R).
double side_over_mid(const Track& t);

// The two most alike windows of `window` seconds that do not overlap, with
// starts every half second between from and to: the mean difference (dB) of
// their spectrograms in 24 bands from 50 Hz to 16 kHz, frame by frame.
struct WindowPair {
    double a = 0, b = 0, difference_db = 0;
};
WindowPair closest_windows(const Track& t, double from, double to, double window);

// Energy of the frame (1/60 s) starting at `at` against the mean energy of
// the bar (2 s) before it, in dB: how hard the music hits at a cut.
double accent_db(const Track& t, double at);

struct Loudness {
    double integrated_lufs, true_peak_dbtp, sample_peak;
};
Loudness loudness(const std::vector<float>& l, const std::vector<float>& r, int rate);
inline Loudness loudness(const Track& t) { return loudness(t.l, t.r, t.rate); }
// The part of a track from a to b seconds.
Track slice(const Track& t, double a, double b);

}  // namespace analysis
