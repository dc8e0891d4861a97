// PNG files of 8-bit RGB pictures, for captured frames and contact sheets.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// rows: height rows of width * 3 bytes, top row first.
bool write_png(const std::string& path, int width, int height, const uint8_t* rows);
bool read_png(const std::string& path, int* width, int* height, std::vector<uint8_t>* rows);
