// Fault injection end to end: the real show, run by the capture tool from a
// scratch folder whose dats/ has one file missing, truncated or corrupted,
// must reach the finale, exit 0 and name the bad file exactly once on
// standard error. Also an empty dats/, no audio device and no display.
// The sample runs always; VAVURAVA_LONG_TESTS=1 runs every file with every
// damage.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "tests/fault_support.h"
#include "tests/support.h"

namespace {
const std::string build_dir = VAVURAVA_BUILD_DIR;
const std::string source_dats = build_dir + "/dats";
// One frame per virtual second: the show reaches the finale in a few seconds
// of wall time, and every part still hands over.
const std::string timeline = build_dir + "/vavurava-capture --timeline --fps 1";
constexpr int run_limit_s = 180;

bool long_tests() {
    const char* flag = std::getenv("VAVURAVA_LONG_TESTS");
    return flag && std::string(flag) == "1";
}

struct Case {
    std::string file; // in dats/; empty: every file missing
    Damage damage = Damage::missing;
    std::string environment = "SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy";
    std::string folder;
    ShowRun run;
    std::string label() const {
        return file.empty() ? std::string("empty dats/") : file + " " + damage_name(damage);
    }
};

// How messages name a file: the images are asked for by several extensions
// (the room's .bmp names open the .jpg), so the stem and its dot.
std::string message_name(const std::string& file) { return "dats/" + file.substr(0, file.find('.') + 1); }

// Runs the cases two at a time (the machine has two cores).
void run_cases(std::vector<Case>& cases) {
    static std::atomic<int> folders{0};
    std::atomic<size_t> next{0};
    auto worker = [&] {
        for (size_t i = next++; i < cases.size(); i = next++) {
            Case& c = cases[i];
            c.folder = scratch_path("fault-" + std::to_string(folders++));
            make_damaged_dats(source_dats, c.folder, c.file, c.damage);
            c.run = run_in(c.folder, c.environment, timeline, run_limit_s);
        }
    };
    std::thread a(worker), b(worker);
    a.join();
    b.join();
}

// The show got to the finale and ended well.
void expect_finale(const Case& c) {
    EXPECT_EQ(c.run.status, 0) << c.label() << "\nstderr:\n" << c.run.err;
    EXPECT_NE(c.run.out.find("part 100 "), std::string::npos) << c.label() << "\nstdout:\n" << c.run.out;
}

void expect_damage_reported(const std::vector<std::string>& files, const Case& c) {
    expect_finale(c);
    const int named = lines_containing(c.run.err, message_name(c.file));
    // Garbage inside a small JPEG's scan can decode as a valid, wrong
    // picture (part.jpg's scan is some 1 KB): no decoder can tell, so it may
    // go unnamed, but never be named twice.
    if (c.damage == Damage::corrupt_body && ends_with(c.file, ".jpg") && named == 0) return;
    EXPECT_EQ(named, 1) << c.label() << ": the file must be named exactly once\nstderr:\n" << c.run.err;
    for (const std::string& other : files) {
        if (message_name(other) == message_name(c.file)) continue;
        EXPECT_EQ(lines_containing(c.run.err, message_name(other)), 0)
            << c.label() << ": an undamaged file is reported\nstderr:\n" << c.run.err;
    }
}

std::vector<std::string> dats_files() { return folder_files(source_dats); }

bool have_dats() { return !dats_files().empty(); }
} // namespace

TEST(FaultInjection, UntouchedDataGivesNoMessages) {
    if (!have_dats()) GTEST_SKIP() << "dats/ has not been generated in this build directory";
    std::vector<Case> cases(1);
    cases[0].file = "none-damaged";
    run_cases(cases);
    expect_finale(cases[0]);
    for (const std::string& file : dats_files())
        EXPECT_EQ(lines_containing(cases[0].run.err, message_name(file)), 0) << cases[0].run.err;
}

TEST(FaultInjection, SampleOfEachDamageForMusicClipsAndImages) {
    if (!have_dats()) GTEST_SKIP() << "dats/ has not been generated in this build directory";
    const std::vector<std::pair<std::string, Damage>> sample = {
        {"zad2.ogg", Damage::missing},         {"zad2.ogg", Damage::truncated_half},
        {"zad2.ogg", Damage::corrupt_body},    {"scene03.ogm", Damage::missing},
        {"scene09.ogm", Damage::truncated_tail}, {"scene07.ogm", Damage::corrupt_body},
        // metalor is the room texture loaded most often.
        {"metalor.jpg", Damage::missing},      {"part.jpg", Damage::truncated_half},
        {"greets.jpg", Damage::corrupt_body},  {"LogoQorv.jpg", Damage::corrupt_header},
    };
    std::vector<Case> cases;
    for (const auto& s : sample) {
        Case c;
        c.file = s.first;
        c.damage = s.second;
        cases.push_back(c);
    }
    run_cases(cases);
    const std::vector<std::string> files = dats_files();
    for (const Case& c : cases) expect_damage_reported(files, c);
}

TEST(FaultInjection, EveryFileWithEveryDamage) {
    if (!long_tests()) GTEST_SKIP() << "set VAVURAVA_LONG_TESTS=1 to run every file with every damage";
    if (!have_dats()) GTEST_SKIP() << "dats/ has not been generated in this build directory";
    const std::vector<std::string> files = dats_files();
    std::vector<Case> cases;
    for (const std::string& file : files)
        for (Damage damage : all_damages()) {
            Case c;
            c.file = file;
            c.damage = damage;
            cases.push_back(c);
        }
    run_cases(cases);
    for (const Case& c : cases) expect_damage_reported(files, c);
}

TEST(FaultInjection, EmptyDatsFolderStillReachesTheFinaleNamingEveryFileOnce) {
    if (!have_dats()) GTEST_SKIP() << "dats/ has not been generated in this build directory";
    std::vector<Case> cases(1);
    run_cases(cases);
    expect_finale(cases[0]);
    for (const std::string& file : dats_files())
        EXPECT_EQ(lines_containing(cases[0].run.err, message_name(file)), 1)
            << file << " must be named once\nstderr:\n" << cases[0].run.err;
}

TEST(FaultInjection, NoAudioDeviceRunsSilentToTheFinale) {
    if (!have_dats()) GTEST_SKIP() << "dats/ has not been generated in this build directory";
    std::vector<Case> cases(1);
    cases[0].file = "none-damaged";
    cases[0].environment = "SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=no-such-driver";
    run_cases(cases);
    expect_finale(cases[0]);
    EXPECT_EQ(lines_containing(cases[0].run.err, "no audio device"), 1) << cases[0].run.err;
}

// No display at all, none that answers, or no driver: the show says so in
// one line and stops with status 1; it never falls back to playing offscreen
// to nobody (only a driver named in SDL_VIDEODRIVER runs offscreen).
TEST(FaultInjection, NoDisplayGivesOneLineAndStatusOne) {
    const std::string folder = scratch_path("fault-no-display");
    make_damaged_dats(source_dats, folder, "none-damaged", Damage::missing);
    for (const char* display : {"SDL_VIDEODRIVER=no-such-driver", "-u SDL_VIDEODRIVER -u WAYLAND_DISPLAY -u DISPLAY",
                                "-u SDL_VIDEODRIVER -u WAYLAND_DISPLAY DISPLAY=:59999"}) {
        const ShowRun run = run_in(folder, std::string(display) + " SDL_AUDIODRIVER=dummy",
                                   build_dir + "/vavurava-rive", 60);
        EXPECT_EQ(run.status, 1) << display << "\nstderr:\n" << run.err;
        // (SDL's Wayland probe may add a line of its own.)
        EXPECT_EQ(lines_containing(run.err, "vavurava-rive: no display could be opened"), 1) << display << "\n" << run.err;
        EXPECT_EQ(lines_containing(run.err, "vavurava-rive: "), 1) << display << "\n" << run.err;
    }
}
