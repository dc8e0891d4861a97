// Option values are parsed in full (a trailing "x" or a stray character is an
// error, never ignored), and every mistake is reported the same way.
#include "runtime/command_line.h"

#include <getopt.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

bool parse_int(const char* text, long min, long max, long* value) {
    if (!text || !*text) return false;
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(text, &end, 10);
    if (errno != 0 || *end != 0 || v < min || v > max) return false;
    *value = v;
    return true;
}

bool parse_ms(const char* text, double* value) {
    if (!text || !*text) return false;
    char* end = nullptr;
    errno = 0;
    const double v = std::strtod(text, &end);
    if (errno != 0 || *end != 0 || !std::isfinite(v) || v < 0) return false;
    *value = v;
    return true;
}

bool parse_ms_list(const char* text, std::vector<double>* values) {
    std::vector<double> parsed;
    std::string all = text ? text : "";
    size_t start = 0;
    for (;;) {
        const size_t comma = all.find(',', start);
        const std::string item = all.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        double v;
        if (!parse_ms(item.c_str(), &v)) return false;
        if (!parsed.empty() && v < parsed.back()) return false;
        parsed.push_back(v);
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    *values = parsed;
    return true;
}

bool parse_size(const char* text, int* width, int* height) {
    if (!text) return false;
    const std::string s = text;
    const size_t x = s.find('x');
    if (x == std::string::npos) return false;
    long w, h;
    if (!parse_int(s.substr(0, x).c_str(), 16, 16384, &w) || !parse_int(s.substr(x + 1).c_str(), 16, 16384, &h))
        return false;
    *width = static_cast<int>(w);
    *height = static_cast<int>(h);
    return true;
}

bool is_four_by_three(int width, int height) { return width * 3 == height * 4; }

std::string picture_size_problem(const char* text, int* width, int* height) {
    int w, h;
    if (!parse_size(text, &w, &h)) return std::string("--size: '") + (text ? text : "") + "' is not a size WxH";
    if (!is_four_by_three(w, h)) return std::string("--size: ") + text + " is not 4:3 (e.g. 1440x1080)";
    *width = w;
    *height = h;
    return "";
}

std::string gl_choice_problem(const char* text, GlChoice* choice) {
    const std::string value = text ? text : "";
    for (GlChoice c : {GlChoice::compatibility, GlChoice::es3})
        if (value == gl_choice_name(c)) {
            *choice = c;
            return "";
        }
    return "--gl: '" + value + "' is not compat or es3";
}

int command_line_error(const char* program, const std::string& problem, const char* usage) {
    std::fprintf(stderr, "%s: %s\n%s", program, problem.c_str(), usage);
    return 2;
}

std::string getopt_problem(int argc, char** argv, int result) {
    // getopt_long has moved past the option it could not take.
    const int at = optind - 1;
    std::string option = at > 0 && at < argc ? argv[at] : "";
    const bool long_option = option.rfind("--", 0) == 0;
    if (!long_option && optopt) option = std::string("-") + static_cast<char>(optopt);
    const size_t equals = option.find('=');
    const bool has_value = long_option && equals != std::string::npos;
    if (has_value) option.resize(equals);
    if (result == ':') return option + ": needs a value";
    // optopt names a known option that refused its value.
    if (has_value && optopt) return option + ": takes no value";
    return option + ": unknown option";
}
