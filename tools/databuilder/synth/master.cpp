// Mastering: libebur128 measures (through music_analysis), our limiter shapes.
// The limiter's gain is the lowest needed over the next few milliseconds,
// released smoothly and averaged over the look-ahead so it ramps into each peak.
#include "master.h"

#include <algorithm>
#include <deque>

namespace synth {

namespace {
constexpr int taps = 16;         // per interpolation phase
constexpr int lookahead = 220;   // samples, 5 ms

// Windowed-sinc coefficients of the three points between two samples.
struct Interpolator {
    double h[3][taps];
    Interpolator() {
        for (int p = 1; p <= 3; ++p)
            for (int k = 0; k < taps; ++k) {
                double x = p / 4.0 - (k - taps / 2 + 1);
                double sinc = x == 0 ? 1 : std::sin(pi * x) / (pi * x);
                double w = 0.5 + 0.5 * std::cos(pi * x / (taps / 2));
                h[p - 1][k] = sinc * w;
            }
    }
    // The largest magnitude at sample i and the three points after it.
    double peak(const std::vector<float>& x, size_t i) const {
        double m = std::fabs(x[i]);
        for (int p = 0; p < 3; ++p) {
            double v = 0;
            for (int k = 0; k < taps; ++k) {
                long j = (long)i + k - taps / 2 + 1;
                if (j >= 0 && j < (long)x.size()) v += h[p][k] * x[(size_t)j];
            }
            m = std::max(m, std::fabs(v));
        }
        return m;
    }
};
}  // namespace

void limit_true_peak(Bus& bus, double ceiling_db) {
    const size_t n = bus.size();
    const double ceiling = std::pow(10.0, ceiling_db / 20);
    const double release = std::exp(-1.0 / (0.15 * rate));
    static const Interpolator interp;
    // Gain each sample needs, held at its lowest over the look-ahead window.
    std::vector<float> held(n);
    std::deque<std::pair<size_t, double>> window;  // increasing gains
    double released = 1;
    auto need = [&](size_t i) {
        double p = std::max(interp.peak(bus.l, i), interp.peak(bus.r, i));
        return p > ceiling ? ceiling / p : 1.0;
    };
    for (size_t i = 0; i < n + lookahead; ++i) {
        if (i < n) {
            double g = need(i);
            while (!window.empty() && window.back().second >= g) window.pop_back();
            window.emplace_back(i, g);
        }
        if (i < (size_t)lookahead) continue;
        size_t out = i - lookahead;
        while (window.front().first < out) window.pop_front();
        double target = window.front().second;
        released = std::min(target, 1 - (1 - released) * release);
        held[out] = (float)released;
    }
    // Average the held gain over the look-ahead before each sample: every
    // value averaged already covers that sample's need, so the ramp reaches
    // it by the peak without a step and never rises above it.
    std::vector<float> gain(n);
    double sum = lookahead;  // the window starts full of unity
    for (size_t i = 0; i < n; ++i) {
        sum += held[i] - (i >= (size_t)lookahead ? held[i - lookahead] : 1.0);
        gain[i] = (float)std::min<double>(held[i], sum / lookahead);
    }
    for (size_t i = 0; i < n; ++i) {
        bus.l[i] *= gain[i];
        bus.r[i] *= gain[i];
    }
}

analysis::Loudness master(Bus& bus, double target_lufs, double ceiling_db) {
    Bus dry = bus;
    double gain_db = target_lufs - analysis::loudness(bus.l, bus.r, rate).integrated_lufs;
    analysis::Loudness now{};
    for (int pass = 0; pass < 4; ++pass) {
        bus = dry;
        float g = db_gain(gain_db);
        for (size_t i = 0; i < bus.size(); ++i) {
            bus.l[i] *= g;
            bus.r[i] *= g;
        }
        limit_true_peak(bus, ceiling_db);
        now = analysis::loudness(bus.l, bus.r, rate);
        if (std::fabs(now.integrated_lufs - target_lufs) < 0.1) break;
        gain_db += target_lufs - now.integrated_lufs;
    }
    return now;
}

}  // namespace synth
