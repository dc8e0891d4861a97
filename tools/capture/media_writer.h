// A recording's output, whatever its format: pictures and sound handed over
// in show order, finished into a complete file or discarded without a trace.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "output_format.h"

struct MediaLayout {
    int width = 800, height = 600, fps = 60;
    int rate = 44100, channels = 2; // the sound as the show plays it
    int crf = -1;                   // the video codec's quality; < 0: the format's default
    bool lossless = false;
};

class MediaWriter {
public:
    virtual ~MediaWriter() = default;
    // rows: height rows of width * 3 RGB bytes, top row first.
    virtual bool add_frame(const uint8_t* rows) = 0;
    // Interleaved signed 16-bit sample frames.
    virtual bool add_samples(const int16_t* samples, size_t frames) = 0;
    // Flushes the encoders and completes the file(s). False if anything failed.
    virtual bool finish() = 0;
    // Closes and removes everything written (after a failure).
    virtual void discard() = 0;
};

// Null when the writer cannot start (already reported on standard error).
std::unique_ptr<MediaWriter> open_media_writer(const OutputFormat& format, const MediaLayout& layout);
std::unique_ptr<MediaWriter> open_ogm_writer(const std::string& path, const MediaLayout& layout);
std::unique_ptr<MediaWriter> open_ffmpeg_writer(const OutputFormat& format, const MediaLayout& layout);
