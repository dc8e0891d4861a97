// Single pictures as files: PNG, or JPEG for a name ending in .jpg or .jpeg,
// written under a temporary name and renamed into place when complete.
#pragma once
#include <cstdint>
#include <string>

// rows: height rows of width * 3 RGB bytes, top row first. False when the
// file could not be written: said on standard error, nothing left behind.
bool write_picture(const std::string& path, int width, int height, const uint8_t* rows);
