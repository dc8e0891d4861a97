// Camera-facing sprites: a 4 x 4 eye-space square at the sprite's centre,
// whatever rotation and scale the caller's matrix holds. Drawn one at a time
// or as a run in one batch, whole or cut to the outline of their lit part.
#include "gl/gl_api.h"

#include "geometry/fog.h"
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

namespace {

// A sprite's square in texture coordinates and its offset from the centre
// before the scale of 8: s and t from 0 to 1 across -0.25 to 0.25.
struct Corner {
    float s, t, x, y;
};

Corner corner_at(float s, float t) { return Corner{s, t, -0.25f + 0.5f * s, -0.25f + 0.5f * t}; }

// The same squares as draw_sprite gives each sprite in turn, in one batch:
// the matrix is the billboard one without its translation, and each centre
// goes into the vertices instead, divided by the scale. Dividing and
// multiplying by 8 is exact, so eye positions and normals (lighting, fog)
// are what one draw per sprite gives; only the final projection rounds a
// little differently. One batch instead of a matrix change and a draw per
// sprite is what makes the finale's sparks cheap on a software renderer.
//
// Each sprite lies at one eye depth, so unlit sprites under fog to black get
// the fog factor in their colour and are drawn with fog off (geometry/fog.h).
void draw_batch(const Sprite* sprites, int32_t count, const Corner* corners, int32_t corner_count)
{
    if (count <= 0)
        return;
    double fog_density = 0;
    const bool fold_fog = fog_foldable(&fog_density);
    if (fold_fog)
        glDisable(GL_FOG);
    float m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    glPushMatrix();
    glLoadIdentity();
    glScalef(8.0f, 8.0f, 8.0f);
    glBegin(GL_TRIANGLES);
    for (int32_t i = 0; i < count; i++) {
        const Sprite& s = sprites[i];
        // The centre in eye space, as glTranslatef leaves it in the matrix.
        const float cx = (m[0] * s.x + m[4] * s.y + m[8] * s.z + m[12]) / 8.0f;
        const float cy = (m[1] * s.x + m[5] * s.y + m[9] * s.z + m[13]) / 8.0f;
        const float cz = (m[2] * s.x + m[6] * s.y + m[10] * s.z + m[14]) / 8.0f;
        if (fold_fog) {
            // The vertices' eye depth is 8 cz (the scale of 8 is exact); the
            // colour is clamped before fog, as GL clamps it.
            const float fog = fog_factor(fog_density, 8.0 * double(cz));
            glColor4f(fog_colour_scale(s.r, fog), fog_colour_scale(s.g, fog), fog_colour_scale(s.b, fog),
                      float(s.alpha / 255.0));
        } else {
            glColor4f(s.r, s.g, s.b, float(s.alpha / 255.0));
        }
        for (int32_t k = 0; k < corner_count; k++) {
            glTexCoord2f(corners[k].s, corners[k].t);
            glVertex3f(cx + corners[k].x, cy + corners[k].y, cz);
        }
    }
    glEnd();
    glPopMatrix();
    if (fold_fog)
        glEnable(GL_FOG);
}

} // namespace

void draw_sprites(const Sprite* sprites, int32_t count)
{
    // The strip's two triangles, corners in the order the strip takes them.
    static const Corner square[6] = {corner_at(0, 0), corner_at(0, 1), corner_at(1, 0),
                                     corner_at(1, 0), corner_at(0, 1), corner_at(1, 1)};
    draw_batch(sprites, count, square, 6);
}

void draw_sprites(const Sprite* sprites, int32_t count, const TextureOutline& outline)
{
    const TextureOutline whole = whole_texture_outline();
    bool is_whole = outline.count == whole.count;
    for (int32_t k = 0; is_whole && k < whole.count; k++)
        is_whole = outline.st[k][0] == whole.st[k][0] && outline.st[k][1] == whole.st[k][1];
    if (is_whole) {
        draw_sprites(sprites, count);
        return;
    }
    // A fan from the first corner, wound clockwise like the square's
    // triangles (the outline runs counter-clockwise), so that face culling
    // treats both alike.
    Corner fan[3 * 6];
    int32_t n = 0;
    for (int32_t k = 1; k + 1 < outline.count; k++) {
        fan[n++] = corner_at(outline.st[0][0], outline.st[0][1]);
        fan[n++] = corner_at(outline.st[k + 1][0], outline.st[k + 1][1]);
        fan[n++] = corner_at(outline.st[k][0], outline.st[k][1]);
    }
    draw_batch(sprites, count, fan, n);
}
