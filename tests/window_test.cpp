// The key rule of the window: any key ends the show, a key with Alt held
// (the system-key case) does not, closing the window does; and no window
// without a display.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include "platform/platform.h"
#include "runtime/demo.h"
#include "tests/support.h"

// Without a display the show says so and stops, rather than play to nobody;
// the offscreen driver runs only when asked for by name.
TEST(Startup, WithoutADisplayTheShowSaysSoAndExitsWithOne) {
    for (const char* display : {"-u DISPLAY", "DISPLAY=:59999"}) {
        int status = 0;
        const std::string said = command_output(std::string("cd " VAVURAVA_BUILD_DIR " && env -u SDL_VIDEODRIVER -u "
                                                            "WAYLAND_DISPLAY ") + display +
                                                    " SDL_AUDIODRIVER=dummy timeout 60 ./vavurava-rive 2>&1", &status);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << display << ": " << said;
        EXPECT_NE(said.find("vavurava-rive: no display could be opened"), std::string::npos) << display << ": " << said;
    }
}

TEST(KeyRule, AKeyWithAltHeldIsIgnored) {
    ensure_gl_context();
    platform_pump_messages();
    quit_flag = 0;
    platform_post_key_down(true);
    platform_pump_messages();
    EXPECT_EQ(quit_flag, 0);
}

TEST(KeyRule, AnyOtherKeyEndsTheShow) {
    ensure_gl_context();
    platform_pump_messages();
    quit_flag = 0;
    platform_post_key_down(false);
    platform_pump_messages();
    EXPECT_EQ(quit_flag, 1);
    quit_flag = 0;
}

TEST(KeyRule, ClosingTheWindowEndsTheShowAndOtherMessagesDoNot) {
    quit_flag = 0;
    window_proc(WindowMessage::other);
    window_proc(WindowMessage::system_key_down);
    EXPECT_EQ(quit_flag, 0);
    window_proc(WindowMessage::close);
    EXPECT_EQ(quit_flag, 1);
    quit_flag = 0;
}
