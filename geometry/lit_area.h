// Where a textured polygon can change the picture. Drawn with fog to black
// and blending whose destination factor is GL_ONE, a fragment whose filtered
// texel is black adds exactly nothing, so the parts of a quad or a sprite
// that only sample black texels may be left out; and a layer hidden behind a
// nearer opaque one may be left out altogether.
#pragma once
#include <cstdint>

// The part of a texture's [0, 1] square outside which every linearly
// filtered sample is black: (s0, t0) to (s1, t1). Read back from the texture,
// so call it when a part begins, not every frame. The whole square for a
// texture without an image (drawn in plain colour); the whole of s (or t)
// where lit texels lie in the first or last column (row): they wrap round.
struct TextureBox {
    float s0, t0, s1, t1;
};
TextureBox texture_lit_box(uint32_t texture);

// A convex polygon in texture coordinates, inside [0, 1] squared, that holds
// every point where a texture's filtered samples are not black.
struct TextureOutline {
    int32_t count;     // corners, 3 to 8
    float st[8][2];
};
// The whole square, the outline of any texture.
TextureOutline whole_texture_outline();
// An octagon around the texture's lit texels, read back like texture_lit_box.
TextureOutline texture_lit_outline(uint32_t texture);

// Restricts drawing to the window rectangle around the part of a flat
// textured quad that can be lit: the quad has texture coordinate (0, 0) at
// origin, (1, 0) at s_end and (0, 1) at t_end (object space, current
// matrices and viewport). Enables the scissor test and returns true, or
// leaves it off and returns false where a corner lies behind the viewer.
// End with end_lit_scissor.
bool begin_lit_scissor(const float origin[3], const float s_end[3], const float t_end[3], const TextureBox& box);
void end_lit_scissor();
// One GL_QUADS quad with texture coordinates (0, 0) at origin, (0, 1) at
// t_end, (1, 1) opposite origin and (1, 0) at s_end, in that order, drawn
// within begin_lit_scissor's rectangle, with its fog folded into its colour
// where it can be (geometry/fog.h). For fog to black and blending onto the
// picture with destination factor GL_ONE only.
void draw_lit_quad(const float origin[3], const float s_end[3], const float t_end[3], const TextureBox& box);

// Whether the flat quad with these object-space corners (in order round
// its edge) covers the whole viewport under the current matrices, and the
// range of window depth over it.
bool quad_covers_viewport(const float corners[4][3], double* depth_min, double* depth_max);
