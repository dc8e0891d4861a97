// The capture tool's modes, each returning the process exit status.
#pragma once
#include <string>
#include <vector>

int capture_frame(double at_ms, const std::string& output, int fps);
// One PNG per time (ascending), named frame_<ms>.png in folder, from one run.
int capture_frames(const std::vector<double>& times, const std::string& folder, int fps);
int capture_timeline(int fps);
int capture_sheet(const std::string& output);
// With a chart path it also draws the frame times per part as a PNG.
int capture_bench(const std::string& chart);
// A video with sound of the show from from_ms to to_ms (to_ms < 0: the whole show).
int capture_record(const std::string& output, int fps, double from_ms, double to_ms);
