// The random generator: seeding, its positions, an independent model of the
// sequence, and the integer and float draws at their edges.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <vector>

#include "runtime/ranrot.h"

namespace {
// The same generator written as a sequence: word n is made from words n-17
// and n-10, with a rotate-and-add on swapped halves.
struct SequenceModel {
    std::vector<uint64_t> words;
    explicit SequenceModel(uint32_t seed) {
        uint32_t x = seed;
        uint32_t v[34];
        for (auto& value : v) value = x = x * 2891336453u + 1u;
        // Buffer word k holds v[2k] (low) and v[2k+1] (high); the first step
        // replaces word 0 and reads word 10, walking downwards, so the word
        // written "17 steps ago" for step j is buffer word (-j mod 17).
        for (int step = 0; step < 17; ++step) {
            int k = (17 - step) % 17;
            words.push_back((uint64_t(v[2 * k + 1]) << 32) | v[2 * k]);
        }
        for (int i = 0; i < 31; ++i) next();
    }
    static uint32_t rotl(uint32_t x, int r) { return (x << r) | (x >> (32 - r)); }
    uint64_t next() {
        size_t n = words.size();
        uint64_t a = words[n - 17], b = words[n - 10];
        uint32_t lo = rotl(uint32_t(a >> 32), 27) + uint32_t(b >> 32);
        uint32_t hi = rotl(uint32_t(a), 19) + uint32_t(b);
        uint64_t w = (uint64_t(hi) << 32) | lo;
        words.push_back(w);
        return w;
    }
};
} // namespace

TEST(RandomGenerator, SeedZeroFillsTheBufferFromTheLinearRecurrence) {
    ranrot_init(0);
    // The first step overwrote word 0, so check the snapshot.
    EXPECT_EQ(ranrot_state.snapshot[0], 1u);
    EXPECT_EQ(ranrot_state.snapshot[1], 2891336453u + 1u);
    uint32_t x = 0;
    for (int i = 0; i < 34; ++i) {
        x = x * 2891336453u + 1u;
        EXPECT_EQ(ranrot_state.snapshot[i], x);
        EXPECT_EQ(ranrot_state.snapshot[34 + i], x);
    }
}

TEST(RandomGenerator, PositionsAfterSeedingAreWordsThreeAndThirteen) {
    ranrot_init(0);
    EXPECT_EQ(ranrot_state.p1, 24);
    EXPECT_EQ(ranrot_state.p2, 104);
}

TEST(RandomGenerator, MatchesTheSequenceModelOverTwentyThousandDraws) {
    for (int32_t seed : {0, 1, -7, 123456}) {
        ranrot_init(seed);
        SequenceModel model(static_cast<uint32_t>(seed));
        for (int i = 0; i < 20000; ++i) ASSERT_EQ(ranrot_next(), model.next()) << "seed " << seed << " draw " << i;
    }
}

TEST(RandomGenerator, IntegerDrawCoversMinusFortyToFortyAndNothingElse) {
    ranrot_init(0);
    std::set<int32_t> seen;
    for (int i = 0; i < 20000; ++i) {
        int32_t v = ranrot_int(-40, 40);
        ASSERT_GE(v, -40);
        ASSERT_LE(v, 40);
        seen.insert(v);
    }
    EXPECT_EQ(seen.size(), 81u);
}

TEST(RandomGenerator, IntegerDrawIsTheTopOfTheNinetySixBitProduct) {
    ranrot_init(5);
    SequenceModel model(5);
    for (int i = 0; i < 1000; ++i) {
        uint64_t r = model.next();
        int32_t expected = int32_t(-1000 + int64_t((static_cast<unsigned __int128>(r) * 2001) >> 64));
        ASSERT_EQ(ranrot_int(-1000, 1000), expected);
    }
}

TEST(RandomGenerator, IntegerDrawEdges) {
    ranrot_init(0);
    EXPECT_EQ(ranrot_int(7, 7), 7);
    // The full range: n = 2^32 does not fit, d is negative as a 32-bit value.
    EXPECT_EQ(ranrot_int(INT32_MIN, INT32_MAX), INT32_MIN);
    int32_t v = ranrot_int(INT32_MAX - 1, INT32_MAX);
    EXPECT_TRUE(v == INT32_MAX - 1 || v == INT32_MAX);
}

TEST(RandomGenerator, InvertedIntervalReturnsTheErrorValueAndStillConsumesAStep) {
    ranrot_init(0);
    SequenceModel model(0);
    EXPECT_EQ(ranrot_int(5, 4), INT32_MIN);
    model.next();
    EXPECT_EQ(ranrot_next(), model.next());
}

TEST(RandomGenerator, FloatIsTheLowSixtyThreeBitsOverTwoToTheSixtyThree) {
    ranrot_init(0);
    SequenceModel model(0);
    for (int i = 0; i < 5000; ++i) {
        uint64_t r = model.next();
        long double expected = static_cast<long double>(r & ~(1ull << 63)) / 9223372036854775808.0L;
        long double f = ranrot_float();
        ASSERT_EQ(f, expected);
        ASSERT_GE(f, 0.0L);
        ASSERT_LT(f, 1.0L);
    }
}
