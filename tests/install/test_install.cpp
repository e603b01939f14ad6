// The installed program: `cmake --install` into a temporary prefix, both
// executables started from there with HOME at a temporary folder. The
// user's data appears in the XDG folder, a chart saved there is read back,
// the portable layout and --program-dir keep working, and the desktop entry,
// the icons and the AppStream data are in place and valid.
#include <QImage>
#include <QLineEdit>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTextCursor>
#include <QTextEdit>
#include <QtTest/QtTest>

#include <memory>
#include <set>
#include <vector>
#include <string>

#include "answeredboxes.h"
#include "datafolders.h"
#include "files.h"
#include "frmmain.h"
#include "gbk.h"
#include "inifile.h"
#include "mainwindow.h"
#include "tempdir.h"

using namespace lumtar;

namespace {

struct Run {
  int status = -1;
  QString out, err;
};

// Every file and folder under a folder, relative.
std::set<std::string> Tree(const fs::path& root) {
  std::set<std::string> names;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::recursive_directory_iterator();
       it.increment(ec))
    names.insert(fs::relative(it->path(), root).string());
  return names;
}

}  // namespace

class InstallTest : public QObject {
  Q_OBJECT

  std::unique_ptr<test::TempDir> dir_;
  fs::path prefix_;
  std::string saved_;

  fs::path Home() const { return dir_->path() / "home"; }
  fs::path UserFolder() const { return Home() / ".local/share/Lumtar"; }

  // Runs a program with HOME at `home` (and no XDG_DATA_HOME).
  Run Start(const fs::path& program, const QStringList& args, const fs::path& home,
            const QByteArray& input = QByteArray()) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), QString::fromStdString(home.string()));
    env.remove(QStringLiteral("XDG_DATA_HOME"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    // The window ends itself right after its first paint.
    env.insert(QStringLiteral("LUMTAR_STARTUP_TIMING"), QStringLiteral("quit"));
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(QString::fromStdString(dir_->path().string()));
    p.start(QString::fromStdString(program.string()), args);
    Run run;
    if (!p.waitForStarted(30000)) return run;
    if (!input.isEmpty()) p.write(input);
    p.closeWriteChannel();
    if (!p.waitForFinished(120000)) {
      p.kill();
      p.waitForFinished();
      return run;
    }
    run.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    run.out = QString::fromUtf8(p.readAllStandardOutput());
    run.err = QString::fromUtf8(p.readAllStandardError());
    return run;
  }

  Run Tool(const QString& name, const QStringList& args) {
    const QString program = QStandardPaths::findExecutable(name);
    if (program.isEmpty()) return Run{};
    return Start(program.toStdString(), args, Home());
  }

 private slots:
  void initTestCase() {
    saved_ = ProgramDir();
    dir_ = std::make_unique<test::TempDir>();
    prefix_ = dir_->path() / "usr";
    CreateDirectories(Home());
    QProcess install;
    install.start(QStringLiteral(LUMTAR_CMAKE),
                  {QStringLiteral("--install"), QStringLiteral(LUMTAR_BINARY_DIR), QStringLiteral("--prefix"),
                   QString::fromStdString(prefix_.string())});
    QVERIFY(install.waitForFinished(120000));
    QVERIFY2(install.exitCode() == 0, install.readAllStandardError().constData());
  }
  void cleanupTestCase() {
    SetProgramDir(saved_);
    dir_.reset();
  }

  void theLayoutHoldsProgramDataMenuEntryIconsAndManuals() {
    for (const char* file :
         {"bin/Lumtar", "bin/lumtar-cli", "share/lumtar/dat/set.ini", "share/lumtar/dat/xminit.ini",
          "share/lumtar/dat/dili.ini", "share/lumtar/dat/atlas.txt", "share/lumtar/skins/Mx1.skn", "share/applications/org.lumtar.Lumtar.desktop",
          "share/metainfo/org.lumtar.Lumtar.metainfo.xml", "share/icons/hicolor/scalable/apps/org.lumtar.Lumtar.svg",
          "share/man/man1/lumtar-cli.1.gz", "share/man/man1/Lumtar.1.gz", "share/doc/lumtar/copyright"})
      QVERIFY2(FileExists(prefix_ / file), file);
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256, 512}) {
      const std::string s = std::to_string(size);
      const QImage icon(QString::fromStdString(
          (prefix_ / ("share/icons/hicolor/" + s + "x" + s + "/apps/org.lumtar.Lumtar.png")).string()));
      QCOMPARE(icon.size(), QSize(size, size));
      QVERIFY(icon.hasAlphaChannel());
    }
    // Nothing of the build tree's program folder is installed.
    QVERIFY(!FileExists(prefix_ / "bin/dat"));
    QVERIFY(!FileExists(prefix_ / "share/lumtar/dat/Lumtar.dat"));
  }

  void theDesktopEntryAndTheAppStreamDataAreValid() {
    const Run desktop = Tool(QStringLiteral("desktop-file-validate"),
                             {QString::fromStdString((prefix_ / "share/applications/org.lumtar.Lumtar.desktop").string())});
    if (desktop.status == -1) QSKIP("desktop-file-validate is not installed (setup.sh installs it)");
    QCOMPARE(desktop.status, 0);
    QCOMPARE(desktop.out + desktop.err, QString());
    const Run metainfo = Tool(QStringLiteral("appstreamcli"),
                              {QStringLiteral("validate"), QStringLiteral("--no-net"),
                               QString::fromStdString((prefix_ / "share/metainfo/org.lumtar.Lumtar.metainfo.xml").string())});
    if (metainfo.status == -1) QSKIP("appstreamcli is not installed (setup.sh installs it)");
    QVERIFY2(metainfo.status == 0, qPrintable(metainfo.out + metainfo.err));
  }

  void theProgramKeepsTheUsersDataInTheXdgFolder() {
    const std::set<std::string> installed = Tree(prefix_);
    const Run window = Start(prefix_ / "bin/Lumtar", {}, Home());
    QVERIFY2(window.status == 0, qPrintable(window.err));
    QVERIFY(window.err.contains(QStringLiteral("main window painted")));
    for (const char* file : {"dat/set.ini", "dat/xminit.ini", "dat/dili.ini", "dat/Lumtar.dat"})
      QVERIFY2(FileExists(UserFolder() / file), file);
    QVERIFY(DirectoryExists(UserFolder() / "Lumtar_f"));
    QVERIFY(DirectoryExists(UserFolder() / "skins"));
    std::string shipped, seeded;
    QVERIFY(ReadWholeFile(prefix_ / "share/lumtar/dat/dili.ini", &shipped));
    QVERIFY(ReadWholeFile(UserFolder() / "dat/dili.ini", &seeded));
    QCOMPARE(seeded, shipped);
    // The installation itself is left as it was.
    QCOMPARE(Tree(prefix_), installed);
  }

  // A case saved by the installed program's window (the same code, run
  // here with the installed program's folders) is read back by the
  // installed tool and kept by the installed program's next start.
  void aChartSavedThereIsReadBack() {
    qputenv("HOME", QByteArray::fromStdString(Home().string()));
    qunsetenv("XDG_DATA_HOME");
    const DataFolders folders = UseDataFolders((prefix_ / "bin").string());
    QCOMPARE(folders.layout, DataLayout::Installed);
    QCOMPARE(ProgramDir(), UserFolder().string() + "/");
    {
      test::AnsweredBoxes boxes;
      auto w = std::make_unique<TFrmMain>();
      w->runCaseDialog = test::SaveIntoClass(QStringLiteral("朋友"));
      w = test::Shown(std::move(w));
      QVERIFY(w);
      test::TypeBirth(*w);
      w->ledtjing->setText(QStringLiteral("119:18"));
      w->ledtwei->setText(QStringLiteral("26:5"));
      w->BtnpaiClick();
      QTextCursor cursor(w->RedtPingYu->document());
      cursor.select(QTextCursor::Document);
      cursor.insertText(QStringLiteral("装好的程序里存的评语"));
      w->SbtoSaveClick();
      w->close();
    }
    const std::vector<std::string> comments = ListFiles(UserFolder() / "Lumtar_f", "*.rtf");
    QCOMPARE(comments.size(), size_t(1));

    const Run list = Start(prefix_ / "bin/lumtar-cli", {QStringLiteral("cases"), QStringLiteral("list")}, Home());
    QVERIFY2(list.status == 0, qPrintable(list.err));
    const QStringList lines = list.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 1);
    QVERIFY(lines[0].startsWith(QStringLiteral("0\t张三\t朋友\t公1990-3-7\t男\t")));
    QVERIFY(lines[0].endsWith(QString::fromStdString(comments[0].substr(0, comments[0].size() - 4))));

    // The tool charts with the user's settings.
    IniFile(UserFolder() / "dat/set.ini").WriteInteger("lumtar", "guidao", 1);
    const Run chart = Start(prefix_ / "bin/lumtar-cli",
                            {QStringLiteral("chart"), QStringLiteral("--date"), QStringLiteral("1990-03-07"),
                             QStringLiteral("--time"), QStringLiteral("10:30"), QStringLiteral("--json")},
                            Home());
    QVERIFY2(chart.status == 0, qPrintable(chart.err));
    QVERIFY(chart.out.contains(QStringLiteral("\"settings\":{\"frame\":1")));
    // A place of the world atlas, read where it is shipped, not copied.
    const Run city = Start(prefix_ / "bin/lumtar-cli",
                           {QStringLiteral("chart"), QStringLiteral("--date"), QStringLiteral("1990-03-07"),
                            QStringLiteral("--time"), QStringLiteral("10:30"), QStringLiteral("--city"),
                            QStringLiteral("新加坡"), QStringLiteral("--json")},
                           Home());
    QVERIFY2(city.status == 0, qPrintable(city.err));
    QVERIFY(city.out.contains(QStringLiteral("\"timeZone\":\"Asia/Singapore\"")));
    QVERIFY(!FileExists(UserFolder() / "dat/atlas.txt"));

    // The next start keeps the case, its comment and the user's settings.
    std::string store;
    QVERIFY(ReadWholeFile(UserFolder() / "dat/Lumtar.dat", &store));
    QCOMPARE(store.size(), size_t(152));
    const Run again = Start(prefix_ / "bin/Lumtar", {}, Home());
    QVERIFY2(again.status == 0, qPrintable(again.err));
    std::string storeAfter;
    QVERIFY(ReadWholeFile(UserFolder() / "dat/Lumtar.dat", &storeAfter));
    QCOMPARE(storeAfter, store);
    QCOMPARE(IniFile(UserFolder() / "dat/set.ini").ReadInteger("lumtar", "guidao", 0), 1);
    QVERIFY(FileExists(UserFolder() / "Lumtar_f" / comments[0]));
  }

  // Programs started at the same moment on one user's folder: a first start,
  // then the first start after an upgrade brought a new place. Every file
  // is the shipped one, the new place arrives once, and the user's own
  // place stays.
  void programsStartingAtOnceShareTheUsersFolder() {
    const fs::path home = dir_->path() / "home3";
    const fs::path user = home / ".local/share/Lumtar";
    CreateDirectories(home);
    auto startAtOnce = [&] {
      std::vector<std::unique_ptr<QProcess>> programs;
      QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
      env.insert(QStringLiteral("HOME"), QString::fromStdString(home.string()));
      env.remove(QStringLiteral("XDG_DATA_HOME"));
      env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
      env.insert(QStringLiteral("LUMTAR_STARTUP_TIMING"), QStringLiteral("quit"));
      for (int i = 0; i < 4; ++i) {
        programs.push_back(std::make_unique<QProcess>());
        programs.back()->setProcessEnvironment(env);
        if (i % 2 == 0)
          programs.back()->start(QString::fromStdString((prefix_ / "bin/Lumtar").string()), {});
        else
          programs.back()->start(QString::fromStdString((prefix_ / "bin/lumtar-cli").string()),
                                 {QStringLiteral("places"), QStringLiteral("search"), QStringLiteral("福州")});
      }
      bool allWell = true;
      for (auto& p : programs) {
        if (!p->waitForFinished(120000)) {
          p->kill();
          p->waitForFinished();
        }
        allWell = allWell && p->exitStatus() == QProcess::NormalExit && p->exitCode() == 0;
      }
      return allWell;
    };
    QVERIFY(startAtOnce());
    for (const char* file : {"dat/set.ini", "dat/xminit.ini", "dat/dili.ini", ".shipped/dili.ini"}) {
      std::string shipped, seeded;
      QVERIFY(ReadWholeFile(prefix_ / "share/lumtar" / (std::string(file) == ".shipped/dili.ini" ? "dat/dili.ini" : file),
                            &shipped));
      QVERIFY2(ReadWholeFile(user / file, &seeded), file);
      QVERIFY2(seeded == shipped, file);
    }

    // The user had a place list without the shipped list's first place,
    // and a place of their own.
    std::string section, key, value;
    {
      const IniFile shipped(prefix_ / "share/lumtar/dat/dili.ini");
      section = shipped.ReadSections().front();
      key = shipped.ReadSection(section).front();
      value = shipped.ReadString(section, key, "");
    }
    for (const fs::path& older : {user / "dat/dili.ini", user / ".shipped/dili.ini"})
      QVERIFY(IniFile(older).DeleteKey(section, key));
    QVERIFY(IniFile(user / "dat/dili.ini").WriteString(section, "MyTown", "100:1*20:2"));
    QVERIFY(startAtOnce());
    const IniFile mine(user / "dat/dili.ini");
    QCOMPARE(mine.ReadString(section, key, ""), value);
    QCOMPARE(mine.ReadString(section, "MyTown", ""), std::string("100:1*20:2"));
    std::string bytes;
    QVERIFY(ReadWholeFile(user / "dat/dili.ini", &bytes));
    bytes = GbkToUtf8(bytes);
    size_t times = 0;
    for (size_t at = 0; (at = bytes.find("\n" + key + "=", at)) != std::string::npos; ++at) ++times;
    QCOMPARE(times, size_t(1));
    std::string shipped, taken;
    QVERIFY(ReadWholeFile(prefix_ / "share/lumtar/dat/dili.ini", &shipped));
    QVERIFY(ReadWholeFile(user / ".shipped/dili.ini", &taken));
    QVERIFY(taken == shipped);
    // Nothing but the user's files: no temporary file left behind.
    const std::set<std::string> expected{"dat",      "dat/set.ini", "dat/xminit.ini", "dat/dili.ini", "dat/Lumtar.dat", "dat/Lumtar.gen",
                                         "Lumtar_f", "skins",       ".shipped",       ".shipped/dili.ini"};
    const std::set<std::string> found = Tree(user);
    QCOMPARE(found, expected);
  }

  // The installed executables copied into a writable folder with dat/ keep
  // everything there and nothing in the home folder; --program-dir names
  // such a folder for the installed ones.
  void thePortableLayoutAndProgramDirKeepWorking() {
    const fs::path portable = dir_->path() / "portable";
    const fs::path home = dir_->path() / "home2";
    CreateDirectories(portable / "dat");
    CreateDirectories(home);
    for (const char* exe : {"Lumtar", "lumtar-cli"})
      QVERIFY(CopyFileOverwrite(prefix_ / "bin" / exe, portable / exe));
    fs::permissions(portable / "Lumtar", fs::perms::owner_all, fs::perm_options::add);
    fs::permissions(portable / "lumtar-cli", fs::perms::owner_all, fs::perm_options::add);
    WriteWholeFileAtomic(portable / "dat/set.ini", "[lumtar]\r\nguidao=1\r\n");

    const Run window = Start(portable / "Lumtar", {}, home);
    QVERIFY2(window.status == 0, qPrintable(window.err));
    QVERIFY(FileExists(portable / "dat/Lumtar.dat"));
    QVERIFY(DirectoryExists(portable / "Lumtar_f"));
    const QStringList chartArgs{QStringLiteral("chart"), QStringLiteral("--date"), QStringLiteral("1990-03-07"),
                                QStringLiteral("--time"), QStringLiteral("10:30"), QStringLiteral("--json")};
    const Run chart = Start(portable / "lumtar-cli", chartArgs, home);
    QVERIFY2(chart.status == 0, qPrintable(chart.err));
    QVERIFY(chart.out.contains(QStringLiteral("\"settings\":{\"frame\":1")));
    QVERIFY(Tree(home).empty());

    // The installed ones with --program-dir.
    const fs::path named = dir_->path() / "named";
    const Run namedWindow =
        Start(prefix_ / "bin/Lumtar", {QStringLiteral("--program-dir"), QString::fromStdString(named.string())}, home);
    QVERIFY2(namedWindow.status == 0, qPrintable(namedWindow.err));
    QVERIFY(FileExists(named / "dat/Lumtar.dat"));
    const Run namedList = Start(prefix_ / "bin/lumtar-cli",
                                {QStringLiteral("cases"), QStringLiteral("list"), QStringLiteral("--program-dir"),
                                 QString::fromStdString(named.string())},
                                home);
    // The named folder's store is there and empty.
    QCOMPARE(namedList.status, 1);
    QVERIFY2(namedList.err.contains(QStringLiteral("没有记录")), qPrintable(namedList.err));
    QVERIFY(Tree(home).empty());
  }
};

QTEST_MAIN(InstallTest)
#include "test_install.moc"
