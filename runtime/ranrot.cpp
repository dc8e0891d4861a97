// RANROT type W: each new 64-bit word is made from the words written 17 and
// 10 steps earlier, rotated and added with their 32-bit halves swapped.
#include "runtime/ranrot.h"

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

RanrotState ranrot_state;

namespace {
// Working cell of ranrot_float: an extended-precision number whose exponent
// is set once so that it lies in [1, 2).
long double float_scratch;

uint32_t rotl32(uint32_t x, int r) { return (x << r) | (x >> (32 - r)); }
} // namespace

void ranrot_init(int32_t seed) {
    RanrotState& s = ranrot_state;
    uint32_t x = static_cast<uint32_t>(seed);
    for (int i = 0; i < 34; ++i) {
        x = x * 2891336453u + 1u;
        s.buffer[i] = x;
    }
    float_scratch = 1.0L;
    s.p1 = 0;
    s.p2 = 80;
    std::memcpy(s.snapshot, s.buffer, sizeof s.buffer);
    std::memcpy(s.snapshot + 34, s.buffer, sizeof s.buffer);
    // Right after seeding the buffer equals its snapshot; this keeps the
    // self-test quiet for the first step.
    s.snapshot[0] += 1;
    ranrot_next();
    s.snapshot[0] -= 1;
    for (int i = 0; i < 30; ++i) ranrot_next();
}

uint64_t ranrot_next() {
    RanrotState& s = ranrot_state;
    uint32_t* x = s.buffer + s.p1 / 4;
    const uint32_t* y = s.buffer + s.p2 / 4;
    if (x[0] == s.snapshot[0] &&
        std::memcmp(s.buffer, s.snapshot + (34 - s.p1 / 4), sizeof s.buffer) == 0) {
        std::fprintf(stderr, "random: generator returned to its seeded state\n");
        std::exit(1);
    }
    uint32_t lo = rotl32(x[1], 27) + y[1];
    uint32_t hi = rotl32(x[0], 19) + y[0];
    x[0] = lo;
    x[1] = hi;
    s.p1 = s.p1 == 0 ? 128 : s.p1 - 8;
    s.p2 = s.p2 == 0 ? 128 : s.p2 - 8;
    return (static_cast<uint64_t>(hi) << 32) | lo;
}

long double ranrot_float() {
    uint64_t significand = ranrot_next() | (1ull << 63);
#if LDBL_MANT_DIG == 64
    // x87 extended format: the 64-bit significand sits in the low 8 bytes,
    // the exponent of [1, 2) stays as ranrot_init set it.
    std::memcpy(&float_scratch, &significand, sizeof significand);
#else
    float_scratch = std::ldexp(static_cast<long double>(significand), -63);
#endif
    return float_scratch - 1.0L;
}

int32_t ranrot_int(int32_t min, int32_t max) {
    uint64_t r = ranrot_next();
    int32_t d = static_cast<int32_t>(static_cast<uint32_t>(max) - static_cast<uint32_t>(min));
    if (d < 0) return INT32_MIN;
    uint64_t n = static_cast<uint64_t>(d) + 1;
    uint64_t top = static_cast<uint64_t>((static_cast<unsigned __int128>(r) * n) >> 64);
    return static_cast<int32_t>(static_cast<uint32_t>(min) + static_cast<uint32_t>(top));
}
