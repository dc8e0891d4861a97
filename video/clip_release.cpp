// Frees what a clip holds once the part that shows it is over: its decoder,
// the decoder's picture planes and the packet data, some 6 MB a clip.
#include <xvid.h>

#include <cstdlib>

#include "video/clip.h"
#include "video/clip_decoder.h"

void release_clip_decoder(VideoClip* clip) {
    if (clip->decoder) mpeg4_decoder.decore(clip->decoder, XVID_DEC_DESTROY, nullptr, nullptr);
    clip->decoder = nullptr;
    for (int i = 0; i < 3; ++i) {
        std::free(clip->planes[i]);
        clip->planes[i] = nullptr;
        clip->strides[i] = 0;
    }
}

void release_video_clip(VideoClip* clip) {
    release_clip_decoder(clip);
    std::free(clip->data);
    // Left as a clip that failed to load: a decoding step on it hands over
    // or rewinds to nothing, and never reads the freed memory.
    clip->data = nullptr;
    clip->data_len = 0;
    clip->read_pos = 0;
}
