// Fog to black folded into the colour. Over a polygon at one eye depth, fog
// to black only scales the fragment colour by one factor, so unlit polygons
// there may be drawn with fog off and their colour scaled: the same picture,
// without the fog's work in every fragment.
#pragma once

// Whether the current state lets fog be folded into the colour: fog on,
// exponential squared, to black, from the fragment depth, lighting off (the
// colour is the vertex colour). *density gets the fog density.
bool fog_foldable(double* density);
// The fog factor at an eye-space depth: exp(-(density z)^2).
float fog_factor(double density, double eye_z);
// A colour component as fog leaves it: clamped to 0..1, then scaled.
float fog_colour_scale(float component, float factor);
// The eye-space depth of a polygon's corners under the current modelview
// matrix, when all of them lie at the same depth.
bool flat_eye_depth(const float (*corners)[3], int count, double* eye_z);
// For polygons at eye depth eye_z, where fog_foldable allows it: the current
// colour, clamped and scaled by the fog factor there, becomes the colour and
// fog goes off. Returns whether it did so, with the colour to give back to
// unfold_fog in saved.
bool fold_fog_into_colour(double eye_z, float saved[4]);
// Fog on again and the colour as it was.
void unfold_fog(const float saved[4]);
