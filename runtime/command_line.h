// Strict parsing of option values and the one error line every program of the
// show prints for a bad command line. The show and the capture tool use the
// same functions, on top of getopt_long.
#pragma once
#include <getopt.h>

#include <string>
#include <vector>

// Each returns false unless the whole text is a value in range, in plain
// decimal digits (no blanks, "+", hexadecimal or exponent).
bool parse_int(const char* text, long min, long max, long* value);
bool parse_ms(const char* text, double* value);  // a time in ms, >= 0
// Comma-separated times in ms, strictly ascending, at least one.
bool parse_ms_list(const char* text, std::vector<double>* values);
// "WxH" with both sides in 16..16384.
bool parse_size(const char* text, int* width, int* height);
// The show's picture is 4:3: W * 3 == H * 4.
bool is_four_by_three(int width, int height);
// The value of --size: a size WxH of 4:3 shape. Otherwise returns the
// problem, naming the option and the value ("--size: 800x601 is not 4:3 ...")
// or the limits ("--size: 16x12 is too small; 4:3 sizes go from 24x18 ...").
std::string picture_size_problem(const char* text, int* width, int* height);
// The value of --window: a size WxH of any shape, or the problem.
std::string window_size_problem(const char* text, int* width, int* height);

// Prints "program: problem" and the usage on standard error; returns 2, the
// status for a bad command line.
int command_line_error(const char* program, const std::string& problem, const char* usage);

// What was wrong with the option getopt_long stopped at (it returned result,
// '?' or ':'), naming it as typed: "--size: needs a value", "--help: takes no
// value", "--bogus: unknown option", "--fr: ambiguous (--frame, ...)".
// options is the table getopt_long was given.
std::string getopt_problem(int argc, char** argv, int result, const option* options);
