// Overlay alpha from brightness, for the room's blended second textures.
#include "geometry/overlay.h"

void make_overlay_pixels(const uint8_t* rgb, uint8_t* rgba, int32_t count)
{
    for (int32_t i = 0; i < count; i++) {
        const uint8_t* in = rgb + 3 * i;
        uint8_t* out = rgba + 4 * i;
        out[0] = in[0];
        out[1] = in[1];
        out[2] = in[2];
        out[3] = uint8_t(255 - (in[0] + in[1] + in[2]) / 3);
    }
}
