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
