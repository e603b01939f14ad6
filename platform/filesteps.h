// Every step that changes files on disk (a write, a flush, a rename, a
// removal, a folder creation) passes through FileStep first. That lets the
// tests stop a process at any step of an operation, as a power cut or a
// kill -9 would, or make any one step fail, and then check what is left.
//
// In a running program nothing happens unless the environment asks for it:
//   LUMTAR_TEST_KILL_AT=N  the process kills itself (SIGKILL) just before
//                          its Nth step;
//   LUMTAR_TEST_FAIL_AT=N  the Nth step fails as a full disk would (EIO).
#pragma once

namespace lumtar {

// Counts one step. False when this step is to fail (errno is then EIO);
// does not return when the process is to stop here.
bool FileStep();

// The same traps for tests inside one process (0: none), and the count of
// steps taken since the last call.
void SetFileStepTraps(long killAt, long failAt);
long FileStepsTaken();

}  // namespace lumtar
