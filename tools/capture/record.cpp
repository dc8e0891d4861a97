// Records the show to a video file with its own sound: the music thread's
// output taken through the wave-out file sink in step with the virtual clock.
// The encoder runs on its own thread while the next frame renders.
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <exception>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "audio/music.h"
#include "capture_modes.h"
#include "capture_run.h"
#include "encoder_thread.h"
#include "media_writer.h"
#include "output_file.h"
#include "output_format.h"
#include "platform/wave_out.h"
#include "runtime/clock.h"
#include "runtime/demo.h"

namespace {
// Frames waiting for the encoder take at most about this much memory (but
// two frames may always wait, however large).
constexpr size_t queue_bytes = 96u << 20;
constexpr size_t queue_frames = 8;

struct Recording {
    std::unique_ptr<EncoderThread> encoder;
    bool failed = false;
    std::string problem; // why it failed, when the failure was not the writer's
    double from_ms = 0;
    int64_t samples_seen = 0;
    int rate = 44100, channels = 2;
    int open_rate = 0, open_channels = 0; // the format the writer was opened with
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
    if (!recording.encoder) {
        recording.before_open.insert(recording.before_open.end(), kept, kept + (frames - skip) * channels);
        return;
    }
    if (rate != recording.open_rate || channels != recording.open_channels) {
        if (!recording.failed)
            recording.problem = "the sound changed to " + std::to_string(rate) + " Hz, " + std::to_string(channels) +
                                " channels after the recording began";
        recording.failed = true;
        return;
    }
    if (!recording.encoder->add_samples(kept, frames - skip, channels)) recording.failed = true;
}

// Opens the writer at the first recorded frame, whose show time is
// first_frame_ms: the sound before it is dropped, so both start together.
bool open_recording(const OutputFormat& format, const CaptureSettings& settings, double first_frame_ms) {
    MediaLayout layout;
    layout.width = settings.width;
    layout.height = settings.height;
    layout.fps = settings.fps;
    layout.rate = recording.rate;
    layout.channels = recording.channels;
    layout.crf = settings.crf;
    layout.lossless = settings.lossless;
    std::unique_ptr<MediaWriter> writer = open_media_writer(format, layout, &recording.problem);
    if (!writer) return false;
    const size_t frame_bytes = static_cast<size_t>(settings.width) * settings.height * 3 * settings.ssaa * settings.ssaa;
    const size_t depth = std::clamp<size_t>(queue_bytes / frame_bytes, 2, queue_frames);
    try {
        recording.encoder = std::make_unique<EncoderThread>(std::move(writer), PictureShape{settings.width, settings.height, settings.ssaa}, depth);
    } catch (const std::bad_alloc&) {
        recording.problem = "out of memory";
    } catch (const std::exception& e) {
        recording.problem = e.what();
    }
    if (!recording.encoder) return false;
    recording.open_rate = recording.rate;
    recording.open_channels = recording.channels;
    // The sound held so far starts at --from; the pictures at the first frame.
    const int64_t from_sample = static_cast<int64_t>(settings.from_ms * recording.rate / 1000.0);
    const int64_t first_sample = static_cast<int64_t>(std::floor(first_frame_ms * recording.rate / 1000.0 + 1e-6));
    const size_t drop = static_cast<size_t>(std::max<int64_t>(0, first_sample - from_sample)) * recording.channels;
    std::vector<int16_t> held;
    held.swap(recording.before_open);
    if (drop < held.size())
        return recording.encoder->add_samples(held.data() + drop, (held.size() - drop) / recording.channels,
                                              recording.channels);
    return true;
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

// Ctrl-C or a termination signal: the recording stops at the next frame and
// its file is finished, so what was recorded plays.
volatile std::sig_atomic_t stop_signal = 0;

void on_stop_signal(int signal) { stop_signal = signal; }

void catch_stop_signals() {
    struct sigaction action = {};
    action.sa_handler = on_stop_signal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

// One line says what failed; everything written goes.
int give_up(const std::string& output) {
    std::string problem = recording.problem;
    if (recording.encoder) {
        recording.encoder->discard();
        if (problem.empty()) problem = recording.encoder->error();
    }
    recording.encoder.reset();
    std::fprintf(stderr, "capture: %s: %s; nothing kept\n", output.c_str(),
                 problem.empty() ? "the recording failed" : problem.c_str());
    return 1;
}

int record(const CaptureSettings& settings, OutputFormat& format) {
    const std::string& output = settings.output;
    std::string problem;
    // A single file is written beside its name and takes it only when complete.
    TemporaryFile temporary;
    if (format.kind != OutputKind::png_sequence) {
        if (!temporary.create(format.path, &problem)) {
            std::fprintf(stderr, "capture: %s: cannot write (%s)\n", output.c_str(), problem.c_str());
            return 1;
        }
        format.file = temporary.path();
    }
    catch_stop_signals();
    const int fps = settings.fps;
    const double from_ms = settings.from_ms, to_ms = settings.to_ms;
    recording.from_ms = from_ms;
    wave_out_use_sink(on_samples, nullptr);
    if (!capture_start(fps, settings.width, settings.height, settings.ssaa)) {
        if (!format.created_folder.empty()) rmdir(format.created_folder.c_str());
        return 1;
    }
    // Start-up has stopped waiting for the music: 0 when it was not ready in
    // time, -1 when it cannot be played (said above).
    const int32_t music = audio_ready_flag.load();
    const bool terminal = isatty(2);
    const auto start = std::chrono::steady_clock::now();
    double finale_entry = -1;
    // Without --to the whole show is recorded, to the end of the greetings.
    const double end_ms = to_ms >= 0 ? to_ms : show_end_ms;
    uint64_t written = 0;
    bool stopped = false;
    for (;;) {
        capture_render();
        wave_sink_advance_to(demo_clock());
        if (recording.failed) return give_up(output);
        if (current_part == 100 && finale_entry < 0) finale_entry = frame_time;
        const bool greetings_over = finale_entry >= 0 && frame_time - finale_entry >= greetings_run_ms;
        if (greetings_over || (to_ms >= 0 && frame_time >= to_ms)) break;
        if (frame_time >= from_ms) {
            if (!recording.encoder && !open_recording(format, settings, frame_time)) return give_up(output);
            if (!recording.encoder->add_frame(capture_read_back())) return give_up(output);
            ++written;
        }
        if (terminal && capture_run.frame % 15 == 0) show_progress(frame_time, end_ms, start, capture_run.frame);
        capture_advance();
        if (quit_flag || stop_signal) {
            stopped = true;
            wave_sink_advance_to(demo_clock()); // the sound of the last frame
            break;
        }
    }
    if (terminal) std::fprintf(stderr, "\n");
    // A signal's conventional status: 130 for SIGINT, 143 for SIGTERM.
    const int stopped_status = 128 + (stop_signal ? static_cast<int>(stop_signal) : SIGINT);
    if (!recording.encoder) {
        std::fprintf(stderr, "capture: %s: nothing recorded\n", output.c_str());
        if (!format.created_folder.empty()) rmdir(format.created_folder.c_str());
        return stopped ? stopped_status : 1;
    }
    if (!recording.encoder->finish()) return give_up(output);
    recording.encoder.reset();
    if (format.kind != OutputKind::png_sequence && !temporary.commit(&problem)) {
        recording.problem = "cannot write (" + problem + ")";
        return give_up(output);
    }
    std::fprintf(stderr, "capture: %s %s (%llu frames at %d fps%s)\n", stopped ? "stopped early; kept" : "wrote",
                 output.c_str(), static_cast<unsigned long long>(written), fps,
                 music == 1 ? "" : music == 0 ? "; no sound: the music was not ready in time"
                                              : "; no sound: the music could not be played");
    return stopped ? stopped_status : 0;
}
} // namespace

int capture_record(const CaptureSettings& settings, OutputFormat format) {
    // Out of memory at a very large size, on this thread: the same single
    // message and nothing left, as for a failure on the encoder's thread.
    try {
        return record(settings, format);
    } catch (const std::bad_alloc&) {
        recording.problem = "out of memory";
    } catch (const std::exception& e) {
        recording.problem = e.what();
    }
    return give_up(settings.output);
}
