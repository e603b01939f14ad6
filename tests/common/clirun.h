// Runs a command line (such as lumtar-cli with its arguments) for a test and
// collects its standard output and exit status.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

namespace lumtar::test {

struct CommandRun {
  int status = -1;  // exit status, −1 when the command did not exit normally
  std::string out;  // standard output
  std::string err;  // standard error, when it was asked for
};

inline CommandRun RunCommandLine(const std::string& commandLine) {
  CommandRun run;
  FILE* p = popen(commandLine.c_str(), "r");
  if (!p) return run;
  char buf[4096];
  for (std::size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) run.out.append(buf, n);
  const int st = pclose(p);
  run.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  return run;
}

// The same with standard error, which goes through the file `errFile`.
inline CommandRun RunCommandLine(const std::string& commandLine, const std::string& errFile) {
  CommandRun run = RunCommandLine(commandLine + " 2>'" + errFile + "'");
  std::ifstream err(errFile, std::ios::binary);
  run.err.assign(std::istreambuf_iterator<char>(err), std::istreambuf_iterator<char>());
  return run;
}

}  // namespace lumtar::test
