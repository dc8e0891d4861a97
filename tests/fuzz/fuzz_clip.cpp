// Fuzz target: the clip loader from a memory buffer (the path the file loader
// takes too), then a few frames of whatever loaded decoded and converted into
// the frame buffer. There is no GL context: every GL entry point is one that
// does nothing, so the texture calls of the decoding step are skipped.
#include <xvid.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "gl/gl_table.h"
#include "platform/platform.h"
#include "runtime/demo.h"
#include "video/clip.h"
#include "video/clip_decoder.h"

namespace {
// A GL entry point of the given type that does nothing and returns zero.
template <typename Function> struct DoNothing;
template <typename Result, typename... Args> struct DoNothing<Result(Args...)> {
    static Result GLAPIENTRY call(Args...) { return Result(); }
};

void install_gl_that_does_nothing() {
#define GL_NOTHING_ENTRY(ret, name, params) gl_api.name = &DoNothing<ret params>::call;
    GL_API_FUNCTIONS(GL_NOTHING_ENTRY)
#undef GL_NOTHING_ENTRY
}

uint64_t virtual_us;
uint64_t virtual_counter() { return virtual_us; }

void release_clip(VideoClip* clip) {
    if (clip->decoder) mpeg4_decoder.decore(clip->decoder, XVID_DEC_DESTROY, nullptr, nullptr);
    for (int i = 0; i < 3; ++i) std::free(clip->planes[i]);
    std::free(clip->data);
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    video_frame_buffer = static_cast<uint8_t*>(std::calloc(work_buffer_bytes, 1));
    platform_install_virtual_counter(virtual_counter, 1000000);
    install_gl_that_does_nothing();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    VideoClip clip{};
    load_video_clip_from_memory(data, size, "fuzz.ogm", &clip);
    if (clip.decoder && clip.data_len > 0) {
        // Part 9 shows the converter's colour order as it stands, so the
        // frame buffer is not swapped over in full for every input (that
        // loop does not depend on the input), and it rewinds its clip.
        current_part = 9;
        clip_start_time = 0.0;
        // Due: the first five frames, decoded in two steps.
        for (int step = 1; step <= 2; ++step) {
            const double due_ms = (2.0 * step + 0.5) * clip.frame_ms;
            virtual_us = static_cast<uint64_t>(due_ms * 1000.0);
            decode_clip_frame(&clip, 0);
        }
    }
    release_clip(&clip);
    return 0;
}
