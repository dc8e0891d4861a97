// vavurava-capture: runs the real show offscreen under a virtual clock that
// advances exactly one frame step per frame, and writes what it shows.
#include <getopt.h>

#include <cstdio>
#include <exception>
#include <new>
#include <string>
#include <vector>

#include "capture_modes.h"
#include "capture_run.h"
#include "output_format.h"
#include "runtime/command_line.h"
#include "runtime/data_folder.h"

namespace {
const char usage[] =
    "usage: vavurava-capture -o FILE.mp4|.mkv|.webm|.ogm|FOLDER/ [--fps N] [--from MS] [--to MS]\n"
    "                        [--size WxH] [--ssaa N] [--crf N] [--lossless]\n"
    "       vavurava-capture --frame MS -o FILE.png|.jpg [--fps N] [--size WxH] [--ssaa N]\n"
    "       vavurava-capture --frames MS,MS,... -o FOLDER [--fps N] [--size WxH] [--ssaa N]\n"
    "       vavurava-capture --timeline [--fps N]\n"
    "       vavurava-capture --sheet -o FILE.png|.jpg [--fps N] [--size WxH] [--ssaa N]\n"
    "       vavurava-capture --bench [--chart FILE.png|.jpg] [--size WxH]\n"
    "Every mode also takes --data DIR and --gl=compat|es3.\n"
    "Try 'vavurava-capture --help' for more.\n";

const char help[] =
    "usage: vavurava-capture MODE [OPTION]...\n"
    "Runs the show offscreen on a virtual clock of exactly one frame step per frame and\n"
    "writes what it shows; the same arguments give the same output on every run.\n"
    "\n"
    "Modes:\n"
    "  -o, --output FILE      record a video with the show's sound; the name picks the format:\n"
    "                           .mp4   H.264 and AAC, to share (plays on phones and sites)\n"
    "                           .mkv   H.264 and FLAC; with --lossless FFV1, every frame exact\n"
    "                           .webm  VP9 and Opus\n"
    "                           .ogm   MPEG-4 and Vorbis, the show's own clip format\n"
    "                           FOLDER/ or frames/%06d.png  numbered PNGs and sound.wav (into\n"
    "                                  a folder that holds no numbered pictures yet)\n"
    "  --frame MS             the first frame at or after MS ms of show time, to -o FILE.png\n"
    "                         (or FILE.jpg for JPEG)\n"
    "  --frames MS,MS,...     several frames (ascending) from one run, as frame_<MS>.png in\n"
    "                         the folder -o names (made if missing)\n"
    "  --timeline             print 'part N T' for each part as it is entered\n"
    "  --sheet                a contact sheet of one frame from each part, to -o FILE.png|.jpg\n"
    "  --bench                time every frame of the show; --chart FILE.png|.jpg draws them\n"
    "\n"
    "Options:\n"
    "  --fps N       frames per second of show time (1-1000, default 60)\n"
    "  --from MS     start the recording at this show time (default 0)\n"
    "  --to MS       end the recording here (default and latest: the end of the\n"
    "                greetings, where the show's end is)\n"
    "  --size WxH    the picture's 4:3 size (default 800x600), e.g. 1440x1080 for a 1080p\n"
    "                upload or 1920x1440\n"
    "  --ssaa N      render at N times the size and filter down, for clean edges: 1 (the\n"
    "                default, off), 2 or 3\n"
    "  --crf N       video quality, lower is better: H.264 0-51 (default 17), VP9 0-63\n"
    "                (default 27)\n"
    "  --lossless    .mkv only: FFV1 in RGB, every frame exactly as rendered\n"
    "  --data DIR    read the show's files from DIR/dats/ (default: dats/ in the working\n"
    "                folder, else the installed data); output paths stay relative to the\n"
    "                working folder\n"
    "  --gl=API      draw through desktop OpenGL (compat, the default) or through\n"
    "                OpenGL ES 3.0 (es3), as browsers and GLES-only devices have it\n"
    "  --help        show this help and exit\n"
    "  --version     show the version and exit\n"
    "\n"
    "A file appears under its name only when complete: until then it is written as\n"
    "NAME.XXXXXX.part beside it. Ctrl-C or SIGTERM stops a recording and keeps what was\n"
    "recorded (status 130 or 143).\n";

enum Option {
    frame = 256, frames, fps, from, to, size, ssaa, crf, lossless, timeline, sheet, bench, chart, data, gl,
    help_option,
    version
};

const option options[] = {
    {"output", required_argument, nullptr, 'o'},
    {"frame", required_argument, nullptr, frame},
    {"frames", required_argument, nullptr, frames},
    {"fps", required_argument, nullptr, fps},
    {"from", required_argument, nullptr, from},
    {"to", required_argument, nullptr, to},
    {"size", required_argument, nullptr, size},
    {"ssaa", required_argument, nullptr, ssaa},
    {"crf", required_argument, nullptr, crf},
    {"lossless", no_argument, nullptr, lossless},
    {"timeline", no_argument, nullptr, timeline},
    {"sheet", no_argument, nullptr, sheet},
    {"bench", no_argument, nullptr, bench},
    {"chart", required_argument, nullptr, chart},
    {"data", required_argument, nullptr, data},
    {"gl", required_argument, nullptr, gl},
    {"help", no_argument, nullptr, help_option},
    {"version", no_argument, nullptr, version},
    {nullptr, 0, nullptr, 0},
};

int fail(const std::string& problem) { return command_line_error("vavurava-capture", problem, usage); }

// An output that cannot be written: status 1, as for a recording.
int cannot_write(const std::string& path, const std::string& problem) {
    std::fprintf(stderr, "capture: %s: cannot write (%s)\n", path.c_str(), problem.c_str());
    return 1;
}

// A picture's name and place, checked before anything renders.
int check_picture(const char* option, const std::string& path) {
    if (!is_picture_name(path))
        return fail(std::string(option) + ": " + path + " is not a picture's name; it takes " + picture_outputs);
    std::string problem;
    return prepare_picture(path, &problem) ? 0 : cannot_write(path, problem);
}

// A recording's span against the show's end, the end of the greetings.
int check_span(CaptureSettings* settings) {
    char end[32];
    std::snprintf(end, sizeof end, "%.1f s", show_end_ms / 1000);
    if (settings->from_ms >= show_end_ms)
        return fail("--from: " + std::to_string(static_cast<long long>(settings->from_ms)) +
                    " is at or past the end of the show (the greetings end at " + end + ")");
    if (settings->to_ms > show_end_ms) {
        std::fprintf(stderr, "capture: --to is past the end of the show; the recording stops where the greetings end, "
                             "at about %s\n", end);
        settings->to_ms = -1;
    }
    return 0;
}

int bad_value(const char* option, const char* value, const char* wanted) {
    return fail(std::string(option) + ": '" + value + "' is not " + wanted);
}

// The recording options against the output's format; 0 when they fit.
int check_recording(const CaptureSettings& settings, bool crf_given) {
    OutputFormat format;
    if (!output_format_for(settings.output, &format))
        return fail(settings.output + ": not a format this tool writes; -o takes " + supported_outputs);
    const char* kind = output_kind_name(format.kind);
    if (settings.lossless && format.kind != OutputKind::mkv)
        return fail(std::string("--lossless: only .mkv keeps every frame exact (FFV1), not ") + kind);
    int low, high;
    if (crf_given && !crf_range(format.kind, settings.lossless, &low, &high))
        return fail(std::string("--crf: ") + (settings.lossless ? "a lossless recording" : kind) +
                    " has no quality setting");
    if (crf_given && (settings.crf < low || settings.crf > high))
        return fail("--crf: '" + std::to_string(settings.crf) + "' is not from " + std::to_string(low) + " to " +
                    std::to_string(high) + " for " + kind);
    // Half-size chroma, and MPEG-4's macroblocks in .ogm, need even sides.
    const bool even_sides = format.kind == OutputKind::mp4 || format.kind == OutputKind::webm ||
                            format.kind == OutputKind::ogm || (format.kind == OutputKind::mkv && !settings.lossless);
    if (even_sides && (settings.width % 2 || settings.height % 2))
        return fail(std::string("--size: ") + kind + " needs an even width and height (e.g. 1440x1080)");
    return 0;
}
} // namespace

int main(int argc, char** argv) {
    CaptureSettings settings;
    double frame_ms = -1;
    std::vector<double> times;
    std::string chart_path, data_folder;
    int mode = 0, modes = 0;
    opterr = 0;
    for (int c; (c = getopt_long(argc, argv, ":o:", options, nullptr)) != -1;) {
        long number;
        switch (c) {
        case 'o':
            if (!*optarg) return fail("-o: needs a file or folder name");
            settings.output = optarg;
            break;
        case frame:
            if (!parse_ms(optarg, &frame_ms)) return bad_value("--frame", optarg, "a time in ms");
            mode = c, ++modes;
            break;
        case frames:
            if (!parse_ms_list(optarg, &times))
                return bad_value("--frames", optarg, "a list of times in ms, each later than the one before (MS,MS,...)");
            mode = c, ++modes;
            break;
        case fps:
            if (!parse_int(optarg, 1, 1000, &number)) return bad_value("--fps", optarg, "a whole number from 1 to 1000");
            settings.fps = static_cast<int>(number);
            break;
        case from:
            if (!parse_ms(optarg, &settings.from_ms)) return bad_value("--from", optarg, "a time in ms");
            break;
        case to:
            if (!parse_ms(optarg, &settings.to_ms)) return bad_value("--to", optarg, "a time in ms");
            break;
        case size: {
            const std::string problem = picture_size_problem(optarg, &settings.width, &settings.height);
            if (!problem.empty()) return fail(problem);
            break;
        }
        case ssaa:
            if (!parse_int(optarg, 1, 3, &number)) return bad_value("--ssaa", optarg, "1, 2 or 3");
            settings.ssaa = static_cast<int>(number);
            break;
        case crf:
            if (!parse_int(optarg, 0, 63, &number)) return bad_value("--crf", optarg, "a whole number from 0 to 63");
            settings.crf = static_cast<int>(number);
            break;
        case lossless:
            settings.lossless = true;
            break;
        case timeline:
        case sheet:
        case bench:
            mode = c, ++modes;
            break;
        case chart:
            chart_path = optarg;
            break;
        case data:
            if (!*optarg) return fail("--data: needs a folder");
            data_folder = optarg;
            break;
        case gl: {
            const std::string problem = gl_choice_problem(optarg, &capture_run.gl);
            if (!problem.empty()) return fail(problem);
            break;
        }
        case help_option:
            std::fputs(help, stdout);
            return 0;
        case version:
            std::printf("vavurava-capture %s\n", VAVURAVA_VERSION);
            return 0;
        default:
            return fail(getopt_problem(argc, argv, c, options));
        }
    }
    if (optind < argc) return fail(std::string(argv[optind]) + ": unexpected argument");
    if (modes > 1) return fail("choose one of --frame, --frames, --timeline, --sheet, --bench and -o FILE");
    if (settings.to_ms >= 0 && settings.to_ms <= settings.from_ms) return fail("--to: must be later than --from");
    const bool needs_output = mode == frame || mode == frames || mode == sheet || mode == 0;
    if (needs_output && settings.output.empty()) return fail(mode == 0 ? "nothing to do" : "-o: needs a file or folder");
    if (settings.ssaa > 1 && (mode == timeline || mode == bench))
        return fail("--ssaa: only with -o, --frame, --frames and --sheet");
    if (settings.width * settings.ssaa > 16384)
        return fail("--ssaa: " + std::to_string(settings.ssaa) + " times " + std::to_string(settings.width) +
                    " is wider than 16384");
    if (mode != 0 && (settings.crf >= 0 || settings.lossless))
        return fail(std::string(settings.lossless ? "--lossless" : "--crf") + ": only for a recording (-o FILE)");
    if (!chart_path.empty() && mode != bench) return fail("--chart: only with --bench");
    if (mode != 0 && (settings.from_ms > 0 || settings.to_ms >= 0))
        return fail(std::string(settings.from_ms > 0 ? "--from" : "--to") + ": only for a recording (-o FILE)");
    if (!find_data_folder("vavurava-capture", data_folder)) return 1;
    // Everything that can be known before rendering is checked here.
    std::string problem;
    OutputFormat format;
    int status = 0;
    switch (mode) {
    case 0:
        status = check_recording(settings, settings.crf >= 0);
        if (!status) status = check_span(&settings);
        if (!status && (!output_format_for(settings.output, &format) || !prepare_output(&format, &problem)))
            status = cannot_write(settings.output, problem);
        break;
    case frame:
    case sheet:
        status = check_picture("-o", settings.output);
        break;
    case bench:
        if (!chart_path.empty()) status = check_picture("--chart", chart_path);
        break;
    case frames:
        if (!prepare_folder(settings.output, &settings.created_folder, &problem))
            status = cannot_write(settings.output, problem);
        break;
    }
    if (status) return status;
    try {
        switch (mode) {
        case frame:
            return capture_frame(frame_ms, settings);
        case frames:
            return capture_frames(times, settings);
        case timeline:
            return capture_timeline(settings);
        case sheet:
            return capture_sheet(settings);
        case bench:
            return capture_bench(settings, chart_path);
        default:
            return capture_record(settings, format);
        }
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "capture: out of memory\n");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "capture: %s\n", e.what());
    }
    return 1;
}
