#include "filesteps.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace lumtar {
namespace {

struct Traps {
  long taken = 0;
  long killAt = 0;
  long failAt = 0;
};

long FromEnvironment(const char* name) {
  const char* v = std::getenv(name);
  return v ? std::strtol(v, nullptr, 10) : 0;
}

Traps& TheTraps() {
  static Traps traps{0, FromEnvironment("LUMTAR_TEST_KILL_AT"), FromEnvironment("LUMTAR_TEST_FAIL_AT")};
  return traps;
}

}  // namespace

bool FileStep() {
  Traps& t = TheTraps();
  ++t.taken;
  if (t.killAt > 0 && t.taken == t.killAt) {
    ::kill(::getpid(), SIGKILL);
    ::_exit(137);
  }
  if (t.failAt > 0 && t.taken == t.failAt) {
    errno = EIO;
    return false;
  }
  return true;
}

void SetFileStepTraps(long killAt, long failAt) {
  Traps& t = TheTraps();
  t = Traps{0, killAt, failAt};
}

long FileStepsTaken() { return TheTraps().taken; }

}  // namespace lumtar
