// What the show does with window messages: any key ends it, except a key
// pressed with Alt held (the system-key case); closing the window ends it too.
#include "platform/platform.h"
#include "runtime/demo.h"

void window_proc(WindowMessage message) {
    if (message == WindowMessage::key_down || message == WindowMessage::close) quit_flag = 1;
}
