#include "filesteps.h"

#include <atomic>

namespace lumtar {
namespace {

std::atomic<FileStepHook> installed{nullptr};

}  // namespace

bool FileStep() {
  const FileStepHook hook = installed.load(std::memory_order_acquire);
  return hook == nullptr || hook();
}

void SetFileStepHook(FileStepHook hook) { installed.store(hook, std::memory_order_release); }

}  // namespace lumtar
