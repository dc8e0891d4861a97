// The key rule of the window: any key ends the show, a key with Alt held
// (the system-key case) does not, closing the window does.
#include <gtest/gtest.h>

#include "platform/platform.h"
#include "runtime/demo.h"
#include "tests/support.h"

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
