// The command lines of the show and the capture tool: good forms set what
// they name, and every bad form gives status 2 with one line naming the
// option before the usage.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/show_options.h"
#include "tests/support.h"

namespace {
struct Parsed {
    int status;
    DisplayRequest display;
    std::string data_folder;
    std::string first_error_line;
};

Parsed parse(std::vector<std::string> words) {
    words.insert(words.begin(), "vavurava-rive");
    std::vector<char*> argv;
    for (auto& w : words) argv.push_back(&w[0]);
    argv.push_back(nullptr);
    Parsed p;
    testing::internal::CaptureStderr();
    p.status = parse_show_options(static_cast<int>(words.size()), argv.data(), &p.display, &p.data_folder);
    const std::string err = testing::internal::GetCapturedStderr();
    p.first_error_line = err.substr(0, err.find('\n'));
    return p;
}
} // namespace

TEST(ShowOptions, GoodFormsSetTheDisplay) {
    Parsed p = parse({});
    EXPECT_EQ(p.status, -1);
    EXPECT_TRUE(p.display.fullscreen);
    EXPECT_EQ(p.display.render_width, 0);

    p = parse({"--window"});
    EXPECT_EQ(p.status, -1);
    EXPECT_FALSE(p.display.fullscreen);
    EXPECT_EQ(p.display.window_width, 800);
    EXPECT_EQ(p.display.window_height, 600);

    p = parse({"--window=1280x720", "--size", "1440x1080"});
    EXPECT_EQ(p.status, -1);
    EXPECT_EQ(p.display.window_width, 1280);
    EXPECT_EQ(p.display.window_height, 720);
    EXPECT_EQ(p.display.render_width, 1440);
    EXPECT_EQ(p.display.render_height, 1080);

    p = parse({"--display", "0", "--size=1600x1200", "--data", "/opt/show"});
    EXPECT_EQ(p.display.display, 0);
    EXPECT_EQ(p.status, -1);
    EXPECT_TRUE(p.display.fullscreen);
    EXPECT_EQ(p.display.render_width, 1600);
    EXPECT_EQ(p.data_folder, "/opt/show");

    testing::internal::CaptureStdout();
    EXPECT_EQ(parse({"--help"}).status, 0);
    EXPECT_NE(testing::internal::GetCapturedStdout().find("--window[=WxH]"), std::string::npos);
}

TEST(ShowOptions, EveryBadFormIsNamedWithStatusTwo) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--bogus"}, "--bogus"},
        {{"-x"}, "-x"},
        {{"--size"}, "--size"},
        {{"--size", "1000x600"}, "--size"},
        {{"--size", "800x600x"}, "--size"},
        {{"--size=800"}, "--size"},
        {{"--size", "16x12"}, "--size: 16x12 is too small; 4:3 sizes go from 24x18 to 16384x12288"},
        {{"--size", "20000x15000"}, "--size: 20000x15000 is too large"},
        {{"--size", "+800x+600"}, "--size: '+800x+600' is not a size"},
        {{"--size", " 800x600"}, "--size"},
        {{"--window=big"}, "--window"},
        {{"--window=8x6"}, "--window: 8x6 is too small; windows go from 16x16"},
        {{"--display", "1"}, "--display: there is no display 1; the only one is 0"},
        {{"--display", "0x1"}, "--display: '0x1' is not"},
        {{"--window", "1024x768"}, "1024x768"},
        {{"--help=yes"}, "--help"},
        {{"--data"}, "--data"},
        {{"--data="}, "--data"},
    };
    for (const auto& [words, named] : cases) {
        const Parsed p = parse(words);
        EXPECT_EQ(p.status, 2) << words[0];
        EXPECT_NE(p.first_error_line.find(named), std::string::npos) << p.first_error_line;
        EXPECT_EQ(p.first_error_line.rfind("vavurava-rive: ", 0), 0u) << p.first_error_line;
    }
}

// Every one is found before anything renders: the first line names the
// option and the problem (or the limits), status 2.
TEST(CaptureOptions, BadValuesAreRefusedWithStatusTwoAndNothingRuns) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"--frame abc -o x.png", "--frame: 'abc' is not"},
        {"--fps 30x --timeline", "--fps: '30x' is not"},
        {"--frames 5,3 -o .", "--frames: '5,3' is not"},
        {"--frames 1000,1000 -o .", "--frames: '1000,1000' is not"},
        {"--size 800x601 --sheet -o x.png", "--size: 800x601 is not 4:3"},
        {"--size 16x12 -o x.mp4", "--size: 16x12 is too small; 4:3 sizes go from 24x18 to 16384x12288"},
        {"--size 20000x15000 -o x.mp4", "--size: 20000x15000 is too large"},
        {"--size +800x+600 -o x.mp4", "--size: '+800x+600' is not a size"},
        {"--size 28x21 -o x.ogm", "--size: .ogm needs an even width and height"},
        {"--from -5 -o x.ogm", "--from: '-5' is not"},
        {"--from 0x10 -o x.mp4", "--from: '0x10' is not"},
        {"--from 300000 -o x.mp4", "--from: 300000 is at or past the end of the show"},
        {"--frame 500 --to 900 -o x.png", "--to: only for a recording"},
        {"--frame 500 -o x.gif", "-o: x.gif is not a picture's name"},
        {"--timeline --chart x.png", "--chart: only with --bench"},
        {"-o ''", "-o: needs a file or folder name"},
        {"--fr 5", "--fr: ambiguous (--frame, --frames, --from)"},
        {"--bogus", "--bogus: unknown option"},
        {"", "nothing to do"},
    };
    for (const auto& [arguments, says] : cases) {
        int status = 0;
        const std::string err = command_output(
            std::string("cd " VAVURAVA_BUILD_DIR " && ./vavurava-capture ") + arguments + " 2>&1 >/dev/null", &status);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2) << arguments << ": " << err;
        EXPECT_EQ(err.rfind("vavurava-capture: " + says, 0), 0u) << arguments << ": " << err;
        EXPECT_NE(err.find("usage:"), std::string::npos) << arguments;
    }
}
