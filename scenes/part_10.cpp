// Part 10: the title card over the whole screen, fading in from black for
// three seconds before the room of part 3.
#include "gl/gl_api.h"

#include <cmath>

#include "runtime/clock.h"
#include "runtime/demo.h"
#include "runtime/view.h"
#include "scenes/parts.h"

namespace {
constexpr GLuint title_texture = 3008;
}

void enter_part_10() {
    part_start_time = demo_clock();
    current_part = 10;
}

void draw_part_10() {
    set_flat_view();
    glBindTexture(GL_TEXTURE_2D, title_texture);

    // Rises from 0 to 2 over two seconds; GL clamps the upper half to white,
    // so the card fades in during the first second and then holds.
    const double pi_f = static_cast<double>(3.14f);
    const double e = demo_clock() - part_start_time;
    const float c = static_cast<float>(std::cos(e * pi_f / 2000.0 + pi_f) + 1.0);
    glColor3f(c, c, c);
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(-20.0f, -20.0f);
    glTexCoord2f(0.0f, 1.0f);
    glVertex2f(-20.0f, 20.0f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex2f(20.0f, 20.0f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex2f(20.0f, -20.0f);
    glEnd();

    if (demo_clock() - part_start_time > 3000.0) enter_part_3();
}
