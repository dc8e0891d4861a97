// A contact sheet: one labelled frame from the middle of each of the nine
// parts, in show order, three by three at half size.
#include <cmath>
#include <cstdio>
#include <map>
#include <vector>

#include "capture_modes.h"
#include "capture_run.h"
#include "label_font.h"
#include "picture_file.h"
#include "runtime/demo.h"

namespace {
constexpr int columns = 3;
// Snapshots are kept this often while a part runs; the one nearest its
// middle goes on the sheet when it ends.
constexpr double snapshot_step_ms = 250.0;
// The finale never ends: its frame is taken this long after its entry.
constexpr double finale_sample_ms = 20000.0;

struct Snapshot {
    double time;
    std::vector<uint8_t> half; // cell_w x cell_h RGB
};

// Each cell is the frame at half its size: the mean of each 2 x 2 block.
std::vector<uint8_t> halve(const std::vector<uint8_t>& full) {
    const int cell_w = capture_run.width / 2, cell_h = capture_run.height / 2;
    const size_t row = static_cast<size_t>(capture_run.width) * 3;
    std::vector<uint8_t> half(static_cast<size_t>(cell_w) * cell_h * 3);
    for (int y = 0; y < cell_h; ++y)
        for (int x = 0; x < cell_w; ++x)
            for (int c = 0; c < 3; ++c) {
                const uint8_t* p = &full[2 * y * row + (2 * static_cast<size_t>(x)) * 3 + c];
                int sum = p[0] + p[3] + p[row] + p[row + 3];
                half[(static_cast<size_t>(y) * cell_w + x) * 3 + c] = static_cast<uint8_t>(sum / 4);
            }
    return half;
}

const Snapshot& middle_of(const std::vector<Snapshot>& shots, double start, double end) {
    const double middle = (start + end) / 2;
    size_t best = 0;
    for (size_t k = 1; k < shots.size(); ++k)
        if (std::abs(shots[k].time - middle) < std::abs(shots[best].time - middle)) best = k;
    return shots[best];
}
} // namespace

int capture_sheet(const CaptureSettings& settings) {
    if (!capture_start(settings.fps, settings.width, settings.height, settings.ssaa)) return 1;
    const int cell_w = settings.width / 2, cell_h = settings.height / 2;
    std::vector<std::pair<int, Snapshot>> chosen;
    std::vector<Snapshot> shots;
    int part = current_part;
    double part_start = 0, next_shot = 0;
    for (;;) {
        capture_render();
        const double t = frame_time;
        if (current_part != part) {
            if (!shots.empty()) chosen.push_back({part, middle_of(shots, part_start, t)});
            shots.clear();
            part = current_part;
            part_start = next_shot = t;
        }
        if (part == 100 && t - part_start >= finale_sample_ms) {
            chosen.push_back({part, {t, halve(capture_grab())}});
            break;
        }
        if (t >= next_shot) {
            shots.push_back({t, halve(capture_grab())});
            next_shot += snapshot_step_ms;
        }
        if (t > 600000.0) {
            std::fprintf(stderr, "capture: show time limit reached before the finale\n");
            return 1;
        }
        capture_advance();
    }
    const int rows = static_cast<int>((chosen.size() + columns - 1) / columns);
    const int width = cell_w * columns, height = cell_h * rows;
    std::vector<uint8_t> sheet(static_cast<size_t>(width) * height * 3, 0);
    for (size_t k = 0; k < chosen.size(); ++k) {
        const int ox = static_cast<int>(k % columns) * cell_w, oy = static_cast<int>(k / columns) * cell_h;
        const auto& half = chosen[k].second.half;
        for (int y = 0; y < cell_h; ++y)
            std::copy(&half[static_cast<size_t>(y) * cell_w * 3], &half[static_cast<size_t>(y + 1) * cell_w * 3],
                      &sheet[(static_cast<size_t>(oy + y) * width + ox) * 3]);
        char label[64];
        std::snprintf(label, sizeof label, "PART %d  %.1f S", chosen[k].first, chosen[k].second.time / 1000);
        draw_label(sheet.data(), width, height, ox + 8, oy + 8, label);
    }
    return write_picture(settings.output, width, height, sheet.data()) ? 0 : 1;
}
