// A file written under a temporary name beside its target and renamed over
// it only when complete: the target never holds a half-written file, and of
// two runs writing the same target the last to finish wins whole.
#pragma once
#include <string>

class TemporaryFile {
public:
    TemporaryFile() = default;
    // Removes the temporary unless it was committed.
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    // Creates an empty "TARGET.XXXXXX.part" beside target (beside the file a
    // symbolic link names, so the link stays). False with *problem on failure.
    bool create(const std::string& target, std::string* problem);
    const std::string& path() const { return path_; }
    // Renames the temporary over the target.
    bool commit(std::string* problem);
    void remove();

private:
    std::string target_, path_;
};
