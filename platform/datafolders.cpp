#include "datafolders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <set>

#include "files.h"
#include "inifile.h"

namespace lumtar {
namespace {

constexpr const char* kPlaceList = "dili.ini";
// Where the user folder keeps the shipped place list it last took in.
constexpr const char* kPreviousPlaces = ".shipped/dili.ini";

std::string WithSlash(std::string d) {
  if (d.empty() || d.back() != '/') d += '/';
  return d;
}

// The folders UseDataFolders chose.
DataFolders& Chosen() {
  static DataFolders chosen;
  return chosen;
}

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] == '/') return home;
  if (const passwd* pw = getpwuid(getuid()); pw != nullptr && pw->pw_dir != nullptr && pw->pw_dir[0] == '/')
    return pw->pw_dir;
  return std::string();
}

// $XDG_DATA_HOME/Lumtar/, or ~/.local/share/Lumtar/; empty without a home.
std::string UserDataFolder() {
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg != nullptr && xdg[0] == '/') return WithSlash((fs::path(xdg) / "Lumtar").lexically_normal().string());
  const std::string home = HomeFolder();
  if (home.empty()) return std::string();
  return WithSlash((fs::path(home) / ".local/share/Lumtar").lexically_normal().string());
}

// Copies the shipped INI files of dat/ the user lacks, and brings new
// places of the shipped place list into the user's. Programs starting at
// once take turns on the user's folder, so that none copies a file over
// one another has begun to use, nor adds the same places twice.
void SeedUserFolder(const DataFolders& f) {
  FolderLock lock;
  // A folder held longer than the wait is filled all the same.
  lock.Acquire(f.data, FolderLock::Mode::Exclusive);
  const fs::path shippedDat = fs::path(f.shipped) / "dat";
  const fs::path userDat = fs::path(f.data) / "dat";
  const fs::path previous = fs::path(f.data) / kPreviousPlaces;
  for (const std::string& name : ListFiles(shippedDat, "*.ini")) {
    const fs::path user = userDat / name;
    const bool places = name == kPlaceList;
    if (!FileExists(user)) {
      std::string bytes;
      if (ReadWholeFile(shippedDat / name, &bytes) && WriteWholeFileAtomic(user, bytes) && places)
        WriteWholeFileAtomic(previous, bytes);
      continue;
    }
    if (!places) continue;
    std::string shipped, taken;
    if (!ReadWholeFile(shippedDat / name, &shipped)) continue;
    if (ReadWholeFile(previous, &taken) && taken == shipped) continue;
    if (AppendNewPlaces(shippedDat / name, previous, user)) WriteWholeFileAtomic(previous, shipped);
  }
}

}  // namespace

DataFolders DataFoldersFor(const std::string& exeDir) {
  DataFolders f;
  const std::string program = WithSlash(exeDir);
  f.data = f.shipped = program;
  if (DirectoryExists(fs::path(program) / "dat") && ::access(program.c_str(), W_OK) == 0) return f;
  f.layout = DataLayout::Installed;
  const fs::path share = (fs::path(program) / "../share/lumtar").lexically_normal();
  if (DirectoryExists(share)) f.shipped = WithSlash(share.string());
  const std::string user = UserDataFolder();
  // Without a home there is no folder of the user's: the shipped files are
  // read and nothing can be kept.
  f.data = user.empty() ? f.shipped : user;
  return f;
}

DataFolders UseDataFolders(const std::string& exeDir) {
  DataFolders f = DataFoldersFor(exeDir.empty() ? ExecutableDir() : exeDir);
  SetProgramDir(f.data);
  f.data = ProgramDir();
  CreateDirectories(ProgramPath("dat"));
  CreateDirectories(ProgramPath("Lumtar_f"));
  if (f.layout == DataLayout::Installed && f.data != f.shipped) {
    CreateDirectories(ProgramPath("skins"));
    SeedUserFolder(f);
  }
  Chosen() = f;
  return f;
}

std::string ShippedDir() {
  const DataFolders& f = Chosen();
  const std::string program = ProgramDir();
  return !f.data.empty() && f.data == program ? f.shipped : program;
}

fs::path ShippedPath(const std::string& relative) { return fs::path(ShippedDir() + relative); }

std::vector<fs::path> SkinFolders() {
  std::vector<fs::path> folders{ProgramPath("skins")};
  if (ShippedDir() != ProgramDir()) folders.push_back(ShippedPath("skins"));
  return folders;
}

bool AppendNewPlaces(const fs::path& shipped, const fs::path& previous, const fs::path& user) {
  const IniFile now(shipped), before(previous);
  IniFile mine(user);
  // Key names compare as the INI files compare them: ASCII letters folded.
  auto fold = [](std::string s) {
    for (char& c : s)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
  };
  std::vector<IniFile::Value> added;
  for (const std::string& section : now.ReadSections()) {
    const std::vector<std::string> had = before.ReadSection(section);
    const std::vector<std::string> has = mine.ReadSection(section);
    std::set<std::string> known;
    for (const std::string& k : had) known.insert(fold(k));
    for (const std::string& k : has) known.insert(fold(k));
    for (const auto& [key, value] : now.ReadSectionValues(section))
      if (known.insert(fold(key)).second) added.push_back({section, key, value});
  }
  return added.empty() || mine.WriteStrings(added);
}

}  // namespace lumtar
