// Where the program's files live.
//
// Portable layout, the original one: the program folder (the executable's)
// is writable and holds dat/. Everything is there: settings, places and the
// case store in dat/, the comment documents in Lumtar_f/, the skins in
// skins/. The build tree and a copied program folder are portable, and so is
// any folder named with --program-dir.
//
// Installed layout: otherwise (an executable in /usr/bin). The files the
// package ships are in <prefix>/share/lumtar/ (dat/ and skins/), read only;
// the user's own are in the XDG data folder, $XDG_DATA_HOME/Lumtar
// (~/.local/share/Lumtar): dat/, Lumtar_f/ and skins/. The program folder
// (ProgramDir) is then that user folder, so every ProgramPath names the
// user's file. The first start copies the shipped settings and place list
// (dat/*.ini) there, and they are never overwritten afterwards; a newer
// shipped place list reaches the user only as places appended at the end of
// their provinces, since cases keep a city by its position in the list.
// Skins are read from the user's folder and from the shipped one.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace lumtar {

enum class DataLayout { Portable, Installed };

struct DataFolders {
  DataLayout layout = DataLayout::Portable;
  std::string data;     // the program folder: dat/, Lumtar_f/, skins/ of the user ('/' at the end)
  std::string shipped;  // the shipped dat/ and skins/ ('/' at the end)
};

// The folders of an executable in `exeDir`, from the environment's
// XDG_DATA_HOME and HOME (or the user's entry in the password database).
// Nothing is created.
DataFolders DataFoldersFor(const std::string& exeDir);

// Takes the folders of an executable in `exeDir` (default: the running
// one's): sets the program folder, creates dat/ and Lumtar_f/ there and, in
// the installed layout, skins/ too, copies the shipped settings the user
// lacks and appends new shipped places. Returns the folders.
DataFolders UseDataFolders(const std::string& exeDir = std::string());

// The folder of the shipped files, ending with '/': that of UseDataFolders
// while the program folder is the one it chose, else the program folder
// itself (portable, --program-dir, tests).
std::string ShippedDir();
std::filesystem::path ShippedPath(const std::string& relative);

// The folders skins are read from: the user's skins/ first, then the
// shipped one when it is another folder.
std::vector<std::filesystem::path> SkinFolders();

// A newer shipped place list into the user's: every place of `shipped` that
// `previous` (the shipped list the user last got; may be missing) does not
// hold is appended at the end of its province in `user`, unless the user
// has it already. Places the user has are never changed nor moved.
bool AppendNewPlaces(const std::filesystem::path& shipped, const std::filesystem::path& previous,
                     const std::filesystem::path& user);

}  // namespace lumtar
