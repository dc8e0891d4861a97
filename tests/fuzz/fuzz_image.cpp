// Fuzz target: the JPEG loader's from-memory core into the shared image
// buffer, without the texture upload (texture id 0).
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "runtime/demo.h"
#include "runtime/images.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    image_pixels = static_cast<uint8_t*>(std::calloc(work_buffer_bytes, 1));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    load_image_from_memory(data, size, 0, "fuzz.jpg");
    return 0;
}
