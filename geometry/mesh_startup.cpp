// Start-up building of the room and the ring: meshes, smoothed normals and
// their textures (room 100 + g, room overlays 200 + k, ring 300 + g).
#include "gl/gl_api.h"
#include <cstdio>

#include "data/tables.h"
#include "geometry/mesh.h"
#include "geometry/normals.h"
#include "geometry/overlay.h"
#include "runtime/demo.h"
#include "runtime/images.h"

namespace {

void load_group_texture(const char* name, int32_t id)
{
    char path[8 + mesh_name_bytes];
    std::snprintf(path, sizeof path, "dats/%s", name);
    load_image(path, id);
}

void load_overlay_texture(const char* name, int32_t id)
{
    char path[8 + mesh_name_bytes];
    std::snprintf(path, sizeof path, "dats/%s", name);
    // A missing overlay leaves the previous image in the buffer; the texture
    // is built from that, as the room has always done.
    load_image(path, -1);
    if (int64_t(image_width) * image_height * 4 > work_buffer_bytes) {
        std::fprintf(stderr, "geometry: %s: overlay of %d x %d does not fit the RGBA buffer; skipped\n", path,
                     int(image_width), int(image_height));
        return;
    }
    make_overlay_pixels(image_pixels, rgba_pixels, image_width * image_height);
    glBindTexture(GL_TEXTURE_2D, id);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, image_width, image_height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 rgba_pixels);
}

} // namespace

void build_startup_meshes()
{
    build_mesh(room_table, &room_mesh, true);
    room_mesh.normals = new float[room_mesh.vertex_count * 3];
    compute_vertex_normals(room_mesh.indices, room_mesh.face_count, room_mesh.positions, room_mesh.normals,
                           room_mesh.vertex_count, 2);
    for (int32_t g = 0; g < room_mesh.group_count; g++) {
        load_group_texture(room_mesh.texture_names[g], 100 + g);
        room_mesh.texture_ids[g] = 100 + g;
        const int32_t k = room_mesh.overlay_index[g];
        if (k >= 0)
            load_overlay_texture(room_mesh.overlay_names[k], 200 + k);
    }

    build_mesh(ring_table, &ring_mesh, true);
    ring_mesh.normals = new float[ring_mesh.vertex_count * 3];
    compute_vertex_normals(ring_mesh.indices, ring_mesh.face_count, ring_mesh.positions, ring_mesh.normals,
                           ring_mesh.vertex_count, 2);
    interleave_mesh(&ring_mesh);
    for (int32_t g = 0; g < ring_mesh.group_count; g++) {
        load_group_texture(ring_mesh.texture_names[g], 300 + g);
        // Applies to whatever is bound when the image is missing.
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        ring_mesh.texture_ids[g] = 300 + g;
    }
}
