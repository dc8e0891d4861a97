// The show on a real X screen of 1920 x 1080 (Xvfb, which offers no other
// mode): fullscreen covers the screen with the picture in the centred
// 1440 x 1080 rectangle and black around it, the screen's size never changes,
// and a plain key ends the show; a window letterboxes the same way as it is
// resized.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support.h"
#include "tools/capture/png_file.h"

namespace {
bool have(const char* program) { return std::system((std::string("command -v ") + program + " >/dev/null").c_str()) == 0; }

std::string trim(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    return text;
}

struct XScreen {
    std::string display;
    std::string pid;

    XScreen() {
        // A display number of this process's own, free of any lock file.
        for (int n = 100 + getpid() % 500;; ++n)
            if (access(("/tmp/.X" + std::to_string(n) + "-lock").c_str(), F_OK) != 0) {
                display = ":" + std::to_string(n);
                break;
            }
        pid = trim(command_output("(Xvfb " + display + " -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 & echo $!)"));
        for (int k = 0; k < 100 && size().empty(); ++k) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ~XScreen() { command_output("kill " + pid + " 2>/dev/null"); }

    std::string x(const std::string& command) const { return trim(command_output("DISPLAY=" + display + " " + command + " 2>/dev/null")); }
    std::string size() const { return x("xdpyinfo | sed -n 's/.*dimensions: *\\([0-9x]*\\) pixels.*/\\1/p'"); }

    // The whole screen as RGB rows.
    std::vector<uint8_t> screenshot(const std::string& path) const {
        command_output("ffmpeg -v error -y -f x11grab -video_size 1920x1080 -i " + display + " -frames:v 1 " + path);
        int w = 0, h = 0;
        std::vector<uint8_t> rgb;
        if (!read_png(path, &w, &h, &rgb) || w != 1920 || h != 1080) rgb.clear();
        return rgb;
    }
};

// The show as a user starts it, on the given screen; its exit status is
// written to a file when it ends.
struct Show {
    std::string status_file, pid_file;

    Show(const XScreen& screen, const std::string& options) {
        static int shows;
        status_file = scratch_path("show_status_" + std::to_string(++shows));
        pid_file = status_file + ".pid";
        // With no video driver named, as a user starts it: X is found by itself.
        command_output("(cd " VAVURAVA_BUILD_DIR " && env -u SDL_VIDEODRIVER DISPLAY=" + screen.display +
                       " SDL_AUDIODRIVER=dummy ./vavurava-rive " + options +
                       " >/dev/null 2>&1 & echo $! > " + pid_file + "; wait $!; echo $? > " + status_file +
                       ") >/dev/null 2>&1 &");
    }
    // A show the test could not end must not outlive it.
    ~Show() {
        if (wait_exit(0) < 0) command_output("kill -KILL $(cat " + pid_file + ") 2>/dev/null");
    }
    // The exit status, or -1 while it still runs after timeout_s.
    int wait_exit(int timeout_s) const {
        for (int k = 0;; ++k) {
            std::ifstream in(status_file);
            int status;
            if (in >> status) return status;
            if (k >= timeout_s * 10) return -1;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }
};

struct Box {
    int x0, y0, x1, y1;
};

// Pixels of the box clearly brighter than black.
int bright_pixels(const std::vector<uint8_t>& rgb, const Box& box) {
    int count = 0;
    for (int y = box.y0; y < box.y1; ++y)
        for (int x = box.x0; x < box.x1; ++x) {
            const uint8_t* p = &rgb[(static_cast<size_t>(y) * 1920 + x) * 3];
            if (p[0] > 24 || p[1] > 24 || p[2] > 24) ++count;
        }
    return count;
}

// Pixels of the box that are not exactly black.
int nonblack_pixels(const std::vector<uint8_t>& rgb, const Box& box) {
    int count = 0;
    for (int y = box.y0; y < box.y1; ++y)
        for (int x = box.x0; x < box.x1; ++x) {
            const uint8_t* p = &rgb[(static_cast<size_t>(y) * 1920 + x) * 3];
            if (p[0] || p[1] || p[2]) ++count;
        }
    return count;
}

std::string find_window(const XScreen& screen) {
    return screen.x("timeout 60 xdotool search --sync --onlyvisible --name 'Vavurava Rive' | head -1");
}
} // namespace

class Display : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* program : {"Xvfb", "xdotool", "xdpyinfo", "xwininfo", "ffmpeg"})
            if (!have(program)) GTEST_SKIP() << program << " is not installed";
        if (!std::ifstream(VAVURAVA_BUILD_DIR "/dats/zad2.ogg")) GTEST_SKIP() << "dats/ has not been generated";
    }
};

TEST_F(Display, FullscreenCoversTheScreenWithTheCentredFourByThreePictureAndNoModeChange) {
    XScreen screen;
    ASSERT_EQ(screen.size(), "1920x1080");
    Show show(screen, "");
    const std::string window = find_window(screen);
    ASSERT_FALSE(window.empty()) << "no window appeared";
    // Into the intro, where the logo fills most of the picture.
    std::this_thread::sleep_for(std::chrono::seconds(3));
    EXPECT_NE(screen.x("xwininfo -id " + window).find("-geometry 1920x1080+0+0"), std::string::npos)
        << screen.x("xwininfo -id " + window);
    EXPECT_EQ(screen.size(), "1920x1080");
    const auto rgb = screen.screenshot(scratch_path("fullscreen.png"));
    ASSERT_FALSE(rgb.empty());
    EXPECT_EQ(nonblack_pixels(rgb, {0, 0, 240, 1080}), 0);
    EXPECT_EQ(nonblack_pixels(rgb, {1680, 0, 1920, 1080}), 0);
    EXPECT_GT(bright_pixels(rgb, {240, 0, 1680, 1080}), 20000);

    // A key with Alt held does not end the show; a plain key does.
    screen.x("xdotool key alt+a");
    EXPECT_EQ(show.wait_exit(1), -1);
    screen.x("xdotool key a");
    EXPECT_EQ(show.wait_exit(30), 0);
    EXPECT_EQ(screen.size(), "1920x1080");
}

TEST_F(Display, AWindowLetterboxesThePictureAsItIsResized) {
    XScreen screen;
    Show show(screen, "--window=1024x768 --display 0");
    const std::string window = find_window(screen);
    ASSERT_FALSE(window.empty()) << "no window appeared";
    EXPECT_NE(screen.x("xwininfo -id " + window).find("-geometry 1024x768"), std::string::npos);
    // 1200 x 600 at the top left: the picture is the 800 x 600 in its middle.
    screen.x("xdotool windowmove " + window + " 0 0 windowsize " + window + " 1200 600");
    // The window stays black while the show loads, which a busy machine
    // can stretch over several seconds.
    std::vector<uint8_t> rgb;
    for (int k = 0; k < 30 && (rgb.empty() || bright_pixels(rgb, {200, 0, 1000, 600}) <= 8000); ++k) {
        std::this_thread::sleep_for(std::chrono::seconds(1));
        rgb = screen.screenshot(scratch_path("window.png"));
    }
    ASSERT_FALSE(rgb.empty());
    EXPECT_EQ(nonblack_pixels(rgb, {0, 0, 200, 600}), 0);
    EXPECT_EQ(nonblack_pixels(rgb, {1000, 0, 1200, 600}), 0);
    EXPECT_GT(bright_pixels(rgb, {200, 0, 1000, 600}), 8000);
    screen.x("xdotool key a");
    EXPECT_EQ(show.wait_exit(30), 0);
}
