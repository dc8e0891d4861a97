// The show's entry point: its options, the folder of its files, start-up,
// then the main loop until a key is pressed.
#include "runtime/data_folder.h"
#include "runtime/show_options.h"
#include "runtime/startup.h"

int main(int argc, char** argv) {
    DisplayRequest display;
    std::string data_folder;
    const int status = parse_show_options(argc, argv, &display, &data_folder);
    if (status >= 0) return status;
    if (!find_data_folder("vavurava-rive", data_folder)) return 1;
    return demo_main(display);
}
