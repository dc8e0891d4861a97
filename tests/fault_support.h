// Helpers for the end-to-end fault tests: damaged copies of dats/ in scratch
// folders, and runs of the real show from them.
#pragma once
#include <cstdint>
#include <dirent.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// Ways a file is damaged; every one is deterministic.
enum class Damage {
    missing,        // the file is not there
    truncated_half, // only the first half of its bytes
    truncated_tail, // its last 16 bytes cut off
    corrupt_body,   // a block of garbage in the middle (after a JPEG's headers)
    corrupt_header, // its first 64 bytes garbage
};
inline const char* damage_name(Damage damage) {
    switch (damage) {
    case Damage::missing: return "missing";
    case Damage::truncated_half: return "truncated to half";
    case Damage::truncated_tail: return "last 16 bytes cut";
    case Damage::corrupt_body: return "garbage in the middle";
    case Damage::corrupt_header: return "garbage header";
    }
    return "?";
}

inline std::vector<Damage> all_damages() {
    return {Damage::missing, Damage::truncated_half, Damage::truncated_tail, Damage::corrupt_body,
            Damage::corrupt_header};
}

// Garbage from a fixed linear congruential sequence: the same bytes every run.
inline void fill_garbage(std::vector<uint8_t>& bytes, size_t from, size_t count) {
    uint32_t state = 0x2545f491u;
    for (size_t i = from; i < from + count && i < bytes.size(); ++i) {
        state = state * 1664525u + 1013904223u;
        bytes[i] = static_cast<uint8_t>(state >> 24);
    }
}

// The bytes of a file after the damage (missing gives no bytes; not written).
inline std::vector<uint8_t> damaged_bytes(const std::vector<uint8_t>& bytes, Damage damage, bool jpeg) {
    std::vector<uint8_t> out = bytes;
    switch (damage) {
    case Damage::missing: out.clear(); break;
    case Damage::truncated_half: out.resize(bytes.size() / 2); break;
    case Damage::truncated_tail: out.resize(bytes.size() > 16 ? bytes.size() - 16 : 0); break;
    case Damage::corrupt_header: fill_garbage(out, 0, 64); break;
    case Damage::corrupt_body: {
        // A JPEG's garbage starts halfway through its entropy-coded data, so
        // every header and table before the scan stays intact.
        size_t start = 0;
        if (jpeg)
            for (size_t i = 0; i + 1 < out.size(); ++i)
                if (out[i] == 0xFF && out[i + 1] == 0xDA) {
                    start = i;
                    break;
                }
        const size_t from = start + (out.size() - start) / 2;
        fill_garbage(out, from, std::min<size_t>(2048, (out.size() - start) / 8));
        break;
    }
    }
    return out;
}

inline std::vector<std::string> folder_files(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* dir = opendir(folder.c_str())) {
        while (dirent* entry = readdir(dir))
            if (entry->d_name[0] != '.') names.push_back(entry->d_name);
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

inline std::vector<uint8_t> read_whole_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline bool ends_with(const std::string& s, const std::string& end) {
    return s.size() >= end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
}

// Makes folder/dats with links to every file of source_dats but `damaged`,
// which is written damaged (or left out). An empty `damaged` leaves dats/
// empty.
inline void make_damaged_dats(const std::string& source_dats, const std::string& folder, const std::string& damaged,
                              Damage damage) {
    mkdir(folder.c_str(), 0755);
    const std::string dats = folder + "/dats";
    mkdir(dats.c_str(), 0755);
    if (damaged.empty()) return;
    for (const std::string& name : folder_files(source_dats)) {
        const std::string from = source_dats + "/" + name, to = dats + "/" + name;
        if (name != damaged) {
            if (symlink(from.c_str(), to.c_str()) != 0) std::perror(to.c_str());
            continue;
        }
        if (damage == Damage::missing) continue;
        const std::vector<uint8_t> bytes = damaged_bytes(read_whole_file(from), damage, ends_with(name, ".jpg"));
        std::ofstream out(to, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
}

struct ShowRun {
    int status = -1; // exit status, or 128 + signal
    std::string out;
    std::string err;
};

// Runs `command` from folder with the extra environment ("A=b C=d") within a
// wall-time limit (coreutils timeout: status 124 when it is hit).
inline ShowRun run_in(const std::string& folder, const std::string& environment, const std::string& command,
                      int limit_s) {
    ShowRun run;
    const std::string shell = "cd '" + folder + "' && env " + environment + " timeout -s KILL " +
                              std::to_string(limit_s) + " " + command + " >out.txt 2>err.txt";
    const int status = std::system(shell.c_str());
    if (status == -1) return run;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    auto text = [](const std::string& path) {
        const std::vector<uint8_t> bytes = read_whole_file(path);
        return std::string(bytes.begin(), bytes.end());
    };
    run.out = text(folder + "/out.txt");
    run.err = text(folder + "/err.txt");
    return run;
}

inline int lines_containing(const std::string& text, const std::string& needle) {
    int count = 0;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        if (text.compare(start, end - start, needle) == 0 ||
            text.substr(start, end - start).find(needle) != std::string::npos)
            ++count;
        start = end + 1;
    }
    return count;
}
