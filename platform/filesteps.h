// Every step that changes files on disk (a write, a flush, a rename, a
// removal, a folder creation) passes through FileStep first. A test may
// install a hook that sees each step: it can stop the process there, as a
// power cut or kill -9 would, or make the step fail, and then check what is
// left (tests/common/filetraps.h). The programs install no hook, so for
// them every step simply goes ahead; nothing in the environment changes
// that.
#pragma once

namespace lumtar {

// Called before each step; false makes the step fail (the hook sets errno).
using FileStepHook = bool (*)();

// Counts as one step. False when the installed hook fails this step.
bool FileStep();

// Installs `hook` for every later step of the process (nullptr: none).
void SetFileStepHook(FileStepHook hook);

}  // namespace lumtar
