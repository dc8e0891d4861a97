// Temporary files beside their targets, renamed into place when complete.
#include "output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "output_format.h"

namespace {
// The mode a new file gets from the process's umask; mkstemps makes 0600.
mode_t new_file_mode() {
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

// Flushes a file's (or folder's) contents to the disk; 0 or an errno.
int sync_to_disk(const std::string& path, int flags) {
    const int fd = open(path.c_str(), flags | O_CLOEXEC);
    if (fd < 0) return errno;
    const int error = fsync(fd) == 0 ? 0 : errno;
    close(fd);
    return error;
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
    // The contents reach the disk before the name does, so that a crash of
    // the machine cannot leave the target named but empty.
    if (const int error = sync_to_disk(path_, O_RDONLY)) {
        *problem = std::strerror(error);
        return false;
    }
    if (std::rename(path_.c_str(), target_.c_str()) != 0) {
        *problem = std::strerror(errno);
        return false;
    }
    path_.clear();
    // The rename itself; a folder that cannot be synced (some file systems
    // refuse) leaves the file complete all the same.
    sync_to_disk(folder_of(target_), O_RDONLY | O_DIRECTORY);
    return true;
}

void TemporaryFile::remove() {
    if (!path_.empty()) unlink(path_.c_str());
    path_.clear();
}
