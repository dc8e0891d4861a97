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

// A writer destroyed before it finished removes what it wrote, as discard does.
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
    // What failed first, once a call has returned false.
    const std::string& error() const { return error_; }

protected:
    // Keeps the first reason; returns false for the caller to pass on.
    bool fail(const std::string& problem) {
        if (error_.empty()) error_ = problem;
        return false;
    }

private:
    std::string error_;
};

// The writer writes format.file (format.path names it in messages). Null
// when it cannot start, with *problem saying why; nothing is left behind.
std::unique_ptr<MediaWriter> open_media_writer(const OutputFormat& format, const MediaLayout& layout,
                                               std::string* problem);
std::unique_ptr<MediaWriter> open_ogm_writer(const OutputFormat& format, const MediaLayout& layout,
                                             std::string* problem);
std::unique_ptr<MediaWriter> open_ffmpeg_writer(const OutputFormat& format, const MediaLayout& layout,
                                                std::string* problem);
