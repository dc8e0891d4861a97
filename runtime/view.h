// Viewport, projection and the initial OpenGL state shared by every part.
#pragma once

void set_viewport(int width, int height, int fov);
void set_perspective(double fovy, double aspect, double z_near, double z_far);
void init_gl_state();
// The flat 40 x 40 view the full-screen parts draw in (clip and title card):
// orthographic, identity model-view, textured, no lighting, no blending.
void set_flat_view();
