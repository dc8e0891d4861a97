// PNG files of 8-bit RGB pictures, for captured frames and contact sheets.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// rows: height rows of width * 3 bytes, top row first. False when libpng
// fails; the file stays open.
bool write_png(std::FILE* file, int width, int height, const uint8_t* rows);
bool read_png(const std::string& path, int* width, int* height, std::vector<uint8_t>* rows);
