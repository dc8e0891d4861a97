// The four clips of the show, loaded at start-up, the MPEG-4 decoder they use
// and its one-time global initialisation.
#include <xvid.h>

#include <cstring>

#include "video/clip.h"
#include "video/clip_decoder.h"

VideoClip video_clips[4];

#ifdef VAVURAVA_MPEG4_FFMPEG
Mpeg4Decoder mpeg4_decoder = {ffmpeg_mpeg4_decore, ffmpeg_mpeg4_global};
#else
Mpeg4Decoder mpeg4_decoder = {xvid_decore, xvid_global};
#endif

void init_video_decoding() {
    static bool done = false;
    if (done) return;
    xvid_gbl_init_t init;
    std::memset(&init, 0, sizeof init);
    init.version = XVID_VERSION;
    init.cpu_flags = 0;
    mpeg4_decoder.global(nullptr, XVID_GBL_INIT, &init, nullptr);
    done = true;
}

void load_startup_clips() {
    load_video_clip("dats/scene03.ogm", &video_clips[0]);
    load_video_clip("dats/scene05.ogm", &video_clips[1]);
    load_video_clip("dats/scene07.ogm", &video_clips[2]);
    load_video_clip("dats/scene09.ogm", &video_clips[3]);
}
