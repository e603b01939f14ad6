#include "files.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <system_error>
#include <thread>
#include <utility>

#include "filesteps.h"

namespace lumtar {
namespace {

// Pieces in which files are written and copied; each counts as a step.
constexpr std::size_t kPieceBytes = 1u << 20;

std::string& ProgramDirStorage() {
  static std::string dir;
  return dir;
}

std::string WithSlash(std::string d) {
  if (d.empty() || d.back() != '/') d += '/';
  return d;
}

bool WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    if (!FileStep()) return false;
    const std::size_t piece = std::min(size, kPieceBytes);
    ssize_t n = ::write(fd, data, piece);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

// The process's file-creation mask, read without changing it.
mode_t CreationMask() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("Umask:", 0) == 0) return static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8));
  }
  return 022;
}

int LockWaitStorage(int set = -1) {
  static int ms = 5000;
  if (set >= 0) ms = set;
  return ms;
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

bool SetProgramDir(const std::string& dir) {
  if (dir.empty()) return false;
  std::error_code ec;
  fs::path p = fs::absolute(dir, ec);
  ProgramDirStorage() = WithSlash(ec ? dir : p.lexically_normal().string());
  return true;
}

fs::path ProgramPath(const std::string& relative) { return fs::path(ProgramDir() + relative); }

ReadResult ReadFile(const fs::path& path, std::string* bytes, std::uintmax_t maxBytes) {
  FileReader file;
  if (ReadResult opened = file.Open(path, maxBytes); opened != ReadResult::Read) return opened;
  std::string data;
  data.reserve(static_cast<std::size_t>(file.Size()));
  bool done = false;
  while (!done) {
    if (ReadResult r = file.Step(SIZE_MAX, &data, &done); r != ReadResult::Read) return r;
  }
  *bytes = std::move(data);
  return ReadResult::Read;
}

FileReader::~FileReader() { Close(); }

FileReader::FileReader(FileReader&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), size_(other.size_), read_(other.read_), maxBytes_(other.maxBytes_) {}

FileReader& FileReader::operator=(FileReader&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = std::exchange(other.fd_, -1);
    size_ = other.size_;
    read_ = other.read_;
    maxBytes_ = other.maxBytes_;
  }
  return *this;
}

void FileReader::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

ReadResult FileReader::Open(const fs::path& path, std::uintmax_t maxBytes) {
  Close();
  size_ = read_ = 0;
  maxBytes_ = maxBytes;
  // Not blocking: a pipe at the path must not hang the program.
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return errno == ENOENT || errno == ENOTDIR ? ReadResult::Missing : ReadResult::Failed;
  struct stat st;
  if (::fstat(fd, &st) != 0) {
    ::close(fd);
    return ReadResult::Failed;
  }
  if (!S_ISREG(st.st_mode)) {
    ::close(fd);
    return ReadResult::NotAFile;
  }
  if (static_cast<std::uintmax_t>(st.st_size) > maxBytes) {
    ::close(fd);
    return ReadResult::TooLarge;
  }
  fd_ = fd;
  size_ = static_cast<std::uintmax_t>(st.st_size);
  return ReadResult::Read;
}

ReadResult FileReader::Step(std::size_t bytes, std::string* out, bool* done) {
  *done = false;
  if (fd_ < 0) return ReadResult::Failed;
  char buf[1 << 16];
  std::size_t left = std::max<std::size_t>(bytes, 1);
  while (left > 0) {
    ssize_t n = ::read(fd_, buf, std::min(sizeof buf, left));
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (n < 0) {
      Close();
      return ReadResult::Failed;
    }
    if (n == 0) {
      Close();
      *done = true;
      return ReadResult::Read;
    }
    out->append(buf, static_cast<std::size_t>(n));
    read_ += static_cast<std::uintmax_t>(n);
    left -= static_cast<std::size_t>(n);
    // A file that grows while it is read is held to the same limit.
    if (read_ > maxBytes_) {
      Close();
      return ReadResult::TooLarge;
    }
  }
  return ReadResult::Read;
}

bool ReadWholeFile(const fs::path& path, std::string* bytes) {
  return ReadFile(path, bytes) == ReadResult::Read;
}

// ---- pending files

PendingFile::~PendingFile() { Discard(); }

bool PendingFile::Open(const fs::path& target, unsigned permissions) {
  Discard();
  target_ = target;
  temp_.clear();
  finished_ = failed_ = false;
  const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
  // A short name of the target in the temporary's, for whoever finds one
  // left by a crash; the X's are made unpredictable by mkostemp.
  std::string stem = target.filename().string().substr(0, 100);
  std::string pattern = (folder / ("." + stem + ".XXXXXX")).string();
  error_ = 0;
  if (!FileStep()) return Failed();
  fd_ = ::mkostemp(pattern.data(), O_CLOEXEC);
  if (fd_ < 0) return Failed();
  temp_ = pattern;
  // The replacement keeps the permissions of the file it replaces.
  mode_ = permissions != 0 ? permissions : FileModeOr(target);
  if (::fchmod(fd_, mode_) != 0) return Failed();
  return true;
}

bool PendingFile::Failed() {
  if (error_ == 0) error_ = errno != 0 ? errno : EIO;
  failed_ = true;
  return false;
}

bool PendingFile::Narrow(unsigned allowed) {
  if (fd_ < 0 || failed_) return false;
  mode_ &= allowed;
  if (::fchmod(fd_, mode_) != 0) return Failed();
  return true;
}

bool PendingFile::Write(std::string_view bytes) {
  if (fd_ < 0 || failed_) return false;
  if (!WriteAll(fd_, bytes.data(), bytes.size())) return Failed();
  return true;
}

bool PendingFile::Finish() {
  if (finished_) return !failed_;
  if (fd_ < 0 || failed_) return false;
  bool ok = FileStep() && ::fsync(fd_) == 0;
  if (!ok) Failed();
  if (::close(fd_) != 0 && ok) ok = Failed();
  fd_ = -1;
  finished_ = true;
  failed_ = !ok;
  return ok;
}

bool PendingFile::Commit() {
  if (!Finish()) return false;
  if (temp_.empty()) return false;
  if (!FileStep() || std::rename(temp_.c_str(), target_.c_str()) != 0) return Failed();
  temp_.clear();
  SyncFile(target_.has_parent_path() ? target_.parent_path() : fs::path("."));
  return true;
}

void PendingFile::Discard() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!temp_.empty()) ::unlink(temp_.c_str());
  temp_.clear();
}

namespace {

// Writes into the device or pipe at `path`. A pipe nobody reads fails at
// once (ENXIO) rather than waiting for a reader.
bool WriteIntoDevice(const fs::path& path, const std::string& bytes, int* error) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | O_NOFOLLOW);
  bool ok = fd >= 0;
  if (ok) {
    const int flags = ::fcntl(fd, F_GETFL);
    ok = flags >= 0 && ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0 && WriteAll(fd, bytes.data(), bytes.size());
  }
  int failure = ok ? 0 : errno != 0 ? errno : EIO;
  if (fd >= 0 && ::close(fd) != 0 && ok) {
    ok = false;
    failure = errno != 0 ? errno : EIO;
  }
  if (!ok && error) *error = failure;
  return ok;
}

}  // namespace

bool WriteWholeFileAtomic(const fs::path& path, const std::string& bytes, int* error) {
  struct stat st;
  if (::lstat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode) && !S_ISDIR(st.st_mode)) {
    if (S_ISCHR(st.st_mode) || S_ISFIFO(st.st_mode)) return WriteIntoDevice(path, bytes, error);
    if (error) *error = EPERM;
    return false;
  }
  if (path.has_parent_path() && !CreateDirectories(path.parent_path())) {
    if (error) {
      // Why the folder could not be made (a file in its way, no permission).
      std::error_code ec;
      fs::create_directories(path.parent_path(), ec);
      *error = ec ? ec.value() : EIO;
    }
    return false;
  }
  PendingFile file;
  if (file.Open(path) && file.Write(bytes) && file.Commit()) return true;
  if (error) *error = file.Error() != 0 ? file.Error() : EIO;
  return false;
}

CopyResult CopyRegularFile(const fs::path& from, const fs::path& to, std::uintmax_t maxBytes,
                           unsigned permissions) {
  int fd = ::open(from.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
  if (fd < 0) return errno == ELOOP ? CopyResult::NotAFile : CopyResult::Failed;
  struct FdCloser {
    int fd;
    ~FdCloser() { ::close(fd); }
  } closer{fd};
  struct stat st;
  if (::fstat(fd, &st) != 0) return CopyResult::Failed;
  if (!S_ISREG(st.st_mode)) return CopyResult::NotAFile;
  if (static_cast<std::uintmax_t>(st.st_size) > maxBytes) return CopyResult::TooLarge;
  PendingFile out;
  if (!out.Open(to, permissions) || !out.Narrow(st.st_mode & 07777)) return CopyResult::Failed;
  std::string buf(kPieceBytes, '\0');
  std::uintmax_t copied = 0;
  for (;;) {
    ssize_t n = ::read(fd, buf.data(), buf.size());
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (n < 0) return CopyResult::Failed;
    if (n == 0) break;
    copied += static_cast<std::uintmax_t>(n);
    if (copied > maxBytes) return CopyResult::TooLarge;
    if (!out.Write(std::string_view(buf.data(), static_cast<std::size_t>(n)))) return CopyResult::Failed;
  }
  return out.Commit() ? CopyResult::Copied : CopyResult::Failed;
}

// ---- names and folders

bool FileExists(const fs::path& path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec);
}

bool DirectoryExists(const fs::path& path) {
  std::error_code ec;
  return fs::is_directory(path, ec);
}

bool PathTaken(const fs::path& path) {
  std::error_code ec;
  // A failing look-up counts as taken: a name is only handed out when it is
  // surely free.
  return fs::symlink_status(path, ec).type() != fs::file_type::not_found;
}

bool CreateDirectories(const fs::path& path) {
  std::error_code ec;
  if (fs::is_directory(path, ec)) return true;
  if (!FileStep()) return false;
  fs::create_directories(path, ec);
  return fs::is_directory(path, ec);
}

fs::path CreateFreshFolder(const fs::path& base) {
  for (int i = 0; i < 1000; ++i) {
    fs::path p = base;
    if (i > 0) p += "-" + std::to_string(i);
    if (!FileStep()) return {};
    if (::mkdir(p.c_str(), 0755) == 0) return p;
    if (errno != EEXIST) return {};
  }
  return {};
}

bool CopyFileOverwrite(const fs::path& from, const fs::path& to, unsigned permissions) {
  std::error_code ec;
  const fs::path source = fs::canonical(from, ec);
  return !ec && CopyRegularFile(source, to, kNoSizeLimit, permissions) == CopyResult::Copied;
}

bool DeleteFileIfExists(const fs::path& path) {
  if (!FileStep()) return false;
  return ::unlink(path.c_str()) == 0 || errno == ENOENT;
}

bool RemoveTree(const fs::path& path) {
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0) return errno == ENOENT;
  if (S_ISDIR(st.st_mode)) {
    std::vector<fs::path> entries;
    std::error_code ec;
    for (fs::directory_iterator it(path, ec), end; !ec && it != end; it.increment(ec)) entries.push_back(it->path());
    if (ec) return false;
    bool ok = true;
    for (const fs::path& e : entries) ok = RemoveTree(e) && ok;
    if (!ok || !FileStep()) return false;
    return ::rmdir(path.c_str()) == 0;
  }
  return DeleteFileIfExists(path);
}

bool RenameFile(const fs::path& from, const fs::path& to) {
  if (!FileStep()) return false;
  return std::rename(from.c_str(), to.c_str()) == 0;
}

bool SyncFile(const fs::path& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  bool ok = ::fsync(fd) == 0;
  ::close(fd);
  return ok;
}

unsigned FileModeOr(const fs::path& path) {
  struct stat st;
  if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) return st.st_mode & 07777;
  static const mode_t mask = CreationMask();
  return 0666 & ~mask;
}

int FolderWriteError(const fs::path& folder) {
  return ::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0 ? 0 : errno;
}

// ---- listing

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

std::vector<std::string> ListFiles(const fs::path& dir, const std::string& pattern, bool followLinks) {
  std::vector<std::string> out;
  std::error_code ec;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code ec2;
    const bool regular = followLinks ? it->is_regular_file(ec2)
                                     : it->symlink_status(ec2).type() == fs::file_type::regular;
    if (!regular) continue;
    std::string name = it->path().filename().string();
    if (WildcardMatch(pattern, name)) out.push_back(name);
  }
  std::sort(out.begin(), out.end());
  return out;
}

std::vector<std::string> ListNames(const fs::path& dir, const std::string& pattern) {
  std::vector<std::string> out;
  std::error_code ec;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    std::string name = it->path().filename().string();
    if (WildcardMatch(pattern, name)) out.push_back(name);
  }
  std::sort(out.begin(), out.end());
  return out;
}

// ---- locks

void SetLockWait(int milliseconds) { LockWaitStorage(std::max(0, milliseconds)); }

FolderLock::FolderLock(FolderLock&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), mode_(other.mode_), busy_(other.busy_) {}

FolderLock& FolderLock::operator=(FolderLock&& other) noexcept {
  if (this != &other) {
    Release();
    fd_ = std::exchange(other.fd_, -1);
    mode_ = other.mode_;
    busy_ = other.busy_;
  }
  return *this;
}

bool FolderLock::Acquire(const fs::path& folder, Mode mode) {
  Release();
  busy_ = false;
  fd_ = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd_ < 0) return false;
  if (Wait(mode)) return true;
  Release();
  return false;
}

bool FolderLock::Change(Mode mode) {
  if (fd_ < 0) return false;
  if (mode == mode_) return true;
  return Wait(mode);
}

bool FolderLock::Wait(Mode mode) {
  const int operation = (mode == Mode::Exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(LockWaitStorage());
  for (;;) {
    if (::flock(fd_, operation) == 0) {
      mode_ = mode;
      busy_ = false;
      return true;
    }
    if (errno != EWOULDBLOCK && errno != EINTR) return false;
    if (std::chrono::steady_clock::now() >= deadline) {
      busy_ = true;
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

void FolderLock::Release() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

// ---- record files

bool RecordFile::Open(const fs::path& path, Mode mode, unsigned permissions) {
  Close();
  // Not blocking: a pipe at the path must not hang the program.
  int flags = O_CLOEXEC | O_NONBLOCK;
  switch (mode) {
    case Mode::Read: flags |= O_RDONLY; break;
    case Mode::ReadWrite: flags |= O_RDWR; break;
    case Mode::WriteCreate: flags |= O_RDWR | O_CREAT; break;
    case Mode::CreateNew: flags |= O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW; break;
  }
  if (mode != Mode::Read && !FileStep()) return false;
  const mode_t create = permissions != 0 ? permissions : FileModeOr({});
  fd_ = ::open(path.c_str(), flags, create);
  if (fd_ < 0) return false;
  struct stat st;
  if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
    Close();
    errno = EISDIR;
    return false;
  }
  // The creation mask must not narrow the permissions asked for.
  if (permissions != 0 && (mode == Mode::CreateNew) && ::fchmod(fd_, permissions) != 0) {
    Close();
    return false;
  }
  return true;
}

int64_t RecordFile::Size() const {
  struct stat st;
  return fd_ >= 0 && ::fstat(fd_, &st) == 0 ? static_cast<int64_t>(st.st_size) : -1;
}

bool RecordFile::ReadAt(int64_t offset, void* data, std::size_t size) const {
  char* p = static_cast<char*>(data);
  while (size > 0) {
    ssize_t n = ::pread(fd_, p, size, offset);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    offset += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

bool RecordFile::WriteAt(int64_t offset, const void* data, std::size_t size) {
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    if (!FileStep()) return false;
    const std::size_t piece = std::min(size, kPieceBytes);
    ssize_t n = ::pwrite(fd_, p, piece, offset);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    offset += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

bool RecordFile::Sync() { return fd_ >= 0 && FileStep() && ::fdatasync(fd_) == 0; }

bool RecordFile::Truncate(int64_t size) { return fd_ >= 0 && FileStep() && ::ftruncate(fd_, size) == 0; }

bool RecordFile::Close() {
  if (fd_ < 0) return true;
  const bool ok = ::close(fd_) == 0;
  fd_ = -1;
  return ok;
}

}  // namespace lumtar
