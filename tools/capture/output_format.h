// What a recording's output path asks for: a container and its codecs chosen
// by the file's extension, or a numbered PNG sequence for a folder or a
// %d pattern, and the checks made on it before anything is rendered.
#pragma once
#include <string>

enum class OutputKind { ogm, mp4, mkv, webm, png_sequence };

struct OutputFormat {
    OutputKind kind = OutputKind::ogm;
    std::string path;            // the file, or the pictures' pattern (e.g. frames/%06d.png)
    std::string sound_path;      // a PNG sequence's sound: a .wav beside the pictures
    std::string created_folder;  // a sequence's folder made for it, removed again if nothing is kept
};

// The one line that says what -o takes.
extern const char supported_outputs[];

// False when the path fits none of the kinds.
bool output_format_for(const std::string& path, OutputFormat* format);
const char* output_kind_name(OutputKind kind);
// The range --crf takes for the kind's video codec; false when it takes none.
bool crf_range(OutputKind kind, bool lossless, int* low, int* high);

// Whether the output can be created (its folder exists and may be written, an
// existing file may be replaced); *problem says why not. A sequence's
// missing last folder is made here, its parent must exist.
bool prepare_output(OutputFormat* format, std::string* problem);
