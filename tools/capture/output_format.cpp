// The output kinds by extension, and the checks on the path made before the
// show starts, so a mistake costs no rendering and leaves no file behind.
#include "output_format.h"

extern "C" {
#include <libavformat/avformat.h>
}

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>

const char supported_outputs[] =
    ".mp4 (H.264 and AAC), .mkv (H.264 or, with --lossless, FFV1; FLAC), .webm (VP9 and Opus), "
    ".ogm (MPEG-4 and Vorbis), or a PNG sequence: FOLDER/ or a pattern such as frames/%06d.png";

const char picture_outputs[] = "FILE.png, or FILE.jpg (or .jpeg) for JPEG";

namespace {
bool ends_with_lower(const std::string& text, const char* end) {
    const size_t n = std::strlen(end);
    if (text.size() < n) return false;
    for (size_t k = 0; k < n; ++k)
        if (std::tolower(static_cast<unsigned char>(text[text.size() - n + k])) != end[k]) return false;
    return true;
}

// A pattern libavformat's picture sequence writer takes: one %d conversion.
bool is_picture_pattern(const std::string& path) {
    char name[4096];
    return ends_with_lower(path, ".png") && av_get_frame_filename2(name, sizeof name, path.c_str(), 1, 0) == 0;
}

bool is_folder(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool writable_folder(const std::string& folder, std::string* problem) {
    if (!is_folder(folder)) {
        *problem = "no folder " + folder;
        return false;
    }
    if (access(folder.c_str(), W_OK | X_OK) != 0) {
        *problem = folder + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

bool replaceable_file(const std::string& path, std::string* problem) {
    struct stat info;
    if (stat(path.c_str(), &info) != 0) return true;
    if (S_ISDIR(info.st_mode)) {
        *problem = "is a folder";
        return false;
    }
    // A device or pipe would be replaced by a plain file, not written.
    if (!S_ISREG(info.st_mode)) {
        *problem = "is not a regular file";
        return false;
    }
    if (access(path.c_str(), W_OK) != 0) {
        *problem = std::strerror(errno);
        return false;
    }
    return true;
}

bool is_digits(const std::string& text) {
    if (text.empty()) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

// Whether the folder holds a picture the pattern names (its %d or %0Nd
// conversion matched by any number); *example names the first found.
bool holds_numbered_pictures(const std::string& folder, const std::string& pattern, std::string* example) {
    const size_t slash = pattern.rfind('/');
    const std::string name = slash == std::string::npos ? pattern : pattern.substr(slash + 1);
    const size_t percent = name.find('%');
    if (percent == std::string::npos) return false;
    size_t end = percent + 1;
    while (end < name.size() && name[end] >= '0' && name[end] <= '9') ++end;
    if (end >= name.size() || name[end] != 'd') return false;
    const std::string before = name.substr(0, percent), after = name.substr(end + 1);
    DIR* dir = opendir(folder.c_str());
    if (!dir) return false;
    bool found = false;
    while (const dirent* entry = readdir(dir)) {
        const std::string file = entry->d_name;
        if (file.size() > before.size() + after.size() && file.compare(0, before.size(), before) == 0 &&
            file.compare(file.size() - after.size(), after.size(), after) == 0 &&
            is_digits(file.substr(before.size(), file.size() - before.size() - after.size()))) {
            *example = file;
            found = true;
            break;
        }
    }
    closedir(dir);
    return found;
}
} // namespace

std::string folder_of(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool output_format_for(const std::string& path, OutputFormat* format) {
    OutputFormat f;
    f.path = path;
    if (!path.empty() && path.back() == '/') {
        f.kind = OutputKind::png_sequence;
        f.path = path + "%06d.png";
    } else if (is_picture_pattern(path)) {
        f.kind = OutputKind::png_sequence;
    } else if (ends_with_lower(path, ".mp4")) {
        f.kind = OutputKind::mp4;
    } else if (ends_with_lower(path, ".mkv")) {
        f.kind = OutputKind::mkv;
    } else if (ends_with_lower(path, ".webm")) {
        f.kind = OutputKind::webm;
    } else if (ends_with_lower(path, ".ogm")) {
        f.kind = OutputKind::ogm;
    } else {
        return false;
    }
    if (f.kind == OutputKind::png_sequence) {
        // The sound goes beside the pictures, named after the pattern's fixed start.
        const size_t slash = f.path.rfind('/');
        const size_t name = slash == std::string::npos ? 0 : slash + 1;
        f.sound_path = f.path.substr(0, f.path.find('%', name)) + "sound.wav";
    }
    f.file = f.path;
    *format = f;
    return true;
}

const char* output_kind_name(OutputKind kind) {
    switch (kind) {
    case OutputKind::ogm: return ".ogm";
    case OutputKind::mp4: return ".mp4";
    case OutputKind::mkv: return ".mkv";
    case OutputKind::webm: return ".webm";
    case OutputKind::png_sequence: return "a PNG sequence";
    }
    return "";
}

bool crf_range(OutputKind kind, bool lossless, int* low, int* high) {
    if ((kind == OutputKind::mp4 || kind == OutputKind::mkv) && !lossless) {
        *low = 0, *high = 51; // H.264
        return true;
    }
    if (kind == OutputKind::webm) {
        *low = 0, *high = 63; // VP9
        return true;
    }
    return false;
}

bool prepare_output(OutputFormat* format, std::string* problem) {
    const std::string folder = folder_of(format->path);
    if (format->kind != OutputKind::png_sequence)
        return writable_folder(folder, problem) && replaceable_file(format->path, problem);
    std::string example;
    if (holds_numbered_pictures(folder, format->path, &example)) {
        *problem = "the folder already holds numbered pictures, such as " + example +
                   "; remove them or choose another folder";
        return false;
    }
    return prepare_folder(folder, &format->created_folder, problem) && replaceable_file(format->sound_path, problem);
}

bool is_jpeg_name(const std::string& path) { return ends_with_lower(path, ".jpg") || ends_with_lower(path, ".jpeg"); }

bool is_picture_name(const std::string& path) { return ends_with_lower(path, ".png") || is_jpeg_name(path); }

bool prepare_picture(const std::string& path, std::string* problem) {
    return writable_folder(folder_of(path), problem) && replaceable_file(path, problem);
}

bool prepare_folder(const std::string& folder, std::string* created, std::string* problem) {
    if (!is_folder(folder)) {
        std::string parent = folder;
        while (parent.size() > 1 && parent.back() == '/') parent.pop_back();
        if (!writable_folder(folder_of(parent), problem)) return false;
        if (mkdir(folder.c_str(), 0777) != 0) {
            *problem = folder + ": " + std::strerror(errno);
            return false;
        }
        *created = folder;
    }
    return writable_folder(folder, problem);
}

std::string path_in(const std::string& folder, const std::string& name) {
    std::string joined = folder;
    while (!joined.empty() && joined.back() == '/') joined.pop_back();
    return joined + "/" + name;
}
