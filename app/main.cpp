#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QIcon>
#include <QStringList>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <memory>
#include <string>

#include "database.h"
#include "datafolders.h"
#include "files.h"
#include "frmmain.h"
#include "guardedapp.h"
#include "inifile.h"
#include "msgbox.h"
#include "scriptui.h"
#include "widgets.h"

namespace {

// The one case store of the program; it exists before the main window,
// which opens it.
lumtar::MDataBase& CaseStore() {
  static lumtar::MDataBase store;
  return store;
}

// Milliseconds since the process started, from /proc (0 when unknown).
double MillisecondsSinceProcessStart() {
  std::ifstream stat("/proc/self/stat"), uptime("/proc/uptime");
  std::string line;
  double up = 0;
  if (!std::getline(stat, line) || !(uptime >> up)) return 0;
  // Field 22 (start time in clock ticks) counts from after the command name.
  size_t pos = line.rfind(')');
  if (pos == std::string::npos) return 0;
  std::string rest = line.substr(pos + 2);
  unsigned long long start = 0;
  int field = 3;
  size_t at = 0;
  while (field < 22 && at != std::string::npos) {
    at = rest.find(' ', at);
    if (at != std::string::npos) ++at;
    ++field;
  }
  if (at == std::string::npos) return 0;
  start = std::strtoull(rest.c_str() + at, nullptr, 10);
  return (up - static_cast<double>(start) / 100.0) * 1000.0;
}

// For measuring the start: with LUMTAR_STARTUP_TIMING set, the time from
// process start (and from main) to the main window's first paint goes to
// stderr; with the value "quit" the program then ends at once.
class StartupTimer : public QObject {
 public:
  StartupTimer(QWidget* window, bool quit, const QElapsedTimer& sinceMain)
      : window_(window), quit_(quit), clock_(sinceMain) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == window_ && event->type() == QEvent::Paint && !done_) {
      done_ = true;
      std::fprintf(stderr, "main window painted: %.0f ms after process start, %lld ms after main\n",
                   MillisecondsSinceProcessStart(), static_cast<long long>(clock_.elapsed()));
      if (quit_) QTimer::singleShot(0, qApp, [] { QApplication::exit(0); });
    }
    return false;
  }

 private:
  QWidget* window_;
  bool quit_;
  bool done_ = false;
  QElapsedTimer clock_;
};

}  // namespace

int main(int argc, char** argv) {
  const char* timing = std::getenv("LUMTAR_STARTUP_TIMING");
  QElapsedTimer sinceMain;
  sinceMain.start();
  CaseStore();
  lumtar::GuardedApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Lumtar"));
  QApplication::setDesktopFileName(QStringLiteral("org.lumtar.Lumtar"));
  QApplication::setWindowIcon(
      QIcon::fromTheme(QStringLiteral("org.lumtar.Lumtar"), QIcon(QStringLiteral(":/lumtar/org.lumtar.Lumtar.svg"))));
  try {
    // The program folder: the one named with --program-dir (portable), or
    // that of the executable's layout (datafolders.h).
    const QStringList args = QCoreApplication::arguments();
    const qsizetype named = args.indexOf(QStringLiteral("--program-dir"));
    if (named >= 0 && named + 1 < args.size() && !args[named + 1].isEmpty()) {
      lumtar::SetProgramDir(args[named + 1].toStdString());
      lumtar::CreateDirectories(lumtar::ProgramPath("dat"));
      lumtar::CreateDirectories(lumtar::ProgramPath("Lumtar_f"));
    } else {
      lumtar::UseDataFolders(QCoreApplication::applicationDirPath().toStdString());
    }
    // The script of every text, as last chosen (dat/xminit.ini); the
    // standard dialogs (files, colours, printing) speak the same Chinese.
    lumtar::ApplyScript(lumtar::ReadScriptSetting(lumtar::IniFile(lumtar::ProgramPath(lumtar::kMainSettingsRelativePath))));
    lumtar::InstallFontSubstitutions();
    QApplication::setFont(lumtar::SongTiPixelFont(14));
    lumtar::TFrmMain window(&CaseStore());
    std::unique_ptr<StartupTimer> timer;
    if (timing) {
      timer = std::make_unique<StartupTimer>(&window, std::string(timing) == "quit", sinceMain);
      window.installEventFilter(timer.get());
    }
    window.show();
    return app.exec();
  } catch (const std::exception& e) {
    lumtar::ShowMessage(nullptr, QString::fromLocal8Bit(e.what()), QString::fromUtf8(lumtar::kAppTitle),
                        lumtar::MsgIcon::Error);
  } catch (...) {
    lumtar::ShowMessage(nullptr, QStringLiteral("未知错误"), QString::fromUtf8(lumtar::kAppTitle),
                        lumtar::MsgIcon::Error);
  }
  return 1;
}
