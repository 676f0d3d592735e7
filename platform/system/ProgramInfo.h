// The answer every program of the station gives to --version and --help, before it does
// anything else.
#pragma once

#include <optional>
#include <ostream>
#include <string_view>

// The release, as the packages and the About box name it ("8.004").
std::string_view ProgramVersion();

// When the first argument is "--version" or "--help", writes "PROGRAM VERSION" or `help` to
// `out` and returns the exit code, 0 (or 1 when `out` cannot be written, so a full disk or a
// closed pipe is not reported as success). Any other command line is left to the program:
// nullopt.
std::optional<int> AnswerProgramInfo(int argc, const char* const* argv, std::string_view program,
                                     std::string_view help, std::ostream& out);
