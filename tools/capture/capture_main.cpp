// vavurava-capture: runs the real show offscreen under a virtual clock that
// advances exactly one frame step per frame, and writes what it shows.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>
#include <cstdlib>
#include <string>

#include "capture_modes.h"

namespace {
int usage() {
    std::fprintf(stderr,
                 "usage: vavurava-capture --frame MS -o FILE.png [--fps N]\n"
                 "       vavurava-capture --frames MS,MS,... -o FOLDER [--fps N]\n"
                 "       vavurava-capture --timeline [--fps N]\n"
                 "       vavurava-capture -o FILE.ogm [--fps N] [--from MS] [--to MS]\n"
                 "       vavurava-capture --sheet -o FILE.png\n"
                 "       vavurava-capture --bench [--chart FILE.png]\n");
    return 2;
}
} // namespace

int main(int argc, char** argv) {
    double frame_ms = -1, from_ms = 0, to_ms = -1;
    bool timeline = false, sheet = false, bench = false;
    std::string output;
    int fps = 60;
    std::vector<double> times;
    std::string chart;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--frame" && i + 1 < argc) frame_ms = std::atof(argv[++i]);
        else if (arg == "--frames" && i + 1 < argc) {
            for (char* item = std::strtok(argv[++i], ","); item; item = std::strtok(nullptr, ","))
                times.push_back(std::atof(item));
            if (!std::is_sorted(times.begin(), times.end())) return usage();
        } else if (arg == "-o" && i + 1 < argc) output = argv[++i];
        else if (arg == "--fps" && i + 1 < argc) fps = std::atoi(argv[++i]);
        else if (arg == "--from" && i + 1 < argc) from_ms = std::atof(argv[++i]);
        else if (arg == "--to" && i + 1 < argc) to_ms = std::atof(argv[++i]);
        else if (arg == "--timeline") timeline = true;
        else if (arg == "--sheet") sheet = true;
        else if (arg == "--bench") bench = true;
        else if (arg == "--chart" && i + 1 < argc) chart = argv[++i];
        else return usage();
    }
    if (fps <= 0 || fps > 1000) return usage();
    if (timeline) return capture_timeline(fps);
    if (bench) return capture_bench(chart);
    if (sheet) return output.empty() ? usage() : capture_sheet(output);
    if (!times.empty()) return output.empty() ? usage() : capture_frames(times, output, fps);
    if (frame_ms >= 0 && !output.empty()) return capture_frame(frame_ms, output, fps);
    if (!output.empty()) {
        const bool ogm = output.size() > 4 && output.compare(output.size() - 4, 4, ".ogm") == 0;
        if (!ogm) {
            std::fprintf(stderr, "capture: %s: videos are written as .ogm (MPEG-4 and Vorbis in Ogg)\n",
                         output.c_str());
            return 2;
        }
        return capture_record(output, fps, from_ms, to_ms);
    }
    return usage();
}
