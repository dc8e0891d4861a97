// The pieces of the video parts' frame (bands and credits), declared for the
// tests until the scene header carries them.
#pragma once
#include <cstdint>

void draw_film_bands(int32_t edge);
void draw_credit_slides(int32_t lower_texture, int32_t upper_texture);
