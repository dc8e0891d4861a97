// The music's picture: a spectrogram with the score's sections marked and named.
#pragma once

#include <string>
#include <vector>

#include "music_analysis.h"

namespace analysis {

struct Mark {
    double seconds;
    std::string name;
};
// Throws std::runtime_error naming the file if it cannot be written.
void write_music_picture(const Track& t, const std::vector<Mark>& marks, const std::string& path);

}  // namespace analysis
