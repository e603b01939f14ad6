// File-system helpers and the program folder.
//
// Every path of the program starts from the program folder: the folder of
// the executable (or the one named with SetProgramDir, e.g. by the
// command-line tool's --program-dir or by tests).
//
// Files are replaced, never rewritten in place: the new content goes to a
// temporary file of an unpredictable name beside the target (created
// exclusively, so nothing planted under that name is followed), is flushed
// to disk and renamed over the target. A symbolic link standing at the
// target's name is replaced, not followed; an existing file's permissions
// carry over to its replacement.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace lumtar {

namespace fs = std::filesystem;

// The largest comment document the editors load and an import copies.
inline constexpr std::uintmax_t kMaxDocumentBytes = 64u << 20;
inline constexpr std::uintmax_t kNoSizeLimit = UINTMAX_MAX;

// The program folder, always ending with '/'.
std::string ProgramDir();
// False (and the folder unchanged) for an empty text: it names no folder.
bool SetProgramDir(const std::string& dir);
// ProgramDir() + relative path (given with '/').
fs::path ProgramPath(const std::string& relative);
// The folder of the running executable, ending with '/'.
std::string ExecutableDir();

enum class ReadResult { Read, Missing, NotAFile, TooLarge, Failed };
// Reads a regular file whole (a symbolic link to one is followed). A folder,
// a device or a pipe at the path is NotAFile and never waited on; a file of
// more than maxBytes is TooLarge. *bytes is changed only when Read.
ReadResult ReadFile(const fs::path& path, std::string* bytes, std::uintmax_t maxBytes = kNoSizeLimit);
bool ReadWholeFile(const fs::path& path, std::string* bytes);

// The same read a piece at a time, so that a large file can be read between
// a window's events: Open (as ReadFile opens, Read when open), then Step
// until *done. The file read is the one opened, whatever replaces it at the
// path meanwhile.
class FileReader {
 public:
  FileReader() = default;
  ~FileReader();
  FileReader(FileReader&& other) noexcept;
  FileReader& operator=(FileReader&& other) noexcept;

  ReadResult Open(const fs::path& path, std::uintmax_t maxBytes = kNoSizeLimit);
  // Appends up to `bytes` more of the file to *out (at least one byte unless
  // at the end); *done when the end was reached, the file then closed.
  // Failed or TooLarge (a file that grew past maxBytes) close it too.
  ReadResult Step(std::size_t bytes, std::string* out, bool* done);
  // The file's size when it was opened.
  std::uintmax_t Size() const { return size_; }
  bool IsOpen() const { return fd_ >= 0; }

 private:
  void Close();
  int fd_ = -1;
  std::uintmax_t size_ = 0, read_ = 0, maxBytes_ = kNoSizeLimit;
};

// A replacement of a file, written first and put in place later:
//   Open → Write … → Finish (flushed to disk) → Commit (renamed over the
//   target). Until Commit the target is untouched; a pending file that is
//   never committed is removed when it goes out of scope.
class PendingFile {
 public:
  PendingFile() = default;
  ~PendingFile();
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;

  // Creates the temporary file in the target's folder. It gets the
  // permissions given, or else those of the file it replaces.
  bool Open(const fs::path& target, unsigned permissions = 0);
  // Takes from the file's permissions every one not in `allowed`.
  bool Narrow(unsigned allowed);
  bool Write(std::string_view bytes);
  bool Finish();
  bool Commit();
  // Removes the temporary file (nothing happens once committed).
  void Discard();

  const fs::path& Target() const { return target_; }
  // The system's error number of the step that failed (0: none failed).
  int Error() const { return error_; }

 private:
  // Notes the failure of a step (errno, or EIO when it has none).
  bool Failed();
  fs::path target_;
  fs::path temp_;
  int fd_ = -1;
  unsigned mode_ = 0;
  bool finished_ = false;
  bool failed_ = false;
  int error_ = 0;
};

// Writes the bytes through a pending file: the target is either old or new,
// never cut, and no partial file remains on failure. The target's folder is
// created when missing. A character device or a pipe at the target's name
// (/dev/null, /dev/stdout's pipe) is written into, never replaced, and a
// pipe without a reader is not waited for; a block device or a socket there
// is refused. On failure `error` (when given) gets the system's error number.
bool WriteWholeFileAtomic(const fs::path& path, const std::string& bytes, int* error = nullptr);

enum class CopyResult { Copied, NotAFile, TooLarge, Failed };
// Copies a regular file a piece at a time into a replacement of `to`. A
// symbolic link at `from` is not followed (NotAFile), nor is anything but a
// regular file read; a file larger than maxBytes is TooLarge. `to` is
// untouched unless Copied. The copy gets the permissions given, or else
// those of the file replaced (or of a new file), but never a permission its
// source lacks: a copy is never open to more users than its source.
CopyResult CopyRegularFile(const fs::path& from, const fs::path& to, std::uintmax_t maxBytes = kNoSizeLimit,
                           unsigned permissions = 0);

bool FileExists(const fs::path& path);
bool DirectoryExists(const fs::path& path);
// True when something (a file, a folder, a dangling link …) has the name.
bool PathTaken(const fs::path& path);
bool CreateDirectories(const fs::path& path);
// Creates a folder that did not exist before: base, base-1, base-2 …
// Empty when none could be made.
fs::path CreateFreshFolder(const fs::path& base);
// Copies a file (following links at `from`) into a replacement of `to`,
// with the permissions given or else those of the file replaced, narrowed
// to those of the source as CopyRegularFile does.
bool CopyFileOverwrite(const fs::path& from, const fs::path& to, unsigned permissions = 0);
bool DeleteFileIfExists(const fs::path& path);
// Removes a folder with everything in it (links are removed, not followed).
bool RemoveTree(const fs::path& path);
bool RenameFile(const fs::path& from, const fs::path& to);
// Flushes a file or a folder's entries to disk.
bool SyncFile(const fs::path& path);
// Permission bits of a regular file, or those of a new file under the
// process's file-creation mask when there is none.
unsigned FileModeOr(const fs::path& path);
// 0 when this process may make files in the folder, else why not as an
// errno value (EACCES or EPERM: no permission; EROFS: a read-only disk;
// ENOENT: no such folder …).
int FolderWriteError(const fs::path& folder);

// Regular files in `dir` whose names match `pattern` ('*' and '?', ASCII
// case-insensitive as on the original platform), sorted by name. With
// followLinks false a symbolic link is not listed, whatever it points to.
std::vector<std::string> ListFiles(const fs::path& dir, const std::string& pattern, bool followLinks = true);
// Names in `dir` of any kind that match `pattern`, sorted.
std::vector<std::string> ListNames(const fs::path& dir, const std::string& pattern);
bool WildcardMatch(const std::string& pattern, const std::string& name);

// A lock on a folder held across processes for the length of one
// operation: shared among readers, held alone by a writer. A lock held
// elsewhere is waited for (see SetLockWait), then given up.
class FolderLock {
 public:
  enum class Mode { Shared, Exclusive };
  FolderLock() = default;
  ~FolderLock() { Release(); }
  FolderLock(FolderLock&& other) noexcept;
  FolderLock& operator=(FolderLock&& other) noexcept;
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

  // False when the folder cannot be opened, or when another holder kept it
  // for the whole wait (Busy() then tells so).
  bool Acquire(const fs::path& folder, Mode mode);
  // Changes the mode of a held lock (waiting as Acquire does).
  bool Change(Mode mode);
  void Release();
  bool Held() const { return fd_ >= 0; }
  Mode HeldMode() const { return mode_; }
  bool Busy() const { return busy_; }

 private:
  bool Wait(Mode mode);
  int fd_ = -1;
  Mode mode_ = Mode::Shared;
  bool busy_ = false;
};
// How long a lock held elsewhere is waited for (5 s unless set).
void SetLockWait(int milliseconds);

// A file of fixed-size records read and written at offsets (the case
// store). Writes and flushes count as file steps.
class RecordFile {
 public:
  enum class Mode {
    Read,         // an existing file, for reading
    ReadWrite,    // an existing file
    WriteCreate,  // created when missing
    CreateNew,    // must not exist yet; a link at the name is not followed
  };
  RecordFile() = default;
  ~RecordFile() { Close(); }
  RecordFile(const RecordFile&) = delete;
  RecordFile& operator=(const RecordFile&) = delete;

  // `permissions` applies to a file this call creates.
  bool Open(const fs::path& path, Mode mode, unsigned permissions = 0);
  bool Ok() const { return fd_ >= 0; }
  int64_t Size() const;
  bool ReadAt(int64_t offset, void* data, std::size_t size) const;
  bool WriteAt(int64_t offset, const void* data, std::size_t size);
  // Flushes the written data to disk.
  bool Sync();
  bool Truncate(int64_t size);
  bool Close();

 private:
  int fd_ = -1;
};

}  // namespace lumtar
