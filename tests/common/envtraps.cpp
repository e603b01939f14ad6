// Linked into the test build of lumtar-cli only: the file-step traps taken
// from the environment, so that a test can stop the tool at any step of a
// store operation or fail that step.
//   LUMTAR_TEST_KILL_AT=N       the tool kills itself (SIGKILL) just before its Nth step;
//   LUMTAR_TEST_FAIL_AT=N       the Nth step fails as a full disk would (EIO);
//   LUMTAR_TEST_STEPS_FILE=PATH the number of steps taken is written to PATH at exit.
#include <cstdio>
#include <cstdlib>

#include "filetraps.h"

namespace {

long FromEnvironment(const char* name) {
  const char* v = std::getenv(name);
  return v ? std::strtol(v, nullptr, 10) : 0;
}

void WriteStepCount() {
  if (FILE* f = std::fopen(std::getenv("LUMTAR_TEST_STEPS_FILE"), "w")) {
    std::fprintf(f, "%ld\n", lumtar::test::FileStepsTaken());
    std::fclose(f);
  }
}

[[maybe_unused]] const bool kTrapsSet = [] {
  lumtar::test::SetFileStepTraps(FromEnvironment("LUMTAR_TEST_KILL_AT"), FromEnvironment("LUMTAR_TEST_FAIL_AT"));
  if (std::getenv("LUMTAR_TEST_STEPS_FILE")) std::atexit(WriteStepCount);
  return true;
}();

}  // namespace
