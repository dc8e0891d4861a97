// Fog to black folded into the colour of unlit polygons at one eye depth.
#include "geometry/fog.h"

#include "gl/gl_api.h"

#include <cmath>

bool fog_foldable(double* density) {
    if (!glIsEnabled(GL_FOG) || glIsEnabled(GL_LIGHTING)) return false;
    GLint mode = 0, source = 0;
    glGetIntegerv(GL_FOG_MODE, &mode);
    glGetIntegerv(GL_FOG_COORD_SRC, &source);
    GLfloat colour[4] = {1, 1, 1, 1}, value = 0;
    glGetFloatv(GL_FOG_COLOR, colour);
    glGetFloatv(GL_FOG_DENSITY, &value);
    *density = value;
    return mode == GL_EXP2 && source == GL_FRAGMENT_DEPTH && colour[0] == 0 && colour[1] == 0 && colour[2] == 0;
}

float fog_factor(double density, double eye_z) {
    const double d = density * eye_z;
    return static_cast<float>(std::exp(-d * d));
}

float fog_colour_scale(float component, float factor) {
    return (component < 0.0f ? 0.0f : component > 1.0f ? 1.0f : component) * factor;
}

bool fold_fog_into_colour(double eye_z, float saved[4]) {
    double density = 0;
    if (!fog_foldable(&density)) return false;
    glGetFloatv(GL_CURRENT_COLOR, saved);
    const float fog = fog_factor(density, eye_z);
    glColor4f(fog_colour_scale(saved[0], fog), fog_colour_scale(saved[1], fog), fog_colour_scale(saved[2], fog),
              saved[3]);
    glDisable(GL_FOG);
    return true;
}

void unfold_fog(const float saved[4]) {
    glEnable(GL_FOG);
    glColor4fv(saved);
}

bool flat_eye_depth(const float (*corners)[3], int count, double* eye_z) {
    float m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    for (int i = 0; i < count; ++i) {
        const float* p = corners[i];
        const double z = double(m[2]) * p[0] + double(m[6]) * p[1] + double(m[10]) * p[2] + m[14];
        if (i > 0 && z != *eye_z) return false;
        *eye_z = z;
    }
    return count > 0;
}
