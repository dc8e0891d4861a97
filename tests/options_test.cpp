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

    p = parse({"--size=1600x1200", "--data", "/opt/show"});
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
        {{"--size", "8x6"}, "--size"},
        {{"--window=big"}, "--window"},
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

TEST(CaptureOptions, BadValuesAreRefusedWithStatusTwoAndNothingRuns) {
    for (const char* arguments : {"--frame abc -o x.png", "--fps 30x --timeline", "--frames 5,3 -o .",
                                  "--size 800x601 --sheet -o x.png", "--from -5 -o x.ogm", "--bogus", ""}) {
        int status = 0;
        const std::string err = command_output(
            std::string("cd " VAVURAVA_BUILD_DIR " && ./vavurava-capture ") + arguments + " 2>&1 >/dev/null", &status);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2) << arguments << ": " << err;
        EXPECT_EQ(err.rfind("vavurava-capture: ", 0), 0u) << arguments << ": " << err;
        EXPECT_NE(err.find("usage:"), std::string::npos) << arguments;
    }
}
