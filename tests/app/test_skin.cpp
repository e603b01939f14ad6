#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QStyle>
#include <QTextEdit>
#include <QtTest>

#include <cmath>

#include "files.h"
#include "gbk.h"
#include "skin.h"
#include "widgets.h"
#include "tempdir.h"

using namespace lumtar;

namespace {

const std::filesystem::path kShippedSkins = std::filesystem::path(LUMTAR_SOURCE_DIR) / "data/skins";

double Luminance(const QColor& c) {
  auto lin = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
  return 0.2126 * lin(c.redF()) + 0.7152 * lin(c.greenF()) + 0.0722 * lin(c.blueF());
}

double Contrast(const QColor& a, const QColor& b) {
  double x = Luminance(a), y = Luminance(b);
  return (std::max(x, y) + 0.05) / (std::min(x, y) + 0.05);
}

// Collects Qt's warnings, among them the style sheet parser's.
QStringList* g_warnings = nullptr;
void CollectWarnings(QtMsgType type, const QMessageLogContext&, const QString& msg) {
  if (g_warnings && type != QtDebugMsg && type != QtInfoMsg) g_warnings->append(msg);
}

// A drop-down list that tells where its text goes.
class ListBox : public QComboBox {
 public:
  QRect TextRect() {
    QStyleOptionComboBox opt;
    initStyleOption(&opt);
    return style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, this);
  }
};

}  // namespace

class SkinTest : public QObject {
  Q_OBJECT

 private slots:
  void listsSkinFilesByName() {
    test::TempDir dir;
    for (const char* f : {"b.skn", "Mx1.skn", "a.x.skn", "a.skn", "c.SKN", "readme.txt", ".skn"})
      WriteWholeFileAtomic(dir / f, "");
    std::filesystem::create_directories(dir / "d.skn");
    auto names = ListSkinNames(dir.path());
    QCOMPARE(names, (std::vector<std::string>{"Mx1", "a", "b", "c"}));
    QVERIFY(ListSkinNames(dir / "none").empty());
    QCOMPARE(SkinFilePath(dir.path(), "Mx1"), dir / "Mx1.skn");
  }

  void readsTheHeader() {
    test::TempDir dir;
    WriteWholeFileAtomic(dir / "青瓷.skn",
                         Utf8ToGbk("/* Lumtar skin\r\n * title: 青瓷\r\n * style: Windows\r\n"
                                   " * window: #e6eeea\r\n * highlight: teal\r\n"
                                   " * text: notacolour\r\n * nonsense: 1\r\n*/\r\n"
                                   "QPushButton { border: 1px solid red; }\r\n"));
    SkinFile skin;
    QVERIFY(ReadSkinFile(dir / "青瓷.skn", &skin));
    QCOMPARE(skin.title, QStringLiteral("青瓷"));
    QCOMPARE(skin.baseStyle, QStringLiteral("Windows"));
    QCOMPARE(skin.colours.size(), size_t(2));
    QVERIFY(skin.colours[0].first == QPalette::Window);
    QCOMPARE(skin.colours[0].second, QColor(0xe6, 0xee, 0xea));
    QCOMPARE(skin.colours[1].second, QColor(QStringLiteral("teal")));
    QVERIFY(skin.styleSheet.contains(QStringLiteral("QPushButton")));

    WriteWholeFileAtomic(dir / "plain.skn", "QLabel { color: blue; }");
    QVERIFY(ReadSkinFile(dir / "plain.skn", &skin));
    QCOMPARE(skin.title, QStringLiteral("plain"));
    QCOMPARE(skin.baseStyle, QStringLiteral("Fusion"));
    QVERIFY(skin.colours.empty());
  }

  void refusesMissingAndOversizedFiles() {
    test::TempDir dir;
    SkinFile skin;
    std::string error;
    QVERIFY(!ReadSkinFile(dir / "none.skn", &skin, &error));
    QVERIFY(!error.empty());
    WriteWholeFileAtomic(dir / "big.skn", std::string(2 << 20, ' '));
    QVERIFY(!ReadSkinFile(dir / "big.skn", &skin, &error));
    std::filesystem::create_directories(dir / "folder.skn");
    QVERIFY(!ReadSkinFile(dir / "folder.skn", &skin, &error));
  }

  void switchesOnAndBackToTheStandardLook() {
    const QString standardStyle = QApplication::style()->name();
    const QPalette standardPalette = QApplication::palette();
    test::TempDir dir;
    WriteWholeFileAtomic(dir / "a.skn",
                         "/* window: #102030\n   windowtext: #f0e0d0\n */\nQPushButton { border: 2px solid #ff0000; }\n");
    WriteWholeFileAtomic(dir / "b.skn", "/* window: #405060 */\nQLabel { }\n");
    SkinEngine engine;
    QPushButton button(QStringLiteral("本命盘"));

    QVERIFY(engine.LoadFromFile(dir / "a.skn"));
    QVERIFY(engine.Loaded());
    QVERIFY(!engine.Active());
    QVERIFY(qApp->styleSheet().isEmpty());  // loading alone changes nothing

    engine.SetActive(true);
    QVERIFY(qApp->styleSheet().contains(QStringLiteral("#ff0000")));
    QCOMPARE(QApplication::palette().color(QPalette::Window), QColor(0x10, 0x20, 0x30));
    button.ensurePolished();
    QCOMPARE(button.palette().color(QPalette::WindowText), QColor(0xf0, 0xe0, 0xd0));

    QVERIFY(engine.LoadFromFile(dir / "b.skn"));  // a new skin shows at once
    QCOMPARE(QApplication::palette().color(QPalette::Window), QColor(0x40, 0x50, 0x60));

    engine.SetActive(false);
    QVERIFY(qApp->styleSheet().isEmpty());
    QCOMPARE(QApplication::style()->name(), standardStyle);
    QCOMPARE(QApplication::palette().color(QPalette::Window), standardPalette.color(QPalette::Window));
    QCOMPARE(QApplication::palette().color(QPalette::Text), standardPalette.color(QPalette::Text));

    // A skin file lost while skinning is on: the standard look, not a crash.
    engine.SetActive(true);
    QVERIFY(!engine.LoadFromFile(dir / "gone.skn"));
    QVERIFY(!engine.Loaded());
    QVERIFY(engine.Active());
    QVERIFY(qApp->styleSheet().isEmpty());
    QCOMPARE(QApplication::palette().color(QPalette::Window), standardPalette.color(QPalette::Window));
    engine.SetActive(false);
  }

  void shippedSkinsParseAndReadWell() {
    auto names = ListSkinNames(kShippedSkins);
    QVERIFY(names.size() >= 3);
    QVERIFY(std::find(names.begin(), names.end(), "Mx1") != names.end());
    SkinEngine engine;
    QTextEdit editor;
    QPalette own = editor.palette();
    own.setColor(QPalette::Base, QColor(0xd0, 0xcc, 0xc0));  // the analysis page's own colour
    editor.setPalette(own);
    editor.resize(200, 100);
    for (const std::string& name : names) {
      const QString n = QString::fromStdString(name);
      SkinFile skin;
      QVERIFY2(ReadSkinFile(SkinFilePath(kShippedSkins, name), &skin), qPrintable(n));
      QStringList warnings;
      g_warnings = &warnings;
      QtMessageHandler old = qInstallMessageHandler(CollectWarnings);
      QVERIFY(engine.LoadFromFile(SkinFilePath(kShippedSkins, name)));
      engine.SetActive(true);
      QImage shot = editor.grab().toImage();
      qInstallMessageHandler(old);
      g_warnings = nullptr;
      QVERIFY2(warnings.isEmpty(), qPrintable(n + QStringLiteral(": ") + warnings.join(QLatin1Char('\n'))));

      const QPalette p = QApplication::palette();
      auto check = [&](QPalette::ColorRole fg, QPalette::ColorRole bg, const char* what) {
        double c = Contrast(p.color(QPalette::Active, fg), p.color(QPalette::Active, bg));
        QVERIFY2(c >= 4.5, qPrintable(QStringLiteral("%1 %2 contrast %3").arg(n, what).arg(c)));
      };
      check(QPalette::WindowText, QPalette::Window, "window text");
      check(QPalette::Text, QPalette::Base, "text");
      check(QPalette::ButtonText, QPalette::Button, "button text");
      check(QPalette::HighlightedText, QPalette::Highlight, "selected text");
      check(QPalette::ToolTipText, QPalette::ToolTipBase, "tooltip");

      // The editor keeps the colour the window gave it.
      QCOMPARE(shot.pixelColor(shot.width() / 2, shot.height() / 2), QColor(0xd0, 0xcc, 0xc0));
    }
    engine.SetActive(false);
  }

  // The calendar window's lists are 60 pixels wide in 宋体 at 12 pixels;
  // every skin leaves their items room beside the drop-down arrow.
  void narrowListsShowTheirItemsWhole() {
    SkinEngine engine;
    QWidget window;
    window.setFont(SongTiPixelFont(12));
    ListBox list;
    list.setParent(&window);
    list.setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; }"));
    list.addItems({QStringLiteral("12月"), QStringLiteral("31日"), QStringLiteral("23时"), QStringLiteral("59分")});
    list.setGeometry(0, 0, 60, 24);
    int widest = 0;
    for (int i = 0; i < list.count(); ++i) widest = std::max(widest, list.fontMetrics().horizontalAdvance(list.itemText(i)));
    for (const std::string& name : ListSkinNames(kShippedSkins)) {
      QVERIFY(engine.LoadFromFile(SkinFilePath(kShippedSkins, name)));
      engine.SetActive(true);
      list.ensurePolished();
      const int room = list.TextRect().width();
      QVERIFY2(room >= widest, qPrintable(QStringLiteral("%1: %2 pixels for %3").arg(QString::fromStdString(name)).arg(room).arg(widest)));
    }
    engine.SetActive(false);
  }
};

QTEST_MAIN(SkinTest)
#include "test_skin.moc"
