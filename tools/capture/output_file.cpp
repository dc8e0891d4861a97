// Temporary files beside their targets, renamed into place when complete.
#include "output_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {
// The mode a new file gets from the process's umask; mkstemps makes 0600.
mode_t new_file_mode() {
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}
} // namespace

TemporaryFile::~TemporaryFile() { remove(); }

bool TemporaryFile::create(const std::string& target, std::string* problem) {
    remove();
    target_ = target;
    struct stat info;
    char resolved[PATH_MAX];
    if (lstat(target.c_str(), &info) == 0 && S_ISLNK(info.st_mode) && realpath(target.c_str(), resolved))
        target_ = resolved;
    std::vector<char> name(target_.begin(), target_.end());
    const char suffix[] = ".XXXXXX.part";
    name.insert(name.end(), suffix, suffix + sizeof suffix);
    const int fd = mkstemps(name.data(), 5);
    if (fd < 0) {
        *problem = std::strerror(errno);
        return false;
    }
    fchmod(fd, new_file_mode());
    close(fd);
    path_ = name.data();
    return true;
}

bool TemporaryFile::commit(std::string* problem) {
    if (std::rename(path_.c_str(), target_.c_str()) != 0) {
        *problem = std::strerror(errno);
        return false;
    }
    path_.clear();
    return true;
}

void TemporaryFile::remove() {
    if (!path_.empty()) unlink(path_.c_str());
    path_.clear();
}
