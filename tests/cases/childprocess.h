// A second program on the same store, as a child process of the test: it
// runs one piece of work and ends. Also the kill -9 of the crash tests: the
// child may be set to kill itself at a given file step.
#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

#include "filetraps.h"

namespace lumtar::test {

enum class ChildEnd { kExited0, kExitedOther, kKilled, kNotStarted };

// Runs `work` in a child process; its exit status is 0 when it returns true.
// With killAt > 0 the child kills itself (SIGKILL) before its killAt-th file
// step.
inline ChildEnd RunInChild(const std::function<bool()>& work, long killAt = 0) {
  const pid_t pid = ::fork();
  if (pid < 0) return ChildEnd::kNotStarted;
  if (pid == 0) {
    SetFileStepTraps(killAt, 0);
    const bool ok = work();
    ::_exit(ok ? 0 : 1);
  }
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
  }
  if (WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) return ChildEnd::kKilled;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? ChildEnd::kExited0 : ChildEnd::kExitedOther;
}

// A child started now and waited for later (two programs at once).
class Child {
 public:
  explicit Child(const std::function<bool()>& work) {
    pid_ = ::fork();
    if (pid_ == 0) ::_exit(work() ? 0 : 1);
  }
  bool Succeeded() {
    int status = 0;
    if (pid_ <= 0 || ::waitpid(pid_, &status, 0) != pid_) return false;
    pid_ = -1;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }
  ~Child() {
    if (pid_ > 0) Succeeded();
  }

 private:
  pid_t pid_ = -1;
};

}  // namespace lumtar::test
