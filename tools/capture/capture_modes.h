// The capture tool's modes, each returning the process exit status.
#pragma once
#include <string>
#include <vector>

#include "output_format.h"

struct CaptureSettings {
    int fps = 60;
    int width = 800, height = 600;  // the picture written
    int ssaa = 1;                   // rendered at ssaa times each side, then filtered down
    double from_ms = 0, to_ms = -1; // a recording's span; to_ms < 0: the whole show
    std::string output;
    int crf = -1;          // a recording's video quality; < 0: the format's default
    bool lossless = false; // a recording's pictures exactly as rendered
    std::string created_folder; // --frames' folder when it was made for this run
};

int capture_frame(double at_ms, const CaptureSettings& settings);
// One PNG per time (ascending), named frame_<ms>.png in the output folder, from one run.
// The output and its folder have been checked before any of these start.
int capture_frames(const std::vector<double>& times, const CaptureSettings& settings);
int capture_timeline(const CaptureSettings& settings);
int capture_sheet(const CaptureSettings& settings);
// With a chart path it also draws the frame times per part as a PNG.
int capture_bench(const CaptureSettings& settings, const std::string& chart);
// A video with sound of the show from from_ms to to_ms, to the output
// prepare_output has checked.
int capture_record(const CaptureSettings& settings, OutputFormat format);
