#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QStyleOptionGroupBox>
#include <QStyleOptionSlider>
#include <QStyleOptionSpinBox>
#include <QTabBar>
#include <QTextEdit>
#include <QToolTip>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QtTest>

#include <cmath>
#include <functional>

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

// The ground of a part of a picture is its commonest colour; its ink is the
// colour that stands out most against it (the text or arrow drawn there).
// Returns their contrast, and the two colours.
double InkContrast(const QImage& picture, const QRect& part, QColor* ground = nullptr, QColor* ink = nullptr) {
  QHash<QRgb, int> count;
  const QRect r = part.intersected(picture.rect());
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x) ++count[picture.pixel(x, y) | 0xff000000u];
  QRgb commonest = 0;
  int most = -1;
  for (auto it = count.cbegin(); it != count.cend(); ++it)
    if (it.value() > most) most = it.value(), commonest = it.key();
  double best = 1;
  QRgb strongest = commonest;
  for (auto it = count.cbegin(); it != count.cend(); ++it) {
    const double c = Contrast(QColor(commonest), QColor(it.key()));
    if (c > best) best = c, strongest = it.key();
  }
  if (ground) *ground = QColor(commonest);
  if (ink) *ink = QColor(strongest);
  return best;
}

// A control's picture with a part of it to measure, named for the message.
struct Part {
  QString what;
  QImage picture;
  QRect rect;
};

QRect SliderPart(QScrollBar* bar, QStyle::SubControl sc) {
  QStyleOptionSlider opt;
  opt.initFrom(bar);
  opt.orientation = bar->orientation();
  opt.minimum = bar->minimum();
  opt.maximum = bar->maximum();
  opt.sliderPosition = bar->sliderPosition();
  opt.sliderValue = bar->value();
  opt.singleStep = bar->singleStep();
  opt.pageStep = bar->pageStep();
  opt.subControls = QStyle::SC_All;
  if (bar->orientation() == Qt::Horizontal) opt.state |= QStyle::State_Horizontal;
  return bar->style()->subControlRect(QStyle::CC_ScrollBar, &opt, sc, bar);
}

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

  // Every text and every arrow of the controls the program shows stands out
  // from its ground by 4.5:1 at least under every skin; a radio button or
  // check box is hollow until it is chosen.
  void everyTextAndArrowReads() {
    InstallFontSubstitutions();
    QApplication::setFont(SongTiPixelFont(14));
    SkinEngine engine;
    std::vector<std::string> names = ListSkinNames(kShippedSkins);
    names.insert(names.begin(), std::string());  // the standard look
    QStringList allFaults;
    for (const std::string& name : names) {
      const QString skin = name.empty() ? QStringLiteral("standard look") : QString::fromStdString(name);
      if (!name.empty()) {
        QVERIFY(engine.LoadFromFile(SkinFilePath(kShippedSkins, name)));
        engine.SetActive(true);
      }
      QWidget window;
      auto* box = new QVBoxLayout(&window);
      auto* bar = new QMenuBar;
      QMenu* file = bar->addMenu(QStringLiteral("文件(&F)"));
      QAction* save = file->addAction(QStringLiteral("保存命例"));
      QAction* chosen = file->addAction(QStringLiteral("导出历史记录"));
      box->setMenuBar(bar);
      auto* label = new QLabel(QStringLiteral("经度"));
      auto* button = new QPushButton(QStringLiteral("本命盘"));
      auto* edit = new QLineEdit(QStringLiteral("119:18"));
      auto* list = new QComboBox;
      list->addItem(QStringLiteral("福建省"));
      auto* spin = new QSpinBox;
      spin->setRange(0, 500);
      spin->setValue(250);
      auto* tabs = new QTabBar;
      tabs->addTab(QStringLiteral("星命盘"));
      tabs->addTab(QStringLiteral("星命分析"));
      auto* group = new QGroupBox(QStringLiteral("历法"));
      auto* groupBox = new QVBoxLayout(group);
      auto* on = new QRadioButton(QStringLiteral("公历"));
      auto* off = new QRadioButton(QStringLiteral("农历"));
      auto* checkOff = new QCheckBox(QStringLiteral("农历闰月"));
      auto* checkOn = new QCheckBox(QStringLiteral("真太阳时"));
      on->setChecked(true);
      checkOn->setChecked(true);
      for (QWidget* w : {static_cast<QWidget*>(on), static_cast<QWidget*>(off), static_cast<QWidget*>(checkOff),
                         static_cast<QWidget*>(checkOn)})
        groupBox->addWidget(w);
      auto* tree = new QTreeWidget;
      tree->setHeaderHidden(true);
      auto* root = new QTreeWidgetItem(tree, {QStringLiteral("命例")});
      auto* picked = new QTreeWidgetItem(root, {QStringLiteral("张三  公1990-3-7|17")});
      tree->expandAll();
      tree->setCurrentItem(picked);
      auto* editor = new QTextEdit;
      editor->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
      editor->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
      editor->setLineWrapMode(QTextEdit::NoWrap);
      editor->setPlainText(QString(60, QChar(0x547D)) + QStringLiteral("\n").repeated(60));
      for (QWidget* w : {static_cast<QWidget*>(label), static_cast<QWidget*>(button), static_cast<QWidget*>(edit),
                         static_cast<QWidget*>(list), static_cast<QWidget*>(spin), static_cast<QWidget*>(tabs),
                         static_cast<QWidget*>(group), static_cast<QWidget*>(tree), static_cast<QWidget*>(editor)})
        box->addWidget(w);
      window.resize(320, 760);
      window.show();
      QVERIFY(QTest::qWaitForWindowExposed(&window));

      std::vector<Part> parts;
      QStringList faults;
      auto whole = [&parts](const QString& what, QWidget* w, int inset) {
        parts.push_back({what, w->grab().toImage(), w->rect().adjusted(inset, inset, -inset, -inset)});
      };
      whole(QStringLiteral("label"), label, 0);
      whole(QStringLiteral("button"), button, 5);
      whole(QStringLiteral("line edit"), edit, 4);
      {
        QStyleOptionComboBox opt;
        opt.initFrom(list);
        opt.editable = false;
        opt.subControls = QStyle::SC_All;
        const QImage shot = list->grab().toImage();
        const QRect text = list->style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, list);
        parts.push_back({QStringLiteral("list text"), shot, text.adjusted(1, 2, -1, -2)});
        const QRect arrow = list->style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxArrow, list);
        parts.push_back({QStringLiteral("list arrow"), shot, arrow.adjusted(2, 2, -2, -2)});
      }
      {
        QStyleOptionSpinBox opt;
        opt.initFrom(spin);
        opt.subControls = QStyle::SC_SpinBoxUp | QStyle::SC_SpinBoxDown;
        opt.stepEnabled = QAbstractSpinBox::StepUpEnabled | QAbstractSpinBox::StepDownEnabled;
        opt.buttonSymbols = QAbstractSpinBox::UpDownArrows;
        opt.frame = true;
        const QImage shot = spin->grab().toImage();
        for (auto [sc, what] : {std::pair{QStyle::SC_SpinBoxUp, "spin up arrow"}, std::pair{QStyle::SC_SpinBoxDown, "spin down arrow"}})
          parts.push_back({QString::fromUtf8(what), shot,
                           spin->style()->subControlRect(QStyle::CC_SpinBox, &opt, sc, spin).adjusted(2, 1, -2, -1)});
      }
      {
        const QImage shot = tabs->grab().toImage();
        tabs->setCurrentIndex(0);
        parts.push_back({QStringLiteral("chosen tab"), tabs->grab().toImage(), tabs->tabRect(0).adjusted(4, 4, -4, -3)});
        parts.push_back({QStringLiteral("other tab"), tabs->grab().toImage(), tabs->tabRect(1).adjusted(4, 6, -4, -3)});
      }
      {
        QStyleOptionGroupBox opt;
        opt.initFrom(group);
        opt.text = group->title();
        opt.subControls = QStyle::SC_GroupBoxLabel;
        const QRect title = group->style()->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxLabel, group);
        parts.push_back({QStringLiteral("group title"), group->grab().toImage(), title});
      }
      for (QWidget* w : {static_cast<QWidget*>(on), static_cast<QWidget*>(off), static_cast<QWidget*>(checkOff), static_cast<QWidget*>(checkOn)}) {
        auto* b = static_cast<QAbstractButton*>(w);
        const bool radio = qobject_cast<QRadioButton*>(w) != nullptr;
        QStyleOptionButton opt;
        opt.initFrom(w);
        opt.text = b->text();
        const QRect mark = w->style()->subElementRect(radio ? QStyle::SE_RadioButtonIndicator : QStyle::SE_CheckBoxIndicator,
                                                      &opt, w);
        const QImage shot = w->grab().toImage();
        const QRect text = w->style()->subElementRect(radio ? QStyle::SE_RadioButtonContents : QStyle::SE_CheckBoxContents, &opt, w);
        parts.push_back({b->text() + QStringLiteral(" text"), shot, text});
        // Hollow until chosen: the middle of an empty mark is the ground
        // around it, that of a chosen one stands out from it.
        const QColor middle = shot.pixelColor(mark.center());
        const QColor around = shot.pixelColor(mark.left() > 1 ? QPoint(mark.left() - 2, mark.center().y())
                                                               : QPoint(mark.right() + 3, 1));
        if (b->isChecked()) {
          QColor ground, ink;
          const double c = InkContrast(shot, mark.adjusted(3, 3, -3, -3), &ground, &ink);
          if (c < 3) faults << QStringLiteral("chosen %1 shows no mark (%2 on %3)").arg(b->text(), ink.name(), ground.name());
        } else if (Contrast(middle, around) >= 1.6) {
          faults << QStringLiteral("empty %1 is filled (%2 on %3)").arg(b->text(), middle.name(), around.name());
        }
      }
      {
        const QImage shot = tree->viewport()->grab().toImage();
        parts.push_back({QStringLiteral("tree item"), shot, tree->visualItemRect(root).adjusted(1, 1, -1, -1)});
        parts.push_back({QStringLiteral("chosen tree item"), shot, tree->visualItemRect(picked).adjusted(1, 1, -1, -1)});
      }
      for (QScrollBar* sb : {editor->verticalScrollBar(), editor->horizontalScrollBar()}) {
        const QImage shot = sb->grab().toImage();
        const QString dir = sb->orientation() == Qt::Vertical ? QStringLiteral("vertical") : QStringLiteral("horizontal");
        parts.push_back({dir + QStringLiteral(" scroll arrow back"), shot, SliderPart(sb, QStyle::SC_ScrollBarSubLine).adjusted(2, 2, -2, -2)});
        parts.push_back({dir + QStringLiteral(" scroll arrow on"), shot, SliderPart(sb, QStyle::SC_ScrollBarAddLine).adjusted(2, 2, -2, -2)});
      }
      {
        const QImage shot = bar->grab().toImage();
        parts.push_back({QStringLiteral("menu bar"), shot, bar->actionGeometry(file->menuAction()).adjusted(2, 2, -2, -2)});
        file->popup(window.mapToGlobal(QPoint(0, 0)));
        QVERIFY(QTest::qWaitForWindowExposed(file));
        file->setActiveAction(chosen);
        QTest::qWait(20);
        const QImage menu = file->grab().toImage();
        parts.push_back({QStringLiteral("menu item"), menu, file->actionGeometry(save).adjusted(2, 2, -2, -2)});
        parts.push_back({QStringLiteral("chosen menu item"), menu, file->actionGeometry(chosen).adjusted(2, 2, -2, -2)});
        file->hide();
      }
      {
        QToolTip::showText(window.mapToGlobal(QPoint(20, 20)), QStringLiteral("日：太阳  午宫"), &window);
        QWidget* tip = nullptr;
        QTRY_VERIFY((tip = [] {
          for (QWidget* w : QApplication::topLevelWidgets())
            if (w->inherits("QTipLabel") && w->isVisible()) return w;
          return static_cast<QWidget*>(nullptr);
        }()) != nullptr);
        parts.push_back({QStringLiteral("tooltip"), tip->grab().toImage(), tip->rect().adjusted(3, 3, -3, -3)});
        QToolTip::hideText();
      }
      for (const Part& part : parts) {
        QColor ground, ink;
        const double c = InkContrast(part.picture, part.rect, &ground, &ink);
        const QString line = QStringLiteral("%1 %2 on %3, contrast %4").arg(part.what, ink.name(), ground.name()).arg(c, 0, 'f', 2);
        if (c < 4.5) faults << line;
        // LUMTAR_SKIN_CONTRASTS=1 lists every measure.
        if (qEnvironmentVariableIsSet("LUMTAR_SKIN_CONTRASTS")) std::printf("%s: %s\n", qPrintable(skin), qPrintable(line));
      }
      // The standard look is the platform's own (its selection is white on
      // #308cc6 under Fusion, 3.7:1); it is listed, not judged.
      if (!faults.isEmpty() && !name.empty()) allFaults << skin + QStringLiteral(": ") + faults.join(QStringLiteral("; "));
    }
    engine.SetActive(false);
    QVERIFY2(allFaults.isEmpty(), qPrintable(allFaults.join(QLatin1Char('\n'))));
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
