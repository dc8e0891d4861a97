// The capture tool's modes, each returning the process exit status.
#pragma once
#include <string>

int capture_frame(double at_ms, const std::string& output, int fps);
int capture_timeline(int fps);
int capture_sheet(const std::string& output);
int capture_bench();
