// A recording's writer on a thread of its own: the renderer hands over each
// frame as OpenGL read it back, with the sound that came before it, and goes
// on to the next frame while this thread makes the picture and encodes it.
// The queue is bounded: when it is full the renderer waits, so no frame is
// ever dropped.
#pragma once
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "media_writer.h"
#include "picture_from_render.h"

class EncoderThread {
public:
    // max_frames: how many rendered frames may wait at once.
    EncoderThread(std::unique_ptr<MediaWriter> writer, const PictureShape& shape, size_t max_frames);
    ~EncoderThread();
    EncoderThread(const EncoderThread&) = delete;
    EncoderThread& operator=(const EncoderThread&) = delete;

    // Each returns false once the writer has failed (it reported why).
    bool add_frame(std::vector<uint8_t> rendered);
    bool add_samples(const int16_t* samples, size_t frames, int channels);
    // Writes everything queued and completes the file; false if anything failed.
    bool finish();
    // Drops what is queued and removes what was written.
    void discard();
    // Why the writing failed (the writer's reason, or an exception's), once
    // finish or discard has returned.
    const std::string& error() const { return error_; }

private:
    struct Job {
        bool is_frame;
        std::vector<uint8_t> rendered;
        std::vector<int16_t> samples;
        int channels;
    };
    void run();
    void stop(bool drop_queued);

    std::unique_ptr<MediaWriter> writer_;
    PictureFromRender to_picture_;
    size_t max_frames_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Job> jobs_;
    size_t frames_queued_ = 0;
    bool stopping_ = false, failed_ = false;
    std::string error_;
    std::thread thread_;
};
