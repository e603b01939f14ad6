// Folders that refuse writes refuse them to the tests too, also when the
// tests run as the super-user, whose power to write anywhere is set aside
// for a while.
#pragma once

#include <unistd.h>

#include <string>

namespace lumtar::test {

// While it lives, the process works as an ordinary user.
class WithoutOverride {
 public:
  WithoutOverride() {
    if (::geteuid() == 0) dropped_ = ::setegid(65534) == 0 && ::seteuid(65534) == 0;
  }
  ~WithoutOverride() {
    if (!dropped_) return;
    [[maybe_unused]] const int user = ::seteuid(0);
    [[maybe_unused]] const int group = ::setegid(0);
  }
  WithoutOverride(const WithoutOverride&) = delete;
  WithoutOverride& operator=(const WithoutOverride&) = delete;

 private:
  bool dropped_ = false;
};

// The same for a command line: what to put before the program.
inline std::string WithoutOverridePrefix() {
  return ::geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "";
}

}  // namespace lumtar::test
