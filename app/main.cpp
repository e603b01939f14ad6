#include <QApplication>

#include "files.h"
#include "frmmain.h"
#include "widgets.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Lumtar"));
  lumtar::SetProgramDir(QCoreApplication::applicationDirPath().toStdString());
  lumtar::CreateDirectories(lumtar::ProgramPath("dat"));
  lumtar::CreateDirectories(lumtar::ProgramPath("Lumtar_f"));
  lumtar::InstallFontSubstitutions();
  QApplication::setFont(lumtar::SongTiPointFont(9));
  lumtar::TFrmMain w;
  w.show();
  return app.exec();
}
