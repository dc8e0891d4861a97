// Meshes built from the embedded tables: positions, per-corner texture
// coordinates, smoothed normals, per-vertex colours and group textures.
#pragma once
#include <cstdint>

constexpr int32_t mesh_max_groups = 100;
constexpr int32_t mesh_name_bytes = 255;

struct Mesh {
    int32_t texture_ids[mesh_max_groups];
    int32_t vertex_count;
    int32_t face_count;
    int32_t group_count;
    float* positions;
    float* texcoords;
    float* overlay_texcoords;
    float* normals;
    int32_t* indices;
    float* interleaved;
    uint8_t (*colours)[4];
    char texture_names[mesh_max_groups][mesh_name_bytes];
    int32_t group_face_counts[mesh_max_groups];
    int32_t overlay_index[mesh_max_groups];
    int32_t overlay_name_count;
    char overlay_names[mesh_max_groups][mesh_name_bytes];
};

extern Mesh room_mesh;
extern Mesh ring_mesh;

void build_mesh(const uint8_t* table, Mesh* mesh, bool has_names);
void interleave_mesh(Mesh* mesh);
// Builds both meshes with their normals and loads their textures.
void build_startup_meshes();
