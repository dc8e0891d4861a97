// The show's command line: how it is put on the screen and where its files are.
#pragma once
#include <string>

#include "platform/platform.h"

// Reads the options into *display and *data_folder (the folder --data names,
// left as it is without one). Returns -1 when the show should run, or the
// exit status (0 after --help or --version, 2 after a mistake, reported).
int parse_show_options(int argc, char** argv, DisplayRequest* display, std::string* data_folder);
