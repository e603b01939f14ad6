// Shared pieces of the command-line tool: argument helpers and the output
// rules (UTF-8, one record a line, TAB-separated, errors on stderr).
#pragma once

#include <CLI/CLI.hpp>

#include <functional>
#include <iosfwd>
#include <stdexcept>
#include <string>
#include <vector>

namespace lumtar::cli {

// A failure with the system's message: printed on stderr, exit status 1.
struct CommandError : std::runtime_error {
  using std::runtime_error::runtime_error;
};
// Bad usage: printed with the usage line, exit status 2.
struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct Date {
  int year = 0, month = 0, day = 0;
};
struct Time {
  int hour = 0, minute = 0;
};

// "YYYY-MM-DD" with an optional minus sign on the year (astronomical
// numbering). Throws UsageError.
Date ParseDate(const std::string& text);
// "HH:MM". Throws UsageError.
Time ParseTime(const std::string& text);
// "D:M" as in the coordinate box: signed degrees, unsigned minutes.
double ParseDegreesMinutes(const std::string& text);

// The inputs of a command: the arguments, or standard input's lines (blank
// lines skipped, blanks around a line dropped) when the only argument is "-".
std::vector<std::string> ExpandInputs(const std::vector<std::string>& args);

// An input as an error message quotes it: cut to its first characters,
// so that a huge argument or input line is not echoed whole.
std::string Shown(const std::string& input);

// Writes an output file (a picture, a report, a text) through the program's
// file writer. Throws CommandError naming the file and the system's reason
// ("No space left on device", "Permission denied") when it cannot.
void WriteOutputFile(const std::string& path, const std::string& bytes);

// Formats a double with a fixed number of decimals ('.' as the point).
std::string Fixed(double v, int decimals);

// Joins fields with TABs.
std::string Tsv(const std::vector<std::string>& fields);

// Applies --program-dir (when given) before a command reads settings.
void AddProgramDirOption(CLI::App* cmd);

// Each subsystem adds its commands here.
using CommandInstaller = std::function<void(CLI::App&)>;
std::vector<CommandInstaller>& Installers();
struct RegisterCommands {
  explicit RegisterCommands(CommandInstaller f) { Installers().push_back(std::move(f)); }
};

}  // namespace lumtar::cli
