#include "filetraps.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

#include "filesteps.h"

namespace lumtar::test {
namespace {

std::atomic<long> taken{0};
std::atomic<long> killStep{0};
std::atomic<long> failStep{0};

std::function<void(long)>& Watch() {
  static std::function<void(long)> watch;
  return watch;
}

bool Trap() {
  const long step = ++taken;
  if (Watch()) Watch()(step);
  if (step == killStep.load()) {
    ::kill(::getpid(), SIGKILL);
    ::_exit(137);
  }
  if (step == failStep.load()) {
    errno = EIO;
    return false;
  }
  return true;
}

}  // namespace

void SetFileStepTraps(long killAt, long failAt) {
  killStep = killAt > 0 ? killAt : 0;
  failStep = failAt > 0 ? failAt : 0;
  taken = 0;
  SetFileStepHook(&Trap);
}

long FileStepsTaken() { return taken.load(); }

void WatchFileSteps(std::function<void(long step)> watch) {
  Watch() = std::move(watch);
  SetFileStepHook(&Trap);
}

}  // namespace lumtar::test
