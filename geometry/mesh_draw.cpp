// Immediate-mode mesh drawing with the room's blended overlay pass, and
// group drawing from the current interleaved array.
#include "gl/gl_api.h"

#include "geometry/draw.h"

void draw_mesh(const Mesh* mesh, int32_t normal_mode, int32_t use_colours, int32_t use_texcoords,
               int32_t only_group)
{
    const bool textured = mesh->texture_ids[0] != 0;
    if (textured) {
        glPushAttrib(GL_ENABLE_BIT);
        glEnable(GL_TEXTURE_2D);
    }
    int32_t base_face = 0;
    int32_t overlay_face = 0;
    for (int32_t g = 0; g < mesh->group_count; g++) {
        if (textured && only_group == 0)
            glBindTexture(GL_TEXTURE_2D, mesh->texture_ids[g]);
        glBegin(GL_TRIANGLES);
        for (int32_t k = 0; k < mesh->group_face_counts[g]; k++, base_face++) {
            if (only_group != 0 && only_group != g)
                continue;
            const int32_t f = base_face;
            for (int32_t c = 0; c < 3; c++) {
                const int32_t r = mesh->indices[3 * f + c];
                // Mode 1 lights the whole triangle with its first corner's normal.
                if ((c == 0 && normal_mode != 0) || normal_mode > 1)
                    glNormal3fv(mesh->normals + r);
                if (use_colours)
                    glColor4ubv(mesh->colours[r / 3]);
                if (use_texcoords)
                    glTexCoord2fv(mesh->texcoords + 6 * f + 2 * c);
                glVertex3fv(mesh->positions + r);
            }
        }
        glEnd();

        if (mesh->overlay_name_count == 0)
            continue;
        const int32_t overlay = mesh->overlay_index[g];
        if (overlay < 0) {
            overlay_face += mesh->group_face_counts[g];
            continue;
        }
        glPushAttrib(GL_LIGHTING_BIT);
        glDisable(GL_LIGHTING);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA_SATURATE, GL_ONE_MINUS_SRC_ALPHA);
        glBindTexture(GL_TEXTURE_2D, 200 + overlay);
        glColor4f(1.0f, 1.0f, 1.0f, 1.6f); // alpha above 1 saturates to 1
        glBegin(GL_TRIANGLES);
        for (int32_t k = 0; k < mesh->group_face_counts[g]; k++, overlay_face++)
            for (int32_t c = 0; c < 3; c++) {
                glTexCoord2fv(mesh->overlay_texcoords + 6 * overlay_face + 2 * c);
                glVertex3fv(mesh->positions + mesh->indices[3 * overlay_face + c]);
            }
        glEnd();
        glPopAttrib();
        glDisable(GL_BLEND);
    }
    if (textured)
        glPopAttrib();
}

bool mesh_group_range(const Mesh* mesh, int32_t group, int32_t* first, int32_t* count)
{
    int32_t sum = 0;
    for (int32_t g = 0; g < mesh->group_count; g++) {
        if (g == group) {
            *first = sum;
            *count = 3 * mesh->group_face_counts[g];
            return true;
        }
        sum += 3 * mesh->group_face_counts[g];
    }
    return false;
}

void draw_mesh_group(const Mesh* mesh, int32_t group)
{
    int32_t first, count;
    if (mesh_group_range(mesh, group, &first, &count))
        glDrawArrays(GL_TRIANGLES, first, count);
}
