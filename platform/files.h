// File-system helpers and the program folder.
//
// Every path of the program starts from the program folder: the folder of
// the executable (or the one named with SetProgramDir, e.g. by the
// command-line tool's --program-dir or by tests).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace lumtar {

namespace fs = std::filesystem;

// The program folder, always ending with '/'.
std::string ProgramDir();
void SetProgramDir(const std::string& dir);
// ProgramDir() + relative path (given with '/').
fs::path ProgramPath(const std::string& relative);
// The folder of the running executable, ending with '/'.
std::string ExecutableDir();

bool ReadWholeFile(const fs::path& path, std::string* bytes);
// Writes to a temporary file beside the target, flushes it to disk and
// renames it over the target, so the target is either old or new, never cut.
bool WriteWholeFileAtomic(const fs::path& path, const std::string& bytes);

bool FileExists(const fs::path& path);
bool DirectoryExists(const fs::path& path);
bool CreateDirectories(const fs::path& path);
bool CopyFileOverwrite(const fs::path& from, const fs::path& to);
bool DeleteFileIfExists(const fs::path& path);
bool RenameFile(const fs::path& from, const fs::path& to);
// Flushes an open descriptor's file and its folder entry to disk.
bool SyncFile(const fs::path& path);

// Regular files in `dir` whose names match `pattern` ('*' and '?', ASCII
// case-insensitive as on the original platform), sorted by name.
std::vector<std::string> ListFiles(const fs::path& dir, const std::string& pattern);
bool WildcardMatch(const std::string& pattern, const std::string& name);

}  // namespace lumtar
