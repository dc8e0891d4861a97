// The images loaded at start-up, in their order, with the copies and
// settings made between them.
#include "gl/gl_api.h"

#include <cstring>

#include "runtime/demo.h"
#include "runtime/images.h"

namespace {
struct StartupImage {
    const char* path;
    int32_t texture_id;
};

const StartupImage startup_images[] = {
    {"dats/LogoQorv.jpg", 3000}, {"dats/Presents.jpg", 3001}, {"dats/Vorlane.jpg", 3002},
    {"dats/eyes.jpg", 3003},     {"dats/text01.jpg", 3004},   {"dats/text02.jpg", 3005},
    {"dats/text03.jpg", 3006},   {"dats/text04.jpg", 3007},   {"dats/gfxadd03.jpg", 3008},
    {"dats/code.jpg", 4000},     {"dats/t4rnix.jpg", 4001},   {"dats/gfx.jpg", 4002},
    {"dats/pelm.jpg", 4003},     {"dats/sound.jpg", 4004},    {"dats/zug.jpg", 4005},
    {"dats/eclair.jpg", 1001},   {"dats/nebu02.jpg", 5},
};

constexpr size_t logo_bytes = 512 * 512 * 3;
constexpr size_t presents_bytes = 256 * 128 * 3;
constexpr GLint gl_clamp = 0x2900;
} // namespace

void load_startup_images() {
    for (size_t i = 0; i < sizeof startup_images / sizeof startup_images[0]; ++i) {
        load_image(startup_images[i].path, startup_images[i].texture_id);
        if (i == 0) std::memcpy(logo_pixels, image_pixels, logo_bytes);
        if (i == 1) std::memcpy(presents_pixels, image_pixels, presents_bytes);
        if (i == 2) {
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, gl_clamp);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, gl_clamp);
        }
    }
    // Texture 5 keeps the nebula picture: it is not re-specified from an
    // unwritten buffer.
}

void load_sprite_image() { load_image("dats/part.bmp", 1000); }
