// The music measurements: spectra with FFTW, loudness and true peak with
// libebur128, decoding with libvorbisfile.
#include "music_analysis.h"

#include <ebur128.h>
#include <fftw3.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace analysis {

namespace {
constexpr int fft_size = 4096, hop = 2048, bands = 24;

double frame_energy(const Track& t, size_t a, size_t b) {
    double e = 0;
    b = std::min(b, t.l.size());
    for (size_t i = a; i < b; ++i) e += 0.5 * ((double)t.l[i] * t.l[i] + (double)t.r[i] * t.r[i]);
    return b > a ? e / (double)(b - a) : 0;
}
}  // namespace

Spectrogram spectrogram(const Track& t, bool mid_only) {
    Spectrogram s;
    s.frame_seconds = (double)hop / t.rate;
    s.bin_hz = (double)t.rate / fft_size;
    float* in = fftwf_alloc_real(fft_size);
    fftwf_complex* out = fftwf_alloc_complex(fft_size / 2 + 1);
    fftwf_plan plan = fftwf_plan_dft_r2c_1d(fft_size, in, out, FFTW_ESTIMATE);
    std::vector<float> window(fft_size);
    for (int i = 0; i < fft_size; ++i) window[i] = (float)(0.5 - 0.5 * std::cos(2 * M_PI * i / fft_size));
    for (size_t start = 0; start + fft_size <= t.l.size(); start += hop) {
        std::vector<float> power(fft_size / 2 + 1, 0.0f);
        for (int side = 0; side < (mid_only ? 1 : 2); ++side) {
            for (int i = 0; i < fft_size; ++i) {
                float v = mid_only ? 0.5f * (t.l[start + i] + t.r[start + i]) : (side ? t.r : t.l)[start + i];
                in[i] = v * window[i];
            }
            fftwf_execute(plan);
            for (int k = 0; k <= fft_size / 2; ++k) power[k] += out[k][0] * out[k][0] + out[k][1] * out[k][1];
        }
        s.frames.push_back(std::move(power));
    }
    fftwf_destroy_plan(plan);
    fftwf_free(in);
    fftwf_free(out);
    return s;
}

Track decode_ogg(const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) throw std::runtime_error(path + ": cannot open: " + std::strerror(errno));
    OggVorbis_File vf;
    if (ov_open_callbacks(f, &vf, nullptr, 0, OV_CALLBACKS_DEFAULT) != 0) {
        std::fclose(f);
        throw std::runtime_error(path + ": not an Ogg Vorbis file");
    }
    Track t;
    vorbis_info* vi = ov_info(&vf, -1);
    t.rate = (int)vi->rate;
    int channels = vi->channels, section = 0;
    for (;;) {
        float** pcm = nullptr;
        long n = ov_read_float(&vf, &pcm, 4096, &section);
        if (n == OV_HOLE) continue;
        if (n < 0) {
            ov_clear(&vf);
            throw std::runtime_error(path + ": damaged audio data");
        }
        if (n == 0) break;
        for (long i = 0; i < n; ++i) {
            t.l.push_back(pcm[0][i]);
            t.r.push_back(pcm[channels > 1 ? 1 : 0][i]);
        }
    }
    ov_clear(&vf);
    return t;
}

double band_share_db(const Track& t, double lo, double hi) {
    Spectrogram s = spectrogram(t, false);
    double in_band = 0, total = 0;
    for (const auto& f : s.frames)
        for (int k = 1; k <= fft_size / 2; ++k) {
            double hz = (double)k * t.rate / fft_size;
            total += f[k];
            if (hz >= lo && hz < hi) in_band += f[k];
        }
    return 10 * std::log10(in_band / total);
}

double side_over_mid(const Track& t) {
    double side = 0, mid = 0;
    for (size_t i = 0; i < t.l.size(); ++i) {
        double m = t.l[i] + t.r[i], d = t.l[i] - t.r[i];
        mid += m * m;
        side += d * d;
    }
    return mid > 0 ? side / mid : 0;
}

WindowPair closest_windows(const Track& t, double from, double to, double window) {
    Spectrogram s = spectrogram(t, true);
    // Band levels in dB, floored 90 dB below full scale.
    std::vector<std::vector<float>> level(s.frames.size(), std::vector<float>(bands));
    const double floor_power = std::pow(10.0, -9.0) * fft_size * fft_size;
    for (size_t f = 0; f < s.frames.size(); ++f)
        for (int b = 0; b < bands; ++b) {
            double lo = 50 * std::pow(320.0, (double)b / bands), hi = 50 * std::pow(320.0, (double)(b + 1) / bands);
            double p = 0;
            for (int k = (int)std::ceil(lo * fft_size / t.rate); k < hi * fft_size / t.rate && k <= fft_size / 2; ++k)
                p += s.frames[f][k];
            level[f][b] = (float)(10 * std::log10(p + floor_power));
        }
    const size_t span = (size_t)(window / s.frame_seconds);
    WindowPair best{0, 0, 1e9};
    to = std::min(to, t.seconds());
    for (double a = from; a + window <= to; a += 0.5)
        for (double b = a + window; b + window <= to; b += 0.5) {
            size_t fa = (size_t)(a / s.frame_seconds), fb = (size_t)(b / s.frame_seconds);
            if (fb + span > level.size()) continue;
            double sum = 0;
            for (size_t k = 0; k < span; ++k)
                for (int band = 0; band < bands; ++band) sum += std::fabs(level[fa + k][band] - level[fb + k][band]);
            double d = sum / (span * bands);
            if (d < best.difference_db) best = {a, b, d};
        }
    return best;
}

double accent_db(const Track& t, double at) {
    size_t cut = (size_t)std::llround(at * t.rate), frame = (size_t)(t.rate / 60), bar = (size_t)(2 * t.rate);
    if (cut < bar || cut + frame > t.l.size()) throw std::runtime_error("accent: the time is outside the track");
    double hit = frame_energy(t, cut, cut + frame), before = frame_energy(t, cut - bar, cut - frame);
    return 10 * std::log10((hit + 1e-12) / (before + 1e-12));
}

Track slice(const Track& t, double a, double b) {
    Track out;
    out.rate = t.rate;
    size_t i = std::min(t.l.size(), (size_t)(std::max(0.0, a) * t.rate));
    size_t j = std::min(t.l.size(), (size_t)(std::max(a, b) * t.rate));
    out.l.assign(t.l.begin() + i, t.l.begin() + j);
    out.r.assign(t.r.begin() + i, t.r.begin() + j);
    return out;
}

Loudness loudness(const std::vector<float>& l, const std::vector<float>& r, int rate) {
    ebur128_state* st = ebur128_init(2, (unsigned long)rate, EBUR128_MODE_I | EBUR128_MODE_TRUE_PEAK);
    if (!st) throw std::runtime_error("libebur128 could not start a measurement");
    Loudness out{-70, -120, 0};
    std::vector<float> frames(2 * 8192);
    for (size_t i = 0; i < l.size(); i += 8192) {
        size_t n = std::min<size_t>(8192, l.size() - i);
        for (size_t k = 0; k < n; ++k) {
            frames[2 * k] = l[i + k];
            frames[2 * k + 1] = r[i + k];
            out.sample_peak = std::max(out.sample_peak, (double)std::max(std::fabs(l[i + k]), std::fabs(r[i + k])));
        }
        ebur128_add_frames_float(st, frames.data(), n);
    }
    ebur128_loudness_global(st, &out.integrated_lufs);
    double peak = 0;
    for (unsigned c = 0; c < 2; ++c) {
        double p = 0;
        ebur128_true_peak(st, c, &p);
        peak = std::max(peak, p);
    }
    if (peak > 0) out.true_peak_dbtp = 20 * std::log10(peak);
    ebur128_destroy(&st);
    return out;
}

}  // namespace analysis
