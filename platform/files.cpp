#include "files.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <system_error>

namespace lumtar {
namespace {

std::string& ProgramDirStorage() {
  static std::string dir;
  return dir;
}

std::string WithSlash(std::string d) {
  if (d.empty() || d.back() != '/') d += '/';
  return d;
}

bool WriteAllAndSync(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return ::fsync(fd) == 0;
}

}  // namespace

std::string ExecutableDir() {
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (ec) return WithSlash(fs::current_path(ec).string());
  return WithSlash(exe.parent_path().string());
}

std::string ProgramDir() {
  std::string& d = ProgramDirStorage();
  if (d.empty()) d = ExecutableDir();
  return d;
}

void SetProgramDir(const std::string& dir) {
  std::error_code ec;
  fs::path p = fs::absolute(dir, ec);
  ProgramDirStorage() = WithSlash(ec ? dir : p.lexically_normal().string());
}

fs::path ProgramPath(const std::string& relative) { return fs::path(ProgramDir() + relative); }

bool ReadWholeFile(const fs::path& path, std::string* bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return false;
  *bytes = std::move(data);
  return true;
}

bool WriteWholeFileAtomic(const fs::path& path, const std::string& bytes) {
  std::error_code ec;
  if (path.has_parent_path()) fs::create_directories(path.parent_path(), ec);
  fs::path tmp = path;
  tmp += ".tmp~";
  int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  bool ok = WriteAllAndSync(fd, bytes);
  ok = (::close(fd) == 0) && ok;
  if (!ok || std::rename(tmp.c_str(), path.c_str()) != 0) {
    std::remove(tmp.c_str());
    return false;
  }
  return true;
}

bool FileExists(const fs::path& path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec);
}

bool DirectoryExists(const fs::path& path) {
  std::error_code ec;
  return fs::is_directory(path, ec);
}

bool CreateDirectories(const fs::path& path) {
  std::error_code ec;
  if (fs::is_directory(path, ec)) return true;
  fs::create_directories(path, ec);
  return fs::is_directory(path, ec);
}

bool CopyFileOverwrite(const fs::path& from, const fs::path& to) {
  std::error_code ec;
  fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec);
  return !ec;
}

bool DeleteFileIfExists(const fs::path& path) {
  std::error_code ec;
  fs::remove(path, ec);
  return !ec;
}

bool RenameFile(const fs::path& from, const fs::path& to) {
  std::error_code ec;
  fs::rename(from, to, ec);
  return !ec;
}

bool SyncFile(const fs::path& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = ::fsync(fd) == 0;
  ::close(fd);
  return ok;
}

bool WildcardMatch(const std::string& pattern, const std::string& name) {
  size_t p = 0, n = 0, starP = std::string::npos, starN = 0;
  auto eq = [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
  };
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || eq(pattern[p], name[n]))) {
      ++p;
      ++n;
    } else if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starN = n;
    } else if (starP != std::string::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

std::vector<std::string> ListFiles(const fs::path& dir, const std::string& pattern) {
  std::vector<std::string> out;
  std::error_code ec;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code ec2;
    if (!it->is_regular_file(ec2)) continue;
    std::string name = it->path().filename().string();
    if (WildcardMatch(pattern, name)) out.push_back(name);
  }
  std::sort(out.begin(), out.end());
  return out;
}

}  // namespace lumtar
