// Option values are parsed in full (a trailing "x" or a stray character is an
// error, never ignored), and every mistake is reported the same way.
#include "runtime/command_line.h"

#include <getopt.h>

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {
constexpr long min_side = 16, max_side = 16384;

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Plain decimal digits, a sign only where negative values are allowed: the C
// library alone would also take leading blanks, "+", hexadecimal, "inf".
bool plain_number(const char* text, bool negative_allowed, bool fraction_allowed) {
    if (negative_allowed && *text == '-') ++text;
    if (!is_digit(*text)) return false;
    while (is_digit(*text)) ++text;
    if (fraction_allowed && *text == '.' && is_digit(text[1]))
        for (++text; is_digit(*text);) ++text;
    return *text == 0;
}

// "WxH" in plain digits, each side any size.
bool split_size(const char* text, long* width, long* height) {
    if (!text) return false;
    const std::string s = text;
    const size_t x = s.find('x');
    return x != std::string::npos && parse_int(s.substr(0, x).c_str(), 0, LONG_MAX, width) &&
           parse_int(s.substr(x + 1).c_str(), 0, LONG_MAX, height);
}

// The limits as words: "is too small; ... go from AxB to CxD", or "".
std::string size_limits_problem(long width, long height, const char* what, const char* smallest, const char* largest) {
    const char* problem = nullptr;
    if (width < min_side || height < min_side) problem = " is too small; ";
    else if (width > max_side || height > max_side) problem = " is too large; ";
    if (!problem) return "";
    return std::to_string(width) + "x" + std::to_string(height) + problem + what + " go from " + smallest + " to " +
           largest;
}
} // namespace

bool parse_int(const char* text, long min, long max, long* value) {
    if (!text || !plain_number(text, min < 0, false)) return false;
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(text, &end, 10);
    if (errno != 0 || *end != 0 || v < min || v > max) return false;
    *value = v;
    return true;
}

bool parse_ms(const char* text, double* value) {
    if (!text || !plain_number(text, false, true)) return false;
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
        if (!parsed.empty() && v <= parsed.back()) return false;
        parsed.push_back(v);
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    *values = parsed;
    return true;
}

bool parse_size(const char* text, int* width, int* height) {
    long w, h;
    if (!split_size(text, &w, &h) || w < min_side || h < min_side || w > max_side || h > max_side) return false;
    *width = static_cast<int>(w);
    *height = static_cast<int>(h);
    return true;
}

bool is_four_by_three(int width, int height) { return width * 3 == height * 4; }

std::string picture_size_problem(const char* text, int* width, int* height) {
    long w, h;
    if (!split_size(text, &w, &h)) return std::string("--size: '") + (text ? text : "") + "' is not a size WxH";
    // The 4:3 sizes within the sides' limits.
    const std::string limits = size_limits_problem(w, h, "4:3 sizes", "24x18", "16384x12288");
    if (!limits.empty()) return "--size: " + limits;
    if (!is_four_by_three(static_cast<int>(w), static_cast<int>(h)))
        return std::string("--size: ") + text + " is not 4:3 (e.g. 1440x1080)";
    *width = static_cast<int>(w);
    *height = static_cast<int>(h);
    return "";
}

std::string window_size_problem(const char* text, int* width, int* height) {
    long w, h;
    if (!split_size(text, &w, &h)) return std::string("--window: '") + (text ? text : "") + "' is not a size WxH";
    const std::string limits = size_limits_problem(w, h, "windows", "16x16", "16384x16384");
    if (!limits.empty()) return "--window: " + limits;
    *width = static_cast<int>(w);
    *height = static_cast<int>(h);
    return "";
}

int command_line_error(const char* program, const std::string& problem, const char* usage) {
    std::fprintf(stderr, "%s: %s\n%s", program, problem.c_str(), usage);
    return 2;
}

std::string getopt_problem(int argc, char** argv, int result, const option* options) {
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
    if (long_option) {
        // An abbreviation of more than one option.
        std::string candidates;
        int count = 0;
        for (const struct option* o = options; o->name; ++o)
            if (std::string(o->name).rfind(option.substr(2), 0) == 0) {
                candidates += std::string(count++ ? ", --" : "--") + o->name;
            }
        if (count > 1) return option + ": ambiguous (" + candidates + ")";
    }
    return option + ": unknown option";
}
