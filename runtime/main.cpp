// The show's entry point: its options, start-up, then the main loop until a
// key is pressed.
#include "runtime/show_options.h"
#include "runtime/startup.h"

int main(int argc, char** argv) {
    DisplayRequest display;
    const int status = parse_show_options(argc, argv, &display);
    if (status >= 0) return status;
    return demo_main(display);
}
