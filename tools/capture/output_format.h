// What a recording's output path asks for: a container and its codecs chosen
// by the file's extension, or a numbered PNG sequence for a folder or a
// %d pattern, and the checks made on it before anything is rendered.
#pragma once
#include <string>

enum class OutputKind { ogm, mp4, mkv, webm, png_sequence };

struct OutputFormat {
    OutputKind kind = OutputKind::ogm;
    std::string path;            // the file, or the pictures' pattern (e.g. frames/%06d.png)
    std::string file;            // where the writer writes: path, or a temporary beside it
    std::string sound_path;      // a PNG sequence's sound: a .wav beside the pictures
    std::string created_folder;  // a sequence's folder made for it, removed again if nothing is kept
};

// The one line that says what -o takes.
extern const char supported_outputs[];
// What a single picture's -o takes.
extern const char picture_outputs[];

// False when the path fits none of the kinds.
bool output_format_for(const std::string& path, OutputFormat* format);
const char* output_kind_name(OutputKind kind);
// The range --crf takes for the kind's video codec; false when it takes none.
bool crf_range(OutputKind kind, bool lossless, int* low, int* high);

// Whether the output can be created (its folder exists and may be written, an
// existing regular file may be replaced); *problem says why not. A sequence's
// missing last folder is made here, its parent must exist; a folder that
// already holds numbered pictures of the pattern is refused, so that a
// sequence is never mixed with an older one.
bool prepare_output(OutputFormat* format, std::string* problem);

// A single picture's name: .png, or .jpg / .jpeg for JPEG.
bool is_picture_name(const std::string& path);
bool is_jpeg_name(const std::string& path);
// The same checks for a single picture's file.
bool prepare_picture(const std::string& path, std::string* problem);
// A folder to write into, made when missing (its parent must exist); *created
// then names it, so it can be removed again if nothing is kept.
bool prepare_folder(const std::string& folder, std::string* created, std::string* problem);
// The folder a path names its file in ("." when it names none).
std::string folder_of(const std::string& path);
// folder + "/" + name, with one slash between however the folder was typed.
std::string path_in(const std::string& folder, const std::string& name);
