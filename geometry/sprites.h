// Camera-facing sprites, the shared sprite table and the random particle
// arrays filled at start-up.
#pragma once
#include <cstdint>

#include "geometry/lit_area.h"

union SpriteWord {
    int32_t i;
    float f;
};

struct Sprite {
    float x, y, z;
    float alpha; // 0..255
    SpriteWord aux[3];
    float r, g, b;
};

constexpr int32_t sprite_table_size = 1000;
extern Sprite sprite_table[sprite_table_size];
extern float scatter_positions[100][3];
extern float particle_phases[1000];
extern int32_t mirror_signs[3];

void billboard_matrix();
void draw_sprite(Sprite sprite);
// draw_sprite for each of `count` sprites in order, as one batch.
void draw_sprites(const Sprite* sprites, int32_t count);
// The same with each square cut down to the outline, a convex polygon in its
// texture coordinates outside which the sprite adds nothing to the picture
// (texture_lit_outline of the bound texture, with blending onto the picture).
void draw_sprites(const Sprite* sprites, int32_t count, const TextureOutline& outline);
void fill_particle_arrays();
