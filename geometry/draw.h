// Mesh drawing in immediate mode and from the interleaved array, and lights.
#pragma once
#include "geometry/mesh.h"

struct LightRecord {
    float position[4];
    float colour[4];
    float constant_attenuation;
    float linear_attenuation;
    float quadratic_attenuation;
};

extern LightRecord light_records[3];

void draw_mesh(const Mesh* mesh, int32_t normal_mode, int32_t use_colours, int32_t use_texcoords,
               int32_t only_group);
// The vertex range of a group in the interleaved array; false for a group
// number not below group_count.
bool mesh_group_range(const Mesh* mesh, int32_t group, int32_t* first, int32_t* count);
void draw_mesh_group(const Mesh* mesh, int32_t group);
void set_light(LightRecord record, int32_t n);
