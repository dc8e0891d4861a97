// JPEG images into the shared RGB buffer and into textures with fixed ids.
// The core decodes from memory; load_image is the file wrapper the show calls.
#pragma once
#include <cstddef>
#include <cstdint>

constexpr int jpeg_name_bytes = 255;

extern int32_t image_width;
extern int32_t image_height;

// Writes the file name actually opened: the path up to its first '.', then
// ".jpg". Returns false (and writes an empty name) when it would not fit.
bool jpeg_name(const char* path, char* name);

// Decodes a JPEG held in memory into image_pixels (rows bottom-up, RGB) and
// uploads it to texture_id when that is above 0. `what` names the source in
// messages. Returns 1 on success, 0 on failure (buffer and sizes unchanged).
int32_t load_image_from_memory(const uint8_t* bytes, size_t size, int32_t texture_id, const char* what);

int32_t load_image(const char* path, int32_t texture_id);

// Binds texture_id and gives it an RGB image (rows bottom-up, tightly packed)
// with repeat wrapping and linear filtering, as every image texture has.
void upload_image_texture(int32_t texture_id, int32_t width, int32_t height, const uint8_t* rgb);

// The 18 start-up images, in their order, with the copies and settings made
// between them; the mesh textures come between image 17 and image 18.
void load_startup_images();
void load_sprite_image();
