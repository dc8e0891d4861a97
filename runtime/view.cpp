// Viewport and perspective helpers the parts call, and the OpenGL state every
// part starts from.
#include "runtime/view.h"

#include "gl/gl_api.h"

#include <cmath>

#include "runtime/demo.h"

void set_perspective(double fovy, double aspect, double z_near, double z_far) {
    double ymax = z_near * std::tan(fovy * 3.1415926536 / 360.0);
    double xmax = ymax * aspect;
    glFrustum(-xmax, xmax, -ymax, ymax, z_near, z_far);
}

void set_viewport(int width, int height, int fov) {
    window_width = width;
    window_height = height;
    glViewport(0, 0, window_width, window_height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // Aspect 1, not 4:3: the 4:3 viewport stretches the picture sideways.
    set_perspective(fov, 1.0, 1.0, 300.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void set_flat_view() {
    glViewport(0, 0, window_width, window_height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-20.0, 20.0, -20.0, 20.0, -20.0, 20.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_LIGHTING);
    glDisable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
}

void init_gl_state() {
    glShadeModel(GL_SMOOTH);
    glClearColor(fog_colour[0], fog_colour[1], fog_colour[2], fog_colour[3]);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LINE_SMOOTH);
    glDepthFunc(GL_LEQUAL);
    glClearDepth(1.0);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_NORMALIZE);
    glDisable(GL_FOG);
    glFogi(GL_FOG_MODE, GL_EXP2);
    glFogf(GL_FOG_DENSITY, 0.008f);
    glFogfv(GL_FOG_COLOR, fog_colour);
    glCullFace(GL_BACK);
    glDisable(GL_CULL_FACE);
}
