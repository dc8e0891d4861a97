// bench_music [FILE] [SECONDS]: time from the music thread's start to
// audio_ready_flag, then the process's CPU share while the music plays on the
// SDL device (the main thread sleeps, so it is the music and audio threads').
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "audio/music.h"
#include "platform/platform.h"

namespace {
double cpu_seconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}
} // namespace

int main(int argc, char** argv) {
    static char path[256] = "dats/zad2.ogg";
    if (argc > 1) std::snprintf(path, sizeof(path), "%s", argv[1]);
    const double seconds = argc > 2 ? std::atof(argv[2]) : 10.0;
    setenv("SDL_AUDIODRIVER", "dummy", 0);

    const auto start = std::chrono::steady_clock::now();
    const double cpu_start = cpu_seconds();
    platform_start_thread(music_thread_main, path);
    while (audio_ready_flag.load(std::memory_order_acquire) == 0) std::this_thread::yield();
    const double ready_ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    // The main thread spun meanwhile, so this CPU figure counts both threads.
    const double ready_cpu_ms = (cpu_seconds() - cpu_start) * 1000.0;
    if (audio_ready_flag.load() != 1) {
        std::fprintf(stderr, "bench_music: %s: the music did not become ready\n", path);
        return 1;
    }
    std::printf("ready after %.1f ms (process CPU %.1f ms, spinning main thread included)\n", ready_ms, ready_cpu_ms);

    start_music_playback();
    const double cpu_before = cpu_seconds();
    const auto play_start = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - play_start).count();
    const double cpu = cpu_seconds() - cpu_before;
    std::printf("playing %.1f s: CPU %.3f s = %.2f %% of one core\n", wall, cpu, 100.0 * cpu / wall);
    return 0;
}
