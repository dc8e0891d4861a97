// The queue between the renderer and the writer's thread; jobs keep the
// order they were added in, so the file is the same as if one thread wrote it.
#include "encoder_thread.h"

#include <exception>
#include <new>

EncoderThread::EncoderThread(std::unique_ptr<MediaWriter> writer, const PictureShape& shape, size_t max_frames)
    : writer_(std::move(writer)), to_picture_(shape), max_frames_(max_frames < 1 ? 1 : max_frames) {
    thread_ = std::thread(&EncoderThread::run, this);
}

EncoderThread::~EncoderThread() {
    if (thread_.joinable()) discard();
}

bool EncoderThread::add_frame(std::vector<uint8_t> rendered) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return frames_queued_ < max_frames_ || failed_; });
    if (failed_) return false;
    jobs_.push_back({true, std::move(rendered), {}, 0});
    ++frames_queued_;
    changed_.notify_all();
    return true;
}

bool EncoderThread::add_samples(const int16_t* samples, size_t frames, int channels) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (failed_) return false;
    if (frames == 0) return true;
    jobs_.push_back({false, {}, std::vector<int16_t>(samples, samples + frames * channels), channels});
    changed_.notify_all();
    return true;
}

void EncoderThread::run() {
    for (;;) {
        Job job;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            changed_.wait(lock, [&] { return !jobs_.empty() || stopping_; });
            if (jobs_.empty()) return;
            job = std::move(jobs_.front());
            jobs_.pop_front();
        }
        bool ok = false;
        std::string problem;
        // Nothing may escape the thread: an exception would end the process
        // with the file half written.
        try {
            ok = job.is_frame ? writer_->add_frame(to_picture_.convert(job.rendered).data())
                              : writer_->add_samples(job.samples.data(), job.samples.size() / job.channels);
            if (!ok) problem = writer_->error();
        } catch (const std::bad_alloc&) {
            problem = "out of memory";
        } catch (const std::exception& e) {
            problem = e.what();
        }
        std::lock_guard<std::mutex> lock(mutex_);
        if (job.is_frame) --frames_queued_;
        if (!ok) {
            error_ = problem;
            failed_ = true;
            jobs_.clear();
            frames_queued_ = 0;
        }
        changed_.notify_all();
        if (!ok) return;
    }
}

void EncoderThread::stop(bool drop_queued) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
        if (drop_queued) jobs_.clear();
        changed_.notify_all();
    }
    if (thread_.joinable()) thread_.join();
}

bool EncoderThread::finish() {
    stop(false);
    if (failed_) return false;
    if (writer_->finish()) return true;
    error_ = writer_->error();
    failed_ = true;
    return false;
}

void EncoderThread::discard() {
    stop(true);
    writer_->discard();
}
