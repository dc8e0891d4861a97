// Camera-facing sprites: a 4 x 4 eye-space square at the sprite's centre,
// whatever rotation and scale the caller's matrix holds.
#include <GL/gl.h>

#include "geometry/sprites.h"

Sprite sprite_table[sprite_table_size];

void billboard_matrix()
{
    float m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    for (int column = 0; column < 3; column++)
        for (int row = 0; row < 3; row++)
            m[column * 4 + row] = column == row ? 1.0f : 0.0f;
    glLoadMatrixf(m);
}

void draw_sprite(Sprite sprite)
{
    glPushMatrix();
    glTranslatef(sprite.x, sprite.y, sprite.z);
    billboard_matrix();
    glColor4f(sprite.r, sprite.g, sprite.b, float(sprite.alpha / 255.0));
    glScalef(8.0f, 8.0f, 8.0f);
    glBegin(GL_TRIANGLE_STRIP);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(-0.25f, -0.25f, 0.0f);
    glTexCoord2f(0.0f, 1.0f);
    glVertex3f(-0.25f, 0.25f, 0.0f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex3f(0.25f, -0.25f, 0.0f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex3f(0.25f, 0.25f, 0.0f);
    glEnd();
    glPopMatrix();
}
