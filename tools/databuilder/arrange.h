// Reads the score into timed events: every drum hit, note and chord with its
// voice, time, pitch and level, in a fixed order.
#pragma once

#include <vector>

#include "score.h"
#include "synth/voices.h"

namespace music {

struct Event {
    Voice voice;
    synth::Note note;
    unsigned seed;  // for the voices that use noise
};

// Throws std::runtime_error naming the section and the pattern on bad notation.
std::vector<Event> arrange(const std::vector<Section>& sections);

// When each section begins and ends (seconds), and its sixteenth's length.
struct SectionTime {
    double start, end, step;
};
SectionTime section_time(const std::vector<Section>& sections, size_t k);

}  // namespace music
