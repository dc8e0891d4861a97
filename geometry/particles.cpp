// The random particle arrays, filled at start-up with the first 400 draws
// after the generator is seeded.
#include "geometry/sprites.h"
#include "runtime/ranrot.h"

float scatter_positions[100][3];
float particle_phases[1000];
int32_t mirror_signs[3];

void fill_particle_arrays()
{
    for (int32_t i = 0; i < 100; i++) {
        scatter_positions[i][0] = float(ranrot_int(-40, 40));
        scatter_positions[i][1] = float(ranrot_int(-40, 40));
        scatter_positions[i][2] = float(ranrot_int(-10, 10));
        particle_phases[i] = float(double(ranrot_float()) * 3.1415926536);
    }
    mirror_signs[0] = 1;
    mirror_signs[1] = -1;
    mirror_signs[2] = 1;
}
