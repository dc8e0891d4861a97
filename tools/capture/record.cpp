// Records the show to a video file with its own sound: the music thread's
// output taken through the wave-out file sink in step with the virtual clock.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <vector>

#include "capture_modes.h"
#include "capture_run.h"
#include "platform/wave_out.h"
#include "runtime/clock.h"
#include "runtime/demo.h"
#include "video_writer.h"

namespace {
struct Recording {
    bool open = false;
    double from_ms = 0;
    int64_t samples_seen = 0;
    int rate = 44100, channels = 2;
    std::vector<int16_t> before_open; // sound that arrives before the writer opens
} recording;

void on_samples(const int16_t* samples, size_t frames, int channels, int rate, void*) {
    recording.rate = rate;
    recording.channels = channels;
    // Sound before --from is dropped sample-exactly.
    const int64_t first_kept = static_cast<int64_t>(recording.from_ms * rate / 1000.0);
    size_t skip = 0;
    if (recording.samples_seen < first_kept)
        skip = static_cast<size_t>(std::min<int64_t>(first_kept - recording.samples_seen, frames));
    recording.samples_seen += static_cast<int64_t>(frames);
    if (skip == frames) return;
    const int16_t* kept = samples + skip * channels;
    if (recording.open)
        video_writer_add_samples(kept, frames - skip);
    else
        recording.before_open.insert(recording.before_open.end(), kept, kept + (frames - skip) * channels);
}

void show_progress(double t, double end, std::chrono::steady_clock::time_point start, uint64_t frames) {
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double rate = wall > 0 ? frames / wall : 0;
    const double fraction = end > 0 ? std::min(1.0, t / end) : 0;
    const double eta = fraction > 0 ? wall * (1 - fraction) / fraction : 0;
    char bar[31];
    for (int k = 0; k < 30; ++k) bar[k] = k < fraction * 30 ? '#' : '.';
    bar[30] = 0;
    std::fprintf(stderr, "\r[%s] %6.1f s  %5.1f fps  ETA %3d:%02d ", bar, t / 1000, rate,
                 static_cast<int>(eta) / 60, static_cast<int>(eta) % 60);
}
} // namespace

int capture_record(const CaptureSettings& settings) {
    const std::string& output = settings.output;
    const int fps = settings.fps;
    const double from_ms = settings.from_ms, to_ms = settings.to_ms;
    recording.from_ms = from_ms;
    wave_out_use_sink(on_samples, nullptr);
    if (!capture_start(fps, settings.width, settings.height)) return 1;
    const bool terminal = isatty(2);
    const auto start = std::chrono::steady_clock::now();
    double finale_entry = -1;
    // Without --to the whole show is recorded, to the end of the greetings;
    // the nominal length only drives the progress bar.
    const double nominal_end = to_ms >= 0 ? to_ms : 215000.0;
    uint64_t written = 0;
    for (;;) {
        capture_render();
        wave_sink_advance_to(demo_clock());
        if (current_part == 100 && finale_entry < 0) finale_entry = frame_time;
        const bool done = to_ms >= 0 ? frame_time >= to_ms
                                     : (finale_entry >= 0 && frame_time - finale_entry >= greetings_run_ms);
        if (done) break;
        if (frame_time >= from_ms) {
            if (!recording.open) {
                if (!video_writer_open(output, settings.width, settings.height, fps, recording.rate, recording.channels)) return 1;
                recording.open = true;
                video_writer_add_samples(recording.before_open.data(),
                                         recording.before_open.size() / recording.channels);
                recording.before_open.clear();
            }
            if (!video_writer_add_frame(capture_grab().data())) {
                std::fprintf(stderr, "capture: %s: the encoder failed\n", output.c_str());
                return 1;
            }
            ++written;
        }
        if (terminal && capture_run.frame % 15 == 0) show_progress(frame_time, nominal_end, start, capture_run.frame);
        capture_advance();
    }
    if (terminal) std::fprintf(stderr, "\n");
    if (!recording.open || !video_writer_close()) {
        std::fprintf(stderr, "capture: %s: nothing recorded\n", output.c_str());
        return 1;
    }
    std::fprintf(stderr, "capture: wrote %s (%llu frames at %d fps)\n", output.c_str(),
                 static_cast<unsigned long long>(written), fps);
    return 0;
}
