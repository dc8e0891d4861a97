// A video file with sound: MPEG-4 pictures (xvidcore) in an OGM video stream
// and Vorbis sound (libvorbisenc), interleaved in one Ogg file (.ogm).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

bool video_writer_open(const std::string& path, int width, int height, int fps, int rate, int channels);
// rows: height rows of width * 3 RGB bytes, top row first.
bool video_writer_add_frame(const uint8_t* rows);
void video_writer_add_samples(const int16_t* samples, size_t frames);
bool video_writer_close();
