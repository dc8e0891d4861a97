// The show's random generator: a RANROT type W generator on 64-bit words,
// seeded once with 0 so every run draws the same sequence. Main thread only.
#pragma once
#include <cstdint>

struct RanrotState {
    uint32_t buffer[34];   // 17 words, low half first
    int32_t p1;            // byte offset of the word replaced next
    int32_t p2;            // byte offset of the second feeding word
    uint32_t snapshot[68]; // the seeded buffer, twice in a row
};

extern RanrotState ranrot_state;

void ranrot_init(int32_t seed);
uint64_t ranrot_next();
long double ranrot_float();
int32_t ranrot_int(int32_t min, int32_t max);
