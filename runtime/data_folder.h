// Where the show's files lie. Every file the show opens is named "dats/..."
// and opened under the data folder chosen at start-up: the working folder,
// the data installed with the programs, or the one --data names.
#pragma once
#include <string>

// The folder that holds dats/; empty for the working folder, where the
// names are opened as they are.
extern std::string data_root;

// The name to open for a name the show uses: under data_root, unless the
// name is absolute.
std::string data_path(const char* name);

// The installed data folder beside an executable at exe_path
// (bin/../share/vavurava-rive, normalised); empty when exe_path is empty.
std::string installed_data_folder(const std::string& exe_path);

// Chooses the folder that holds dats/: `requested` alone when it is not
// empty, otherwise the working folder, then `installed`. On success sets
// *root ("" for the working folder); otherwise *problem names each folder
// tried.
bool choose_data_folder(const std::string& requested, const std::string& installed, std::string* root,
                        std::string* problem);

// choose_data_folder with the data installed beside this process's own
// executable, into data_root. Prints "program: problem" and returns false
// when no folder holds dats/.
bool find_data_folder(const char* program, const std::string& requested);
