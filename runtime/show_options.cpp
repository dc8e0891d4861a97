// --window[=WxH], --size WxH, --display N, --data DIR, --help and --version, GNU style.
#include "runtime/show_options.h"

#include <getopt.h>

#include <cstdio>
#include <string>

#include "runtime/command_line.h"

namespace {
const char usage[] =
    "usage: vavurava-rive [--window[=WxH]] [--size WxH] [--display N] [--data DIR]\n"
    "Try 'vavurava-rive --help' for more.\n";

const char help[] =
    "usage: vavurava-rive [OPTION]...\n"
    "Plays the show in step with its music.\n"
    "Any key ends it (a key with Alt held does not).\n"
    "\n"
    "  --window[=WxH]  play in a resizable window (800x600 unless given) instead of\n"
    "                  fullscreen; the picture keeps 4:3 inside it\n"
    "  --size WxH      draw the scenes at this 4:3 size (e.g. 1440x1080); by default\n"
    "                  the screen's own resolution, or 800x600 on a software renderer\n"
    "  --display N     play on display N, counted from 0 (default 0, the first\n"
    "                  display, which desktops make the primary one)\n"
    "  --data DIR      read the show's files from DIR/dats/; by default from dats/\n"
    "                  in the working folder, else from the installed data\n"
    "  --help          show this help and exit\n"
    "  --version       show the version and exit\n"
    "\n"
    "Fullscreen covers the screen on its current mode (the mode is never changed),\n"
    "with black bars where the screen is not 4:3.\n";

const option options[] = {
    {"window", optional_argument, nullptr, 'w'},
    {"size", required_argument, nullptr, 's'},
    {"display", required_argument, nullptr, 'd'},
    {"data", required_argument, nullptr, 'D'},
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, 'v'},
    {nullptr, 0, nullptr, 0},
};

int fail(const std::string& problem) { return command_line_error("vavurava-rive", problem, usage); }
} // namespace

int parse_show_options(int argc, char** argv, DisplayRequest* display, std::string* data_folder) {
    optind = 0;  // also from the start when called again
    opterr = 0;
    for (int c; (c = getopt_long(argc, argv, ":", options, nullptr)) != -1;) {
        switch (c) {
        case 'w':
            display->fullscreen = false;
            if (optarg) {
                const std::string problem = window_size_problem(optarg, &display->window_width, &display->window_height);
                if (!problem.empty()) return fail(problem);
            }
            break;
        case 's': {
            const std::string problem = picture_size_problem(optarg, &display->render_width, &display->render_height);
            if (!problem.empty()) return fail(problem);
            break;
        }
        case 'd': {
            long n;
            if (!parse_int(optarg, 0, 63, &n)) return fail(std::string("--display: '") + optarg + "' is not a display number");
            display->display = static_cast<int>(n);
            // Without any display start-up says so; here only a number too large.
            const int count = platform_display_count();
            if (count > 0 && n >= count)
                return fail("--display: there is no display " + std::to_string(n) + "; " +
                            (count == 1 ? std::string("the only one is 0") : "they are 0 to " + std::to_string(count - 1)));
            break;
        }
        case 'D':
            if (!*optarg) return fail("--data: needs a folder");
            *data_folder = optarg;
            break;
        case 'h':
            std::fputs(help, stdout);
            return 0;
        case 'v':
            std::printf("vavurava-rive %s\n", VAVURAVA_VERSION);
            return 0;
        default:
            return fail(getopt_problem(argc, argv, c, options));
        }
    }
    if (optind < argc) {
        int w, h;
        const bool size = parse_size(argv[optind], &w, &h);
        return fail(std::string(argv[optind]) + ": unexpected argument" +
                    (size ? " (a window's size goes as --window=WxH)" : ""));
    }
    return -1;
}
