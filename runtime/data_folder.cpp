// Finds the folder that holds dats/ and turns the show's "dats/..." names
// into the paths to open. The working folder is never changed, so paths the
// user gives (the capture tool's output) stay relative to it.
#include "runtime/data_folder.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <system_error>

#ifndef VAVURAVA_INSTALLED_DATA
#define VAVURAVA_INSTALLED_DATA "../share/vavurava-rive"
#endif

namespace fs = std::filesystem;

std::string data_root;

namespace {
bool holds_dats(const std::string& folder) {
    std::error_code error;
    return fs::is_directory(fs::path(folder.empty() ? "." : folder) / "dats", error);
}

std::string working_folder() {
    std::error_code error;
    const fs::path here = fs::current_path(error);
    return error ? std::string(".") : here.string();
}

std::string own_executable() {
    char path[4096];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) return "";
    return std::string(path, static_cast<size_t>(length));
}
} // namespace

std::string data_path(const char* name) {
    if (data_root.empty() || name[0] == '/') return name;
    return (fs::path(data_root) / name).string();
}

std::string installed_data_folder(const std::string& exe_path) {
    if (exe_path.empty()) return "";
    std::string folder = (fs::path(exe_path).parent_path() / VAVURAVA_INSTALLED_DATA).lexically_normal().string();
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder;
}

bool choose_data_folder(const std::string& requested, const std::string& installed, std::string* root,
                        std::string* problem) {
    if (!requested.empty()) {
        if (!holds_dats(requested)) {
            *problem = "--data " + requested + ": no dats/ folder in it (name the folder that holds dats/)";
            return false;
        }
        *root = requested;
        return true;
    }
    if (holds_dats("")) {
        root->clear();
        return true;
    }
    if (!installed.empty() && holds_dats(installed)) {
        *root = installed;
        return true;
    }
    *problem = "no dats/ folder in the working folder (" + working_folder() + ")";
    if (!installed.empty()) *problem += " or the installed data (" + installed + ")";
    *problem += "; run it from the folder that holds dats/, or name that folder with --data DIR";
    return false;
}

bool find_data_folder(const char* program, const std::string& requested) {
    std::string problem;
    if (choose_data_folder(requested, installed_data_folder(own_executable()), &data_root, &problem)) return true;
    std::fprintf(stderr, "%s: %s\n", program, problem.c_str());
    return false;
}
