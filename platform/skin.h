// Window skins.
//
// A skin file skins/NAME.skn is a Qt style sheet for the whole application,
// UTF-8 (GBK is accepted too). It may start with a header comment of
// "key: value" lines that the style sheet itself cannot express:
//
//   /* Lumtar skin
//      title: 宣纸
//      style: Fusion
//      window: #f3ede0
//      highlight: #9e2a1e
//   */
//
//   style      the widget style the sheet is drawn over (default Fusion)
//   title      a display name (default: the file name)
//   <role>     a palette colour: window, windowtext, base, alternatebase,
//              text, button, buttontext, brighttext, highlight,
//              highlightedtext, tooltipbase, tooltiptext, link,
//              linkvisited, placeholdertext, light, midlight, mid, dark,
//              shadow
//
// Images named with a relative path in url(...) are files beside the skin
// file (skins share such files). The palette gives every widget its colours, so the sheet only needs the
// shapes (borders, paddings, tabs, menus) and can refer to the colours with
// palette(role). Skins leave the background of rich-text editors to the
// palette; a window that gives an editor a colour of its own puts it in the
// editor's own style sheet, as a widget's palette is not drawn under an
// application style sheet.
//
// SkinEngine applies one skin to the application. Switching it off restores
// the look the application had when the engine was created (the platform
// look). One engine per program, created before any skin is applied.
#pragma once

#include <QColor>
#include <QPalette>
#include <QString>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace lumtar {

struct SkinFile {
  QString title;
  QString baseStyle = QStringLiteral("Fusion");
  std::vector<std::pair<QPalette::ColorRole, QColor>> colours;
  QString styleSheet;
};

// Reads and parses a skin file. False (with a reason) when the file cannot
// be read or is implausibly large; a sheet Qt cannot parse is accepted here
// and simply has no effect.
bool ReadSkinFile(const std::filesystem::path& path, SkinFile* skin,
                  std::string* error = nullptr);

// The palette of a skin: the colours of its header over a palette made from
// its window and button colours (with fitting disabled colours).
QPalette SkinPalette(const SkinFile& skin, const QPalette& fallback);

// The skins of a folder: the names of the files "*.skn" up to their first
// '.', sorted, without repeats.
std::vector<std::string> ListSkinNames(const std::filesystem::path& dir);
// The file of a skin name in a folder: dir / (name + ".skn").
std::filesystem::path SkinFilePath(const std::filesystem::path& dir, const std::string& name);
// The same over several folders (the user's and the shipped ones): the names
// of all of them in one sorted list, each once; the file of a name in the
// first folder that holds it (in the first folder when none does).
std::vector<std::string> ListSkinNames(const std::vector<std::filesystem::path>& dirs);
std::filesystem::path SkinFilePath(const std::vector<std::filesystem::path>& dirs, const std::string& name);

class SkinEngine {
 public:
  // Remembers the application's current style and palette as the standard
  // look. Needs a QApplication.
  SkinEngine();
  ~SkinEngine();
  SkinEngine(const SkinEngine&) = delete;
  SkinEngine& operator=(const SkinEngine&) = delete;

  // Loads a skin file. When skinning is on, the new skin shows at once. A
  // file that cannot be read leaves no skin loaded (skinning on then shows
  // the standard look) and returns false.
  bool LoadFromFile(const std::filesystem::path& path);
  // Switches skinning on (the loaded skin, if any) or off (the standard
  // look). Every window is repainted.
  void SetActive(bool on);

  bool Active() const { return active_; }
  bool Loaded() const { return loaded_; }
  const SkinFile& Skin() const { return skin_; }
  const std::string& LastError() const { return lastError_; }

 private:
  void ApplySkin();
  void ApplyStandard();

  QString standardStyle_;
  QPalette standardPalette_;
  QString standardSheet_;
  SkinFile skin_;
  bool loaded_ = false;
  bool active_ = false;
  std::string lastError_;
};

}  // namespace lumtar
