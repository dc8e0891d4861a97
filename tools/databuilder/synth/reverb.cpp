// The hall reverb: a feedback delay network of eight lines whose lengths
// share no factor, an orthogonal Hadamard mix, a low pass in each line for
// the air's damping, and left and right taken from two orthogonal sums.
#include "effects.h"

namespace synth {

namespace {
// In-place fast Walsh-Hadamard transform of eight values, scaled to keep energy.
void hadamard8(double* x) {
    for (int h = 1; h < 8; h *= 2)
        for (int i = 0; i < 8; i += 2 * h)
            for (int j = i; j < i + h; ++j) {
                double a = x[j], b = x[j + h];
                x[j] = a + b;
                x[j + h] = a - b;
            }
    const double k = 0.35355339059327373;  // 1 / sqrt(8)
    for (int i = 0; i < 8; ++i) x[i] *= k;
}

struct Allpass {
    std::vector<float> buf;
    size_t w = 0;
    double g;
    Allpass(size_t n, double g_) : buf(n), g(g_) {}
    double run(double x) {
        double z = buf[w];
        double v = x + g * z;
        buf[w] = (float)v;
        w = w + 1 == buf.size() ? 0 : w + 1;
        return z - g * v;
    }
};
}  // namespace

Bus reverb(const Bus& send, double rt60, double predelay) {
    const size_t lengths[8] = {1319, 1597, 1801, 2053, 2269, 2521, 2713, 3001};
    const double sign_l[8] = {1, -1, 1, -1, 1, -1, 1, -1};
    const double sign_r[8] = {1, 1, -1, -1, 1, 1, -1, -1};
    size_t n = send.size(), pre = sample_at(predelay) + 1;
    Bus out(n);
    std::vector<std::vector<float>> line(8);
    size_t pos[8] = {};
    double gain[8], damp[8] = {};
    for (int k = 0; k < 8; ++k) {
        line[k].assign(lengths[k], 0.0f);
        gain[k] = std::pow(10.0, -3.0 * lengths[k] / (rt60 * rate));
    }
    const double damp_k = 1 - std::exp(-2 * pi * 5200.0 / rate);
    std::vector<float> pre_l(pre), pre_r(pre);
    Allpass diffuse_l[2] = {Allpass(142, 0.6), Allpass(379, 0.6)};
    Allpass diffuse_r[2] = {Allpass(157, 0.6), Allpass(401, 0.6)};
    for (size_t i = 0, pw = 0; i < n; ++i, pw = (pw + 1 == pre ? 0 : pw + 1)) {
        double in_l = pre_l[pw], in_r = pre_r[pw];
        pre_l[pw] = send.l[i];
        pre_r[pw] = send.r[i];
        for (auto& a : diffuse_l) in_l = a.run(in_l);
        for (auto& a : diffuse_r) in_r = a.run(in_r);
        double x[8];
        double wet_l = 0, wet_r = 0;
        for (int k = 0; k < 8; ++k) {
            double y = line[k][pos[k]];
            damp[k] += (y - damp[k]) * damp_k;
            x[k] = damp[k] * gain[k];
            wet_l += y * sign_l[k];
            wet_r += y * sign_r[k];
        }
        hadamard8(x);
        for (int k = 0; k < 8; ++k) {
            line[k][pos[k]] = (float)(x[k] + (k % 2 ? in_r : in_l) * 0.5);
            pos[k] = pos[k] + 1 == lengths[k] ? 0 : pos[k] + 1;
        }
        out.l[i] = (float)(wet_l * 0.35);
        out.r[i] = (float)(wet_r * 0.35);
    }
    return out;
}

}  // namespace synth
