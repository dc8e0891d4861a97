// Turns an embedded MeshTable byte stream into a Mesh, and builds the
// interleaved T2F_N3F_V3F array the tunnel draws from.
#include "geometry/mesh.h"

#include <cstring>

Mesh room_mesh;
Mesh ring_mesh;

namespace {

// Little-endian readers over an unaligned byte stream.
int32_t read_i32(const uint8_t*& p)
{
    uint32_t v = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    p += 4;
    return int32_t(v);
}

int16_t read_i16(const uint8_t*& p)
{
    uint16_t v = uint16_t(p[0] | p[1] << 8);
    p += 2;
    return int16_t(v);
}

float read_f32(const uint8_t*& p)
{
    uint32_t bits = uint32_t(read_i32(p));
    float v;
    std::memcpy(&v, &bits, 4);
    return v;
}

void copy_name(char* slot, const uint8_t*& p)
{
    // The record is 100 bytes; only the text up to its NUL is meaningful.
    std::memset(slot, 0, mesh_name_bytes);
    std::memcpy(slot, p, 99);
    p += 100;
}

} // namespace

void build_mesh(const uint8_t* table, Mesh* mesh, bool has_names)
{
    const uint8_t* p = table;
    mesh->group_count = read_i32(p);
    mesh->vertex_count = read_i32(p);
    mesh->face_count = read_i32(p);
    const int32_t vertex_values = mesh->vertex_count * 3;
    const int32_t corner_count = mesh->face_count * 3;

    int16_t* raw_vertices = new int16_t[vertex_values];
    for (int32_t i = 0; i < vertex_values; i++)
        raw_vertices[i] = read_i16(p);

    mesh->colours = new uint8_t[mesh->vertex_count][4]();
    int16_t* raw_corners = new int16_t[corner_count];
    int32_t corner_at = 0;
    for (int32_t g = 0; g < mesh->group_count; g++) {
        int32_t faces = read_i32(p);
        mesh->group_face_counts[g] = faces;
        uint8_t colour[4] = {p[0], p[1], p[2], p[3]};
        p += 4;
        for (int32_t c = 0; c < faces * 3; c++) {
            int16_t r = read_i16(p);
            raw_corners[corner_at++] = r;
            // A vertex used by several groups keeps the last group's colour.
            std::memcpy(mesh->colours[r / 3], colour, 4);
        }
    }

    mesh->texcoords = nullptr;
    mesh->overlay_texcoords = nullptr;
    uint8_t texcoord_mode = *p++;
    if (texcoord_mode != 0) {
        mesh->texcoords = new float[mesh->face_count * 6];
        for (int32_t i = 0; i < mesh->face_count * 6; i++)
            mesh->texcoords[i] = float(read_i16(p) / 100.0);
    }

    mesh->positions = new float[vertex_values];
    for (int32_t i = 0; i < vertex_values; i++)
        mesh->positions[i] = float(raw_vertices[i] / 100.0);

    mesh->indices = new int32_t[corner_count];
    for (int32_t i = 0; i < corner_count; i++)
        mesh->indices[i] = raw_corners[i];

    p += 12;

    if (has_names)
        for (int32_t g = 0; g < mesh->group_count; g++)
            copy_name(mesh->texture_names[g], p);

    if (texcoord_mode == 2) {
        mesh->overlay_name_count = read_i32(p);
        for (int32_t g = 0; g < mesh->group_count; g++)
            mesh->overlay_index[g] = read_i32(p);
        mesh->overlay_texcoords = new float[mesh->face_count * 6];
        for (int32_t i = 0; i < mesh->face_count * 6; i++)
            mesh->overlay_texcoords[i] = read_f32(p);
        // Records exist only for groups that have an overlay, and each names
        // the overlay image by that group's number.
        for (int32_t g = 0; g < mesh->group_count; g++)
            if (mesh->overlay_index[g] != -1) {
                const int32_t k = mesh->overlay_index[g];
                if (k >= 0 && k < mesh_max_groups)
                    copy_name(mesh->overlay_names[k], p);
                else
                    p += 100;
            }
    } else {
        mesh->overlay_name_count = 0;
        for (int32_t g = 0; g < mesh_max_groups; g++)
            mesh->overlay_index[g] = -1;
    }

    delete[] raw_vertices;
    delete[] raw_corners;
}

void interleave_mesh(Mesh* mesh)
{
    mesh->interleaved = new float[mesh->face_count * 24];
    for (int32_t f = 0; f < mesh->face_count; f++)
        for (int32_t c = 0; c < 3; c++) {
            const int32_t r = mesh->indices[3 * f + c];
            float* out = mesh->interleaved + 24 * f + 8 * c;
            out[0] = mesh->texcoords[6 * f + 2 * c];
            out[1] = mesh->texcoords[6 * f + 2 * c + 1];
            out[2] = mesh->normals[r];
            out[3] = mesh->normals[r + 1];
            out[4] = mesh->normals[r + 2];
            out[5] = mesh->positions[r];
            out[6] = mesh->positions[r + 1];
            out[7] = mesh->positions[r + 2];
        }
}
