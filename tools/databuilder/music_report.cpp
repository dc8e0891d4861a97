// vavurava-music-report FILE.ogg: measures a music file against the show: its
// loudness and true peak, the share of its power where the ear is most
// sensitive, its stereo width, how hard it hits at each section of the score,
// and whether any two 16-s stretches of the finale are alike.
// --picture OUT.png also draws its spectrogram with the sections marked.
#include <cstdio>
#include <cstring>
#include <exception>

#include "arrange.h"
#include "music_analysis.h"
#include "music_picture.h"

int main(int argc, char** argv) {
    const auto& sections = music::score();
    const char* usage = "usage: vavurava-music-report FILE.ogg [--picture OUT.png]\n";
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::printf("%s", usage);
        return 0;
    }
    const bool picture = argc == 4 && std::strcmp(argv[2], "--picture") == 0;
    if ((argc != 2 && !picture) || argv[1][0] == '-') {
        std::fprintf(stderr, "%s", usage);
        return 2;
    }
    try {
        analysis::Track t = analysis::decode_ogg(argv[1]);
        if (picture) {
            std::vector<analysis::Mark> marks;
            for (const auto& s : sections) {
                char label[64];
                std::snprintf(label, sizeof label, "%s %.1f s", s.name, s.start);
                marks.push_back({s.start, label});
            }
            analysis::write_music_picture(t, marks, argv[3]);
            std::printf("wrote %s\n", argv[3]);
        }
        analysis::Loudness all = analysis::loudness(t);
        std::printf("%s: %.1f s\n", argv[1], t.seconds());
        std::printf("loudness %.1f LUFS, true peak %.2f dBTP, sample peak %.4f\n", all.integrated_lufs,
                    all.true_peak_dbtp, all.sample_peak);
        std::printf("power in 1-4 kHz %.1f dB of the total, above 10 kHz %.1f dB\n", analysis::band_share_db(t, 1000, 4000),
                    analysis::band_share_db(t, 10000, 22050));
        std::printf("side/mid power %.3f\n", analysis::side_over_mid(t));
        analysis::WindowPair w = analysis::closest_windows(t, 108, 200, 16);
        std::printf("finale 108-200 s: closest 16-s windows at %.1f and %.1f s, %.1f dB apart\n", w.a, w.b,
                    w.difference_db);
        std::printf("%-20s %8s %8s %10s %8s\n", "section", "start", "LUFS", "1-4 kHz", "accent");
        for (size_t k = 0; k < sections.size(); ++k) {
            music::SectionTime st = music::section_time(sections, k);
            if (st.start >= t.seconds()) break;
            analysis::Track part = analysis::slice(t, st.start, st.end);
            char accent[16] = "";
            if (st.start >= 2) std::snprintf(accent, sizeof accent, "%+.1f dB", analysis::accent_db(t, st.start));
            std::printf("%-20s %8.3f %8.1f %7.1f dB %8s\n", sections[k].name, st.start,
                        analysis::loudness(part).integrated_lufs, analysis::band_share_db(part, 1000, 4000), accent);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "music-report: %s\n", e.what());
        return 1;
    }
    return 0;
}
