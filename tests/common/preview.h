// Helpers of the preview tools, which show a window on a copy of a program
// folder and save a picture of the screen for a person to look at.
#pragma once

#include <QApplication>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QString>
#include <QTimer>

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "inifile.h"

namespace lumtar::test {

// Copies a folder with all it holds; a missing source copies nothing.
inline void CopyFolder(const std::filesystem::path& from, const std::filesystem::path& to) {
  std::error_code ec;
  std::filesystem::create_directories(to, ec);
  std::filesystem::copy(from, to,
                        std::filesystem::copy_options::recursive | std::filesystem::copy_options::overwrite_existing,
                        ec);
}

// The command line of a preview tool: OUT.png [WHAT] [SKIN|-].
struct PreviewArgs {
  QString out;
  QString what;
  std::string skin;  // empty: the folder's own setting; "-": the standard look
};

// False, with the usage on stderr, when OUT.png is missing.
inline bool ReadPreviewArgs(int argc, char** argv, const char* usage, const char* defaultWhat,
                            PreviewArgs* args) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s\n", usage);
    return false;
  }
  args->out = QString::fromLocal8Bit(argv[1]);
  args->what = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString::fromUtf8(defaultWhat);
  args->skin = argc > 3 ? argv[3] : "";
  return true;
}

// Copies the data and skins folders of a program folder.
inline void CopyProgramFolder(const std::filesystem::path& program, const std::filesystem::path& to) {
  CopyFolder(program / "dat", to / "dat");
  CopyFolder(program / "skins", to / "skins");
}

// Writes the skin choice of a preview into dat/xminit.ini.
inline void ChooseSkin(const std::filesystem::path& programDir, const std::string& skin) {
  if (skin.empty()) return;
  IniFile ini(programDir / "dat/xminit.ini");
  ini.WriteInteger("window", "skined", skin == "-" ? 0 : 1);
  if (skin != "-") ini.WriteString("window", "skinname", skin);
}

// Opens a submenu of an open menu, as hovering its entry does.
inline void OpenSubmenu(QMenu* parent, QMenu* sub) {
  QRect r = parent->actionGeometry(sub->menuAction());
  parent->setActiveAction(sub->menuAction());
  sub->popup(parent->mapToGlobal(r.topRight()));
}

// After `ms` milliseconds saves the screen to `out` and ends the event loop
// (exit code 1 when the picture could not be saved).
inline void SaveScreenLater(const QString& out, int ms = 1800) {
  QTimer::singleShot(ms, [out] {
    QScreen* screen = QGuiApplication::primaryScreen();
    bool ok = screen && screen->grabWindow(0).save(out);
    std::fprintf(stderr, ok ? "saved %s\n" : "could not save %s\n", qPrintable(out));
    QApplication::exit(ok ? 0 : 1);
  });
}

}  // namespace lumtar::test
