// The tests' hold on the file steps of platform/filesteps.h: stop the
// process at any step, as kill -9 or a power cut would, make any one step
// fail, as a full disk would, count the steps an operation takes and look
// at the files before each of them. Only test executables link this.
#pragma once

#include <functional>

namespace lumtar::test {

// From now on, counting from 1 again: the process kills itself (SIGKILL)
// just before its killAt-th step, and the failAt-th step fails with EIO
// (0: neither).
void SetFileStepTraps(long killAt, long failAt);

// The steps taken since the last SetFileStepTraps.
long FileStepsTaken();

// `watch` is called before each step, with the step's number (counted as
// FileStepsTaken counts), until it is set again (an empty function: none).
void WatchFileSteps(std::function<void(long step)> watch);

}  // namespace lumtar::test
