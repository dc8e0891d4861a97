// OGM clips held in memory with one MPEG-4 decoder each, and the per-frame
// decoding step that brings a clip up to the clock and uploads its picture.
#pragma once
#include <cstddef>
#include <cstdint>

struct VideoClip {
    int32_t frame_count;
    int32_t frame_ms;
    int32_t width;
    int32_t height;
    uint8_t* data;
    void* decoder;
    uint32_t read_pos;
    uint32_t data_len;
    int32_t live_streams;
    // Planar YUV picture the decoder writes (width x height luma, half-size chroma).
    uint8_t* planes[3];
    int32_t strides[3];
};

constexpr int32_t video_texture_id = 900;

// The four clips in load order: scene03, scene05, scene07, scene09.
extern VideoClip video_clips[4];

void load_video_clip(const char* path, VideoClip* clip);
// From-memory core of the loader; `what` names the source in messages.
void load_video_clip_from_memory(const uint8_t* bytes, size_t size, const char* what, VideoClip* clip);
void load_startup_clips();
// Frees a clip's decoder, planes and data once its part is over; the clip is
// left empty, so that decoding it does nothing.
void release_video_clip(VideoClip* clip);
// Frees only the decoder and its picture planes.
void release_clip_decoder(VideoClip* clip);
int32_t decode_clip_frame(VideoClip* clip, int32_t texture);
void swap_red_blue(uint8_t* pixels);
