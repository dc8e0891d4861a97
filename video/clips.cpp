// The four clips of the show, loaded at start-up, and xvidcore's one-time
// global initialisation.
#include <xvid.h>

#include <cstring>

#include "video/clip.h"
#include "video/clip_decoder.h"

VideoClip video_clips[4];

void init_video_decoding() {
    static bool done = false;
    if (done) return;
    xvid_gbl_init_t init;
    std::memset(&init, 0, sizeof init);
    init.version = XVID_VERSION;
    init.cpu_flags = 0;
    xvid_global(nullptr, XVID_GBL_INIT, &init, nullptr);
    done = true;
}

void load_startup_clips() {
    load_video_clip("dats/scene03.ogm", &video_clips[0]);
    load_video_clip("dats/scene05.ogm", &video_clips[1]);
    load_video_clip("dats/scene07.ogm", &video_clips[2]);
    load_video_clip("dats/scene09.ogm", &video_clips[3]);
}
