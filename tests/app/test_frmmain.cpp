// The main window driven through its real widgets: the start and close
// sequences with dat/xminit.ini, the input panel, places, the chart buttons
// and the skin menu.
#include <QAbstractItemView>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QDateTime>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QStyle>
#include <QStyleOptionSpinBox>
#include <QTabWidget>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>

#include <cmath>
#include <memory>
#include <vector>

#include "answeredboxes.h"
#include "chartheader.h"
#include "dateinputs.h"
#include "files.h"
#include "frmliu.h"
#include "frmmain.h"
#include "mainwindow.h"
#include "gbk.h"
#include "inifile.h"
#include "msgbox.h"
#include "picturebox.h"
#include "tempdir.h"
#include "vovirer.h"
#include "widgets.h"

using namespace lumtar;

namespace {

using Boxes = test::AnsweredBoxes;

std::string Bytes(const std::filesystem::path& p) {
  std::string b;
  ReadWholeFile(p, &b);
  return b;
}

// The values of a settings file: "section/key=value" lines.
QString Values(const std::filesystem::path& file, const QStringList& keys) {
  IniFile ini(file);
  QStringList out;
  for (const QString& key : keys) {
    const QStringList parts = key.split(QLatin1Char('/'));
    out << key + QLatin1Char('=') +
               QString::fromStdString(ini.ReadString(parts[0].toStdString(), parts[1].toStdString(), "?"));
  }
  return out.join(QLatin1Char('\n'));
}

// The entries of the skin menu, without the separator.
QList<QAction*> SkinEntries(const TFrmMain& w) {
  QList<QAction*> list;
  for (QAction* a : w.mnuO_skin->actions())
    if (!a->isSeparator()) list << a;
  return list;
}

// A click on an arrow of an up-down control.
void ClickArrow(QSpinBox* upDown, bool up) {
  QStyleOptionSpinBox opt;
  opt.initFrom(upDown);
  opt.subControls = QStyle::SC_SpinBoxUp | QStyle::SC_SpinBoxDown;
  opt.stepEnabled = QAbstractSpinBox::StepUpEnabled | QAbstractSpinBox::StepDownEnabled;
  opt.buttonSymbols = QAbstractSpinBox::UpDownArrows;
  opt.frame = true;
  QRect r = upDown->style()->subControlRect(QStyle::CC_SpinBox, &opt,
                                            up ? QStyle::SC_SpinBoxUp : QStyle::SC_SpinBoxDown, upDown);
  QTest::mouseClick(upDown, Qt::LeftButton, {}, r.center());
}

// Text typed through an input method, as Chinese is typed: committed into
// the widget, replacing its selection.
void CommitText(QWidget* widget, const QString& text) {
  QInputMethodEvent event;
  event.setCommitString(text);
  QCoreApplication::sendEvent(widget, &event);
}

// A list item chosen by the user: the list opened and the item clicked.
void ChooseFromList(QComboBox* list, const QString& item) {
  const int index = list->findText(item);
  QVERIFY2(index >= 0, qPrintable(item));
  list->showPopup();
  QAbstractItemView* view = list->view();
  QTRY_VERIFY(view->isVisible());
  view->scrollTo(view->model()->index(index, 0));
  QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(view->model()->index(index, 0)).center());
  QTRY_VERIFY(!view->isVisible());
  QCOMPARE(list->currentIndex(), index);
}

const QString kFormatHelp = QString::fromUtf8(
    "例如:东经117度48分,北纬25度42分,就按以下格式输入:\n 经度=117:48  纬度=25:42\n"
    "注意:东经为正，西经为负。北纬为正，南纬为负。");

}  // namespace

class FrmMainTest : public QObject {
  Q_OBJECT

  std::unique_ptr<test::TempDir> dir_;
  std::filesystem::path xminit_;

  void WriteSettings(const char* utf8) { WriteWholeFileAtomic(xminit_, Utf8ToGbk(utf8)); }

  std::unique_ptr<TFrmMain> Start() { return test::Shown(std::make_unique<TFrmMain>()); }

  // A birth that charts: 1990-3-7 10:30, typed at Fuzhou's coordinates.
  static void FillBirth(TFrmMain& w) {
    test::TypeBirth(w);
    w.ledtjing->setText(QStringLiteral("117:48"));
    w.ledtwei->setText(QStringLiteral("25:42"));
  }

  static void ChooseProvince(TFrmMain& w, int index) {
    w.cbodiZ->setCurrentIndex(index);
    w.cbodiZClick();
  }
  static void ChooseCity(TFrmMain& w, int index) {
    w.cbodiC->setCurrentIndex(index);
    w.cbodiCClick();
  }

 private slots:
  void init() {
    dir_ = test::ProgramFolder();
    xminit_ = *dir_ / "dat/xminit.ini";
  }
  void cleanup() { dir_.reset(); }

  void firstStartWithoutSettingsTakesTheDefaults() {
    Boxes boxes;
    auto w = Start();
    QVERIFY(w);
    QCOMPARE(w->pos(), QPoint(10, 10));
    QCOMPARE(w->centralWidget()->size(), QSize(400, 400));
    QCOMPARE(w->Tree->width(), 180);
    QCOMPARE(w->RedtPingYu->height(), 80);
    QCOMPARE(w->analysisFontName, QStringLiteral("宋体"));
    QCOMPARE(w->analysisFontSize, 12);
    QCOMPARE(w->RedtDuan->font().pixelSize(), 16);  // 12 points at 96 dpi
    QCOMPARE(w->RedtDuan->palette().color(QPalette::Base), ColorFromBgr(12635344));
    QVERIFY(w->mnuO_skin->actions().isEmpty());  // no skins folder
    QCOMPARE(w->Tree->topLevelItemCount(), 1);
    QCOMPARE(w->Tree->topLevelItem(0)->text(0), QStringLiteral("命例"));
    QCOMPARE(w->Tree->topLevelItem(0)->childCount(), 0);
    QVERIFY(w->VoVirer);
    QVERIFY(FileExists(*dir_ / "dat/Lumtar.dat"));  // the store was opened

    // The panel's initial values.
    QCOMPARE(w->Cboshiqu->currentIndex(), 8);
    QCOMPARE(w->Cboshiqu->currentText(), QStringLiteral("东八区"));
    QCOMPARE(w->cbodiZ->count(), 35);
    QCOMPARE(w->cbodiZ->itemText(34), QStringLiteral("未知地"));
    QCOMPARE(w->cbodiZ->currentText(), QStringLiteral("福建省"));
    QCOMPARE(w->cbodiC->currentText(), QStringLiteral("福州市"));
    QCOMPARE(w->ledtjing->text(), QStringLiteral("119:18"));
    QCOMPARE(w->ledtwei->text(), QStringLiteral("26:5"));
    QCOMPARE(w->Edtname->text(), QStringLiteral("某人"));
    QVERIFY(w->Rdogl->isChecked() && w->Rdona->isChecked() && !w->Chkrun->isChecked());
    QCOMPARE(w->RedtPingYu->toPlainText(), QStringLiteral("输入自己的评语："));
    const QDateTime now = QDateTime::currentDateTime();
    const int year = std::min(now.date().year(), 2100);
    QCOMPARE(w->EdtYear->text(), QString::number(year));
    QCOMPARE(w->UpDyear->position(), year - kInputFirstYear);
    QCOMPARE(w->cbom->currentIndex(), now.date().month() - 1);
    QVERIFY(boxes.seen.empty());
  }

  void listsHoldTheirItems() {
    Boxes boxes;
    auto w = Start();
    QVERIFY(w);
    QCOMPARE(w->cbom->count(), 12);
    QCOMPARE(w->cbom->itemText(11), QStringLiteral("12月"));
    QCOMPARE(w->cbod->count(), 31);
    QCOMPARE(w->cbod->itemText(30), QStringLiteral("31日"));
    QCOMPARE(w->cbomin->count(), 60);
    QCOMPARE(w->cbomin->itemText(0), QStringLiteral("0分"));
    QCOMPARE(w->cbos->count(), 24);
    const QStringList hours = {"0时子", "1时丑", "2时丑", "3时寅", "4时寅", "11时午", "12时午", "13时未", "21时亥", "22时亥", "23时子"};
    const std::vector<int> at = {0, 1, 2, 3, 4, 11, 12, 13, 21, 22, 23};
    for (size_t i = 0; i < at.size(); ++i) QCOMPARE(w->cbos->itemText(at[i]), hours[static_cast<qsizetype>(i)]);
    QCOMPARE(w->Cboshiqu->count(), 25);  // the 24 whole-hour zones and the place's own clock
    QCOMPARE(w->Cboshiqu->itemText(24), QStringLiteral("当地时间 (Asia/Shanghai)"));
    QCOMPARE(w->Cboshiqu->itemText(0), QStringLiteral("零时区"));
    QCOMPARE(w->Cboshiqu->itemText(1), QStringLiteral("东一区"));
    QCOMPARE(w->Cboshiqu->itemText(11), QStringLiteral("东十一区"));
    QCOMPARE(w->Cboshiqu->itemText(12), QStringLiteral("中十二区"));
    QCOMPARE(w->Cboshiqu->itemText(23), QStringLiteral("西十一区"));
    QCOMPARE(w->EdtYear->maxLength(), 4);
    QCOMPARE(w->ledtjing->maxLength(), 7);
    QCOMPARE(w->ledtwei->maxLength(), 6);
  }

  void storedSettingsAreRestoredWithTheirMinima() {
    WriteSettings(
        "[winpos]\r\nleft=30\r\ntop=40\r\nwidth=700\r\nheight=480\r\nstate=0\r\ntreewid=5\r\npinghei=0\r\n"
        "sheng=1\r\nshi=999\r\n[minggao]\r\nfname=黑体\r\nfsize=9\r\nbcolor=255\r\n"
        "[classes]\r\ncount=2\r\n1=亲友\r\n2=名人\r\n");
    Boxes boxes;
    auto w = Start();
    QVERIFY(w);
    QCOMPARE(w->pos(), QPoint(30, 40));
    QCOMPARE(w->centralWidget()->size(), QSize(700, 480));
    QCOMPARE(w->Tree->width(), 30);
    QCOMPARE(w->RedtPingYu->height(), 20);
    QCOMPARE(w->cbodiZ->currentText(), QStringLiteral("北京市"));
    QCOMPARE(w->cbodiC->currentIndex(), 0);  // beyond the list
    QCOMPARE(w->ledtjing->text(), QStringLiteral("116:24"));
    QCOMPARE(w->analysisFontName, QStringLiteral("黑体"));
    QCOMPARE(w->RedtDuan->font().pixelSize(), 12);
    QCOMPARE(w->RedtDuan->palette().color(QPalette::Base), QColor(255, 0, 0));
    QTreeWidgetItem* root = w->Tree->topLevelItem(0);
    QCOMPARE(root->childCount(), 2);
    QCOMPARE(root->child(1)->text(0), QStringLiteral("名人"));

    // Closing writes the minima and keeps the classes.
    QVERIFY(w->close());
    QCOMPARE(Values(xminit_, {"winpos/treewid", "winpos/pinghei", "winpos/width", "winpos/height",
                              "winpos/sheng", "winpos/shi", "minggao/fname", "classes/count", "classes/2"}),
             QStringLiteral("winpos/treewid=30\nwinpos/pinghei=20\nwinpos/width=700\nwinpos/height=480\n"
                            "winpos/sheng=1\nwinpos/shi=0\nminggao/fname=黑体\nclasses/count=2\nclasses/2=名人"));
  }

  void aFontSizeNoFontHasReadsAsTheDefault_data() {
    QTest::addColumn<QString>("fsize");
    QTest::addColumn<int>("points");
    QTest::addColumn<int>("pixels");
    QTest::newRow("zero") << "0" << 12 << 16;
    QTest::newRow("negative") << "-4" << 12 << 16;
    QTest::newRow("huge") << "2147483647" << 12 << 16;
    QTest::newRow("small") << "1" << 1 << 1;
    QTest::newRow("largest") << "1638" << 1638 << 400;
  }

  void aFontSizeNoFontHasReadsAsTheDefault() {
    QFETCH(QString, fsize);
    QFETCH(int, points);
    QFETCH(int, pixels);
    WriteSettings(("[minggao]\r\nfsize=" + fsize.toStdString() + "\r\n").c_str());
    Boxes boxes;
    auto w = Start();
    QVERIFY(w);
    QCOMPARE(w->analysisFontSize, points);
    QCOMPARE(w->RedtDuan->font().pixelSize(), pixels);
  }

  void closingAnsweredNoWritesNothing() {
    WriteSettings("[winpos]\r\nleft=30\r\n");
    const std::string before = Bytes(xminit_);
    Boxes boxes(false);
    auto w = Start();
    QVERIFY(w);
    ChooseProvince(*w, 1);
    QVERIFY(!w->close());
    QVERIFY(w->isVisible());
    QCOMPARE(boxes.seen.size(), size_t(1));
    QCOMPARE(boxes.seen[0].text, QStringLiteral("确定要关闭软件吗？"));
    QCOMPARE(boxes.seen[0].caption, QStringLiteral("关闭"));
    QVERIFY(boxes.seen[0].buttons == MsgButtons::YesNo);
    QCOMPARE(Bytes(xminit_), before);
    QVERIFY(w->VoVirer);
  }

  void closingOffersToSaveAChangedCommentOfAViewedCase() {
    Boxes boxes;
    auto w = Start();
    QVERIFY(w);
    w->caseLoaded = true;
    QVERIFY(w->close());
    QCOMPARE(boxes.seen.size(), size_t(1));  // an unchanged comment asks nothing

    auto again = Start();
    QVERIFY(again);
    again->caseLoaded = true;
    again->RedtPingYu->insertPlainText(QStringLiteral("好命"));
    boxes.seen.clear();
    QVERIFY(again->close());
    // The second box offers the save; the save asks its own questions.
    QVERIFY(boxes.seen.size() >= 2);
    QCOMPARE(boxes.Seen()[1], QStringLiteral("提示|当前评语文本已改变，要保存吗？|warning"));
  }

  void closingWritesEveryKeyAndAFreshStartReadsThemBack() {
    Boxes boxes;
    {
      auto w = Start();
      QVERIFY(w);
      ChooseProvince(*w, 18);  // 广东省
      ChooseCity(*w, 1);
      QVERIFY(w->close());
      QVERIFY(!w->VoVirer);
    }
    QCOMPARE(Values(xminit_, {"winpos/left", "winpos/top", "winpos/width", "winpos/height", "winpos/state",
                              "winpos/treewid", "winpos/pinghei", "winpos/sheng", "winpos/shi", "minggao/fname",
                              "minggao/fsize", "minggao/bcolor", "classes/count"}),
             QStringLiteral("winpos/left=10\nwinpos/top=10\nwinpos/width=400\nwinpos/height=400\nwinpos/state=0\n"
                            "winpos/treewid=180\nwinpos/pinghei=80\nwinpos/sheng=18\nwinpos/shi=1\n"
                            "minggao/fname=宋体\nminggao/fsize=12\nminggao/bcolor=12635344\nclasses/count=0"));
    IniFile ini(xminit_);
    // Nothing about skins is written on closing.
    QVERIFY(!ini.ValueExists("window", "skined"));
    // The file is GBK with CRLF.
    const std::string bytes = Bytes(xminit_);
    QVERIFY(bytes.find(Utf8ToGbk("宋体")) != std::string::npos);
    QVERIFY(bytes.find("\r\n") != std::string::npos);

    auto again = Start();
    QVERIFY(again);
    QCOMPARE(again->cbodiZ->currentIndex(), 18);
    QCOMPARE(again->cbodiC->currentIndex(), 1);
  }

  // A hand-edited geometry far beyond the screen (30000 × 30000 took
  // gigabytes) or off every screen brings the window onto the screen, no
  // larger than it.
  void aStoredGeometryBeyondTheScreenIsBroughtOntoIt_data() {
    QTest::addColumn<QString>("winpos");
    QTest::newRow("huge") << "left=0\r\ntop=0\r\nwidth=30000\r\nheight=30000";
    QTest::newRow("far away") << "left=29000\r\ntop=-29000\r\nwidth=400\r\nheight=400";
    QTest::newRow("both") << "left=-30000\r\ntop=30000\r\nwidth=30000\r\nheight=2000";
  }
  void aStoredGeometryBeyondTheScreenIsBroughtOntoIt() {
    QFETCH(QString, winpos);
    WriteSettings(("[winpos]\r\n" + winpos + "\r\nstate=0\r\n").toUtf8().constData());
    Boxes boxes;
    auto w = Start();
    QVERIFY(w);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QVERIFY2(screen.contains(w->geometry()),
             qPrintable(QStringLiteral("%1,%2 %3x%4 on %5x%6")
                            .arg(w->x())
                            .arg(w->y())
                            .arg(w->width())
                            .arg(w->height())
                            .arg(screen.width())
                            .arg(screen.height())));
    QVERIFY(w->width() > 100 && w->height() > 100);
  }

  // Folders where the settings files are expected read as missing files:
  // the program comes up with the defaults, charts, and closes.
  void foldersWhereSettingsFilesAreExpectedReadAsDefaults() {
    DeleteFileIfExists(*dir_ / "dat/dili.ini");
    for (const char* name : {"dat/set.ini", "dat/xminit.ini", "dat/dili.ini"}) QVERIFY(CreateDirectories(*dir_ / name));
    Boxes boxes;
    auto w = Start();
    QVERIFY(w);
    QCOMPARE(w->pos(), QPoint(10, 10));
    QCOMPARE(w->Tree->width(), 180);
    FillBirth(*w);
    w->BtnpaiClick();
    QCOMPARE(w->natalChartShown, uint8_t(1));
    QVERIFY(w->close());
    for (const char* name : {"dat/set.ini", "dat/xminit.ini", "dat/dili.ini"}) QVERIFY(DirectoryExists(*dir_ / name));
  }

  // Settings files far larger than any the program writes are not read;
  // the window says so once and starts with the defaults.
  void absurdSettingsFilesAreNotRead() {
    std::string huge = "[winpos]\r\nleft=200\r\n";
    while (huge.size() <= kIniMaxBytes) huge += "[s" + std::to_string(huge.size()) + "]\r\nk=v\r\n";
    QVERIFY(WriteWholeFileAtomic(xminit_, huge));
    QVERIFY(WriteWholeFileAtomic(*dir_ / "dat/set.ini", huge));
    Boxes boxes;
    auto w = Start();
    QVERIFY(w);
    QCOMPARE(w->pos(), QPoint(10, 10));
    QCOMPARE(boxes.seen.size(), size_t(1));
    QVERIFY(boxes.seen[0].text.contains(QStringLiteral("dat/xminit.ini")));
    QVERIFY(boxes.seen[0].text.contains(QStringLiteral("dat/set.ini")));
    QVERIFY(!boxes.seen[0].text.contains(QStringLiteral("dat/dili.ini")));
    // Closing writes a settings file of the usual size in its place.
    QVERIFY(w->close());
    QVERIFY(std::filesystem::file_size(xminit_) < 2000);
    QCOMPARE(IniFile(xminit_).ReadInteger("winpos", "left", 0), 10);
  }

  void closingMaximisedKeepsTheNormalGeometry() {
    WriteSettings("[winpos]\r\nleft=50\r\ntop=60\r\nwidth=700\r\nheight=500\r\nstate=0\r\n");
    Boxes boxes;
    auto w = Start();
    QVERIFY(w);
    w->showMaximized();
    QTRY_VERIFY(w->isMaximized());
    QVERIFY(w->close());
    QCOMPARE(Values(xminit_, {"winpos/left", "winpos/top", "winpos/width", "winpos/height", "winpos/state"}),
             QStringLiteral("winpos/left=50\nwinpos/top=60\nwinpos/width=700\nwinpos/height=500\nwinpos/state=2"));

    auto again = Start();
    QVERIFY(again);
    QVERIFY(again->isMaximized());
    QCOMPARE(again->Tree->width(), 180);
    QCOMPARE(again->RedtPingYu->height(), 80);
  }

  // The client size stays what was stored, restart after restart, whether
  // or not a skin changes the menu bar's height.
  void theClientSizeSurvivesRestarts_data() { test::AddSkinRows(); }
  void theClientSizeSurvivesRestarts() {
    QFETCH(QString, skin);
    // A size the test screen (800 × 800) holds: larger ones are brought onto it.
    WriteSettings("[winpos]\r\nleft=40\r\ntop=30\r\nwidth=700\r\nheight=600\r\nstate=0\r\n");
    test::UseShippedSkin(dir_->path(), skin);
    Boxes boxes;
    for (int start = 0; start < 3; ++start) {
      auto w = Start();
      QVERIFY(w);
      QCOMPARE(w->centralWidget()->size(), QSize(700, 600));
      w->mnuF_exit->trigger();
      QVERIFY(!w->isVisible());
      QCOMPARE(Values(xminit_, {"winpos/width", "winpos/height"}),
               QStringLiteral("winpos/width=700\nwinpos/height=600"));
    }
    // The standard look again for the other tests.
    IniFile(xminit_).WriteInteger("window", "skined", 0);
    auto plain = Start();
    QVERIFY(plain);
  }

  void natalChartFromATypedPlace() {
    Boxes boxes;
    auto w = Start();
    QVERIFY(w);
    FillBirth(*w);
    w->PageMain->setCurrentIndex(1);
    w->BtnpaiClick();
    QVERIFY2(boxes.seen.empty(), qPrintable(boxes.Seen().join(QLatin1Char('\n'))));
    QCOMPARE(w->natalChartShown, uint8_t(1));
    QCOMPARE(w->PageMain->currentIndex(), 0);
    const ChartRequest& r = w->chartRequest;
    QCOMPARE(r.longitude, 117.8f);
    QCOMPARE(r.latitude, 25.7f);
    QCOMPARE(r.year, int16_t(1990));
    QCOMPARE(r.month, int16_t(3));
    QCOMPARE(r.day, int16_t(7));
    QCOMPARE(r.hour, int16_t(10));
    QCOMPARE(r.minute, int16_t(30));
    QCOMPARE(r.isMale, uint8_t(1));
    QCOMPARE(r.timeZoneIndex, int8_t(8));
    QCOMPARE(r.NameUtf8(), std::string("张三"));
    // The lists still name Fuzhou, but the coordinates typed lie 160 km
    // away: the place text names no place.
    QCOMPARE(r.PlaceNameUtf8(), std::string("未知地"));
    QCOMPARE(w->UpDyear->position(), 1990 - kInputFirstYear);
    // The case to be saved holds what was charted.
    QCOMPARE(w->currentCase.NameUtf8(), std::string("张三"));
    QCOMPARE(w->currentCase.longitude, 117.8f);
    QCOMPARE(w->currentCase.year, int16_t(1990));
    // The proposal for the annual chart is the birth moment.
    QCOMPARE(w->annualTimeZoneIndex, 8);
    QCOMPARE(w->annualMomentJd, w->VoVirer->BirthJulianDay());
    QVERIFY(w->annualMomentJd > 2447000);
    // The analysis page was written.
    QVERIFY(w->RedtDuan->toPlainText().contains(QStringLiteral("命主分析")));
  }

  void thePictureShowsTheChartAndItsHints() {
    Boxes boxes;
    auto w = Start();
    QVERIFY(w);
    const QImage& picture = w->Imgzhanxing->Picture();
    QCOMPARE(picture.size(), QSize(880, 700));
    // Before any chart: a blank picture and a blank hint over the rings.
    QCOMPARE(picture.pixelColor(302, 302 + 45), QColor(Qt::white));
    w->ImgzhanxingMouseMove(302, 302 + 45);
    QVERIFY(w->Imgzhanxing->Hint().trimmed().isEmpty());

    FillBirth(*w);
    w->BtnpaiClick();
    QCOMPARE(w->natalChartShown, uint8_t(1));
    int inked = 0;
    for (int y = 0; y < picture.height(); y += 4)
      for (int x = 0; x < picture.width(); x += 4) inked += picture.pixelColor(x, y) != QColor(Qt::white);
    QVERIFY(inked > 1000);
    w->ImgzhanxingMouseMove(302, 302 + 45);  // the branch ring
    QVERIFY2(w->Imgzhanxing->Hint().startsWith(QStringLiteral("宫主:")), qPrintable(w->Imgzhanxing->Hint()));
    w->ImgzhanxingMouseMove(5, 5);
    QVERIFY(w->Imgzhanxing->Hint().trimmed().isEmpty());

    // The proposal of the annual chart is the birth moment, which the
    // engine accepts.
    const QImage natal = picture.copy();
    QVERIFY(w->ComputeAnnualChart());
    QCOMPARE(w->VoVirer->model.chartMode, int8_t(1));
    QVERIFY(picture != natal);
  }

  void natalChartFromAPickedPlace() {
    Boxes boxes;
    auto w = Start();
    QVERIFY(w);
    FillBirth(*w);
    ChooseProvince(*w, 1);  // 北京市
    QCOMPARE(w->cbodiC->currentText(), QStringLiteral("北京市"));
    ChooseCity(*w, 1);
    QCOMPARE(w->cbodiC->currentText(), QStringLiteral("东城区"));
    QCOMPARE(w->ledtjing->text(), QStringLiteral("116:25"));
    QCOMPARE(w->ledtwei->text(), QStringLiteral("39:55"));
    w->Rdonv->setChecked(true);
    w->Cboshiqu->setCurrentIndex(9);
    w->BtnpaiClick();
    QVERIFY2(boxes.seen.empty(), qPrintable(boxes.Seen().join(QLatin1Char('\n'))));
    const ChartRequest& r = w->chartRequest;
    QCOMPARE(r.longitude, static_cast<float>(116 + 25 / 60.0));
    QCOMPARE(r.latitude, static_cast<float>(39 + 55 / 60.0));
    QCOMPARE(r.provinceIndex, int16_t(1));
    QCOMPARE(r.cityIndex, int16_t(1));
    QCOMPARE(r.PlaceNameUtf8(), std::string("北京市-东城区"));
    QCOMPARE(r.isMale, uint8_t(0));
    QCOMPARE(w->annualTimeZoneIndex, 9);
    QCOMPARE(w->natalChartShown, uint8_t(1));

    // 未知地: the one city, the boxes unchanged until it is chosen.
    ChooseProvince(*w, 34);
    QCOMPARE(w->cbodiC->count(), 1);
    QCOMPARE(w->cbodiC->currentText(), QStringLiteral("未知地"));
    QCOMPARE(w->ledtjing->text(), QStringLiteral("116:25"));
    ChooseCity(*w, 0);
    QCOMPARE(w->ledtjing->text(), QStringLiteral("120:00"));
    QCOMPARE(w->ledtwei->text(), QStringLiteral("30:00"));
    w->BtnpaiClick();
    QVERIFY(boxes.seen.empty());
    QCOMPARE(w->chartRequest.PlaceNameUtf8(), std::string("未知地"));
    QCOMPARE(w->chartRequest.longitude, 120.0f);
  }

  void coordinateReading_data() {
    QTest::addColumn<QString>("longitude");
    QTest::addColumn<QString>("latitude");
    QTest::addColumn<QString>("text");     // empty: the reading succeeds
    QTest::addColumn<QString>("caption");
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("y");
    const QString lonMsg = QStringLiteral("经度在-180至180之间"), lonCap = QStringLiteral("经度错误");
    const QString latMsg = QStringLiteral("纬度在-90至90之间"), latCap = QStringLiteral("纬度错误");
    const QString minMsg = QStringLiteral("分数在0-59"), fmtCap = QStringLiteral("格式错误");
    const QString limMsg = QStringLiteral("经度在-180至180之间，纬度在-90至90之间"), limCap = QStringLiteral("数据无效");
    QTest::newRow("east north") << "117:48" << "25:42" << "" << "" << 117.8 << 25.7;
    QTest::newRow("west") << "-117:48" << "25:42" << "" << "" << -117.8 << 25.7;
    QTest::newRow("south") << "117:48" << "-33:52" << "" << "" << 117.8 << -(33 + 52 / 60.0);
    // The sign belongs to the whole value, also with no whole degree.
    QTest::newRow("west of Greenwich") << "-0:30" << "-0:15" << "" << "" << -0.5 << -0.25;
    QTest::newRow("east of Greenwich") << "0:30" << "0:15" << "" << "" << 0.5 << 0.25;
    QTest::newRow("short") << "11" << "25:42" << kFormatHelp << fmtCap << 0.0 << 0.0;
    QTest::newRow("short latitude") << "117:48" << "2:" << kFormatHelp << fmtCap << 0.0 << 0.0;
    QTest::newRow("colon last") << "117:" << "25:42" << kFormatHelp << fmtCap << 0.0 << 0.0;
    QTest::newRow("no colon") << "11748" << "25:42" << kFormatHelp << fmtCap << 0.0 << 0.0;
    QTest::newRow("no colon in latitude") << "117:48" << "2542" << kFormatHelp << fmtCap << 0.0 << 0.0;
    QTest::newRow("empty degrees") << ":30" << "25:42" << lonMsg << lonCap << 0.0 << 0.0;
    QTest::newRow("degrees no number") << "abc:30" << "25:42" << lonMsg << lonCap << 0.0 << 0.0;
    QTest::newRow("longitude beyond") << "181:0" << "25:42" << lonMsg << lonCap << 0.0 << 0.0;
    QTest::newRow("longitude minutes") << "117:60" << "25:42" << minMsg << fmtCap << 0.0 << 0.0;
    QTest::newRow("minutes no number") << "117:4x" << "25:42" << minMsg << fmtCap << 0.0 << 0.0;
    QTest::newRow("latitude beyond") << "117:48" << "-91:0" << latMsg << latCap << 0.0 << 0.0;
    QTest::newRow("latitude minutes") << "117:48" << "25:-1" << minMsg << fmtCap << 0.0 << 0.0;
    QTest::newRow("longitude at the limit") << "180:00" << "25:42" << limMsg << limCap << 0.0 << 0.0;
    QTest::newRow("latitude at the limit") << "117:48" << "-90:00" << limMsg << limCap << 0.0 << 0.0;
    QTest::newRow("beyond by minutes") << "179:60" << "25:42" << minMsg << fmtCap << 0.0 << 0.0;
  }

  void coordinateReading() {
    QFETCH(QString, longitude);
    QFETCH(QString, latitude);
    QFETCH(QString, text);
    QFETCH(QString, caption);
    QFETCH(double, x);
    QFETCH(double, y);
    Boxes boxes;
    auto w = Start();
    QVERIFY(w);
    FillBirth(*w);
    w->ledtjing->setText(longitude);
    w->ledtwei->setText(latitude);
    w->BtnpaiClick();
    if (text.isEmpty()) {
      QVERIFY2(boxes.seen.empty(), qPrintable(boxes.Seen().join(QLatin1Char('\n'))));
      QCOMPARE(w->chartRequest.longitude, static_cast<float>(x));
      QCOMPARE(w->chartRequest.latitude, static_cast<float>(y));
      QCOMPARE(w->natalChartShown, uint8_t(1));
    } else {
      QCOMPARE(boxes.Seen(), QStringList{caption + "|" + text + "|error"});
      QCOMPARE(w->natalChartShown, uint8_t(0));
    }
  }

  void nameAndYearAreCheckedFirst_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("year");
    QTest::addColumn<QString>("box");
    const QString yearBox = QStringLiteral("年份错误|年份最大范围619-2100|warning");
    QTest::newRow("no name") << "" << "1990" << "提示|姓名不能为空|information";
    QTest::newRow("618") << "张三" << "618" << yearBox;
    QTest::newRow("2101") << "张三" << "2101" << yearBox;
    QTest::newRow("no number") << "张三" << "19x0" << yearBox;
  }

  void nameAndYearAreCheckedFirst() {
    QFETCH(QString, name);
    QFETCH(QString, year);
    QFETCH(QString, box);
    Boxes boxes;
    auto w = Start();
    QVERIFY(w);
    FillBirth(*w);
    w->Edtname->setText(name);
    w->EdtYear->setText(year);
    w->ledtjing->setText(QStringLiteral("x"));  // would be a format error
    w->BtnpaiClick();
    QCOMPARE(boxes.Seen(), QStringList{box});
    QCOMPARE(w->natalChartShown, uint8_t(0));
  }

  // A birth written with an era name, entered as a user does: 康熙 typed
  // into the era box (through the input method) offers 清 康熙; its year
  // list then offers the era's sixty-one years; 五十年, 八月, 十三日 give the
  // chart of 1711-09-25.
  void anEraDateOfBirthCharts() {
    Boxes boxes;
    auto w = Start();
    QVERIFY(w);
    FillBirth(*w);
    QVERIFY(w->Rdogl->isChecked());
    QCOMPARE(w->CboEra->currentIndex(), -1);  // a civil date has no era

    QAbstractItemView* popup = w->CboEra->completer()->popup();
    auto offered = [&] {
      QStringList rows;
      for (int i = 0; i < popup->model()->rowCount(); ++i) rows << popup->model()->index(i, 0).data().toString();
      return rows;
    };
    w->CboEra->lineEdit()->setFocus();
    CommitText(w->CboEra->lineEdit(), QStringLiteral("天祐"));
    QTRY_VERIFY(popup->isVisible());
    QCOMPARE(offered(), (QStringList{QStringLiteral("唐 天祐 904-907"), QStringLiteral("辽 天祐 907-916"),
                                     QStringLiteral("西夏 天祐垂圣 1050-1052"), QStringLiteral("西夏 天祐民安 1090-1097")}));
    w->CboEra->lineEdit()->selectAll();
    CommitText(w->CboEra->lineEdit(), QStringLiteral("康熙"));
    QCOMPARE(offered(), QStringList{QStringLiteral("清 康熙 1662-1722")});
    QTRY_VERIFY(popup->isVisible());
    const QRect row = popup->visualRect(popup->model()->index(0, 0));
    QTest::mouseClick(popup->viewport(), Qt::LeftButton, {}, row.center());
    QCOMPARE(w->CboEra->currentText(), QStringLiteral("清 康熙 1662-1722"));
    QCOMPARE(w->CboEraYear->count(), 61);
    QCOMPARE(w->CboEraYear->currentText(), QStringLiteral("元年 壬寅"));
    QCOMPARE(w->EdtYear->text(), QStringLiteral("1662"));
    QVERIFY(w->Rdonl->isChecked());

    // Each year with the stem-branch of its lunar year; the months and days
    // as a lunar calendar names them.
    ChooseFromList(w->CboEraYear, QStringLiteral("五十年 辛卯"));
    QCOMPARE(w->EdtYear->text(), QStringLiteral("1711"));
    ChooseFromList(w->cbom, QStringLiteral("八月"));
    ChooseFromList(w->cbod, QStringLiteral("十三"));
    QVERIFY(!w->Chkrun->isChecked());
    QTest::mouseClick(w->Btnpai, Qt::LeftButton);
    QVERIFY2(boxes.seen.empty(), qPrintable(boxes.Seen().join(QLatin1Char('\n'))));
    QCOMPARE(w->natalChartShown, uint8_t(1));
    const ChartModel& m = w->VoVirer->model;
    QCOMPARE(m.beijingMoment, (DateTime{1711, 9, 25, 10, 30}));
    QCOMPARE(m.lunarDate, (DateTime{1711, 8, 13, 10, 30}));
    QCOMPARE(w->currentCase.year, int16_t(1711));
    QCOMPARE(w->currentCase.isLunar, uint8_t(1));
    bool eraLine = false;
    for (const HeaderLine& l : HeaderLines(*w->VoVirer)) eraLine |= l.text == "年号:清康熙五十年八月十三日";
    QVERIFY(eraLine);
    // The era stays shown with the date it gave.
    QCOMPARE(w->CboEra->currentText(), QStringLiteral("清 康熙 1662-1722"));
    QCOMPARE(w->CboEraYear->currentText(), QStringLiteral("五十年 辛卯"));

    // A lunar year typed shows its era: the central dynasty's of that month.
    w->EdtYear->setText(QStringLiteral("1036"));
    QCOMPARE(w->CboEra->currentText(), QStringLiteral("北宋 景祐 1034-1038"));
    QCOMPARE(w->CboEraYear->currentText(), QStringLiteral("三年 丙子"));
    w->EdtYear->setText(QStringLiteral("1990"));
    QCOMPARE(w->CboEra->currentIndex(), -1);
    QCOMPARE(w->CboEra->currentText(), QString());
    w->EdtYear->setText(QStringLiteral("1711"));
    QCOMPARE(w->CboEraYear->currentText(), QStringLiteral("五十年 辛卯"));
    w->Rdogl->setChecked(true);  // a civil date: no era
    QCOMPARE(w->CboEra->currentText(), QString());
    QCOMPARE(w->EdtYear->text(), QStringLiteral("1711"));
  }

  // The era box takes names as people write them (a variant character, a
  // dynasty in traditional characters) and offers only eras with years a
  // chart can be asked for: 东汉 建武 (25-56) is not offered, 隋 大业
  // (605-618) only with its year 618.
  void theEraBoxOffersChartableErasByAnyWriting() {
    auto w = Start();
    QVERIFY(w);
    QAbstractItemView* popup = w->CboEra->completer()->popup();
    auto offered = [&] {
      QStringList rows;
      for (int i = 0; i < popup->model()->rowCount(); ++i) rows << popup->model()->index(i, 0).data().toString();
      return rows;
    };
    w->CboEra->lineEdit()->setFocus();
    const struct {
      const char* typed;
      QStringList offered;
    } cases[] = {
        {"元佑", {QStringLiteral("北宋 元祐 1086-1094")}},
        {"唐:天寶", {QStringLiteral("唐 天宝 742-756")}},
        {"東漢", {}},
        {"建武", {}},
        {"大业", {QStringLiteral("隋 大业 605-618")}},
        {"延佑", {QStringLiteral("元 延祐 1314-1320")}},
    };
    for (const auto& c : cases) {
      w->CboEra->lineEdit()->selectAll();
      CommitText(w->CboEra->lineEdit(), QString::fromUtf8(c.typed));
      QVERIFY2(offered() == c.offered, c.typed);
    }
    // Enter takes a variant's era; its years are the ones that chart.
    w->CboEra->lineEdit()->selectAll();
    CommitText(w->CboEra->lineEdit(), QStringLiteral("嘉佑"));
    QTest::keyClick(w->CboEra->lineEdit(), Qt::Key_Return);
    QCOMPARE(w->CboEra->currentText(), QStringLiteral("北宋 嘉祐 1056-1063"));
    QCOMPARE(w->EdtYear->text(), QStringLiteral("1056"));
    w->CboEra->lineEdit()->selectAll();
    CommitText(w->CboEra->lineEdit(), QStringLiteral("大业"));
    QTest::keyClick(w->CboEra->lineEdit(), Qt::Key_Return);
    QCOMPARE(w->CboEraYear->count(), 1);
    QCOMPARE(w->CboEraYear->currentText(), QStringLiteral("十四年 戊寅"));
    QCOMPARE(w->EdtYear->text(), QStringLiteral("618"));
    // The whole list: every era with a year that charts, none without.
    for (int i = 0; i < w->CboEra->count(); ++i) {
      const QString label = w->CboEra->itemText(i);
      const int last = label.section(QLatin1Char('-'), -1).section(QLatin1Char(' '), -1).toInt();
      QVERIFY2(last >= 618, qPrintable(label));
    }
    QCOMPARE(w->CboEra->itemText(0), QStringLiteral("隋 大业 605-618"));
    QCOMPARE(w->CboEra->findText(QStringLiteral("东汉 建武 25-56")), -1);
  }

  // Before 1582-10-15 the civil date entered (or the one of the lunar date
  // entered) is Julian: the indicator under the zone says so.
  void thePanelSaysWhenTheDateIsJulian() {
    auto w = Start();
    QVERIFY(w);
    const struct {
      bool lunar;
      const char* year;
      int month;
      int day;
      bool julian;
    } cases[] = {
        {false, "1990", 3, 7, false},  {false, "1036", 12, 19, true}, {false, "1582", 10, 4, true},
        {false, "1582", 10, 15, false}, {true, "1582", 9, 18, true},   {true, "1582", 9, 19, false},
        {true, "1036", 11, 29, true},  {true, "1711", 8, 13, false},
    };
    for (const auto& c : cases) {
      (c.lunar ? w->Rdonl : w->Rdogl)->setChecked(true);
      w->EdtYear->setText(QString::fromUtf8(c.year));
      w->cbom->setCurrentIndex(c.month - 1);
      w->cbod->setCurrentIndex(c.day - 1);
      QVERIFY2(w->LabClock->text().contains(QStringLiteral("日期为儒略历")) == c.julian,
               qPrintable(QStringLiteral("%1-%2-%3 %4").arg(c.year).arg(c.month).arg(c.day).arg(w->LabClock->text())));
      QCOMPARE(w->Rdogl->text(), QStringLiteral("公历"));
    }
  }

  // An era whose name several dynasties used is chosen from the list by
  // Enter (the first offered) or by its dynasty typed with it.
  void anEraIsTakenByEnterOrByDynasty() {
    auto w = Start();
    QVERIFY(w);
    w->CboEra->lineEdit()->setFocus();
    CommitText(w->CboEra->lineEdit(), QStringLiteral("南宋 宝"));
    QTest::keyClick(w->CboEra->lineEdit(), Qt::Key_Return);
    QCOMPARE(w->CboEra->currentText(), QStringLiteral("南宋 宝庆 1225-1227"));
    w->CboEra->lineEdit()->selectAll();
    CommitText(w->CboEra->lineEdit(), QStringLiteral("元世祖"));
    QTest::keyClick(w->CboEra->lineEdit(), Qt::Key_Return);
    QCOMPARE(w->CboEra->currentText(), QStringLiteral("元 中统 1260-1264"));
    // Text that names no era leaves the era chosen before.
    w->CboEra->lineEdit()->selectAll();
    CommitText(w->CboEra->lineEdit(), QStringLiteral("某某"));
    QTest::keyClick(w->CboEra->lineEdit(), Qt::Key_Return);
    w->Edtname->setFocus();
    QCOMPARE(w->CboEra->currentText(), QStringLiteral("元 中统 1260-1264"));
    QCOMPARE(w->EdtYear->text(), QStringLiteral("1260"));
  }

  // 武德元年 is the lunar year 618, whose 十二月 reaches into 619: its
  // days from 十二月十一日 (619-01-01) chart, the day before is refused as
  // out of range, and a civil 618 stays a wrong year.
  void theFirstEraYearChartsWhereItsDaysLieIn619() {
    Boxes boxes;
    auto w = Start();
    QVERIFY(w);
    FillBirth(*w);
    w->CboEra->lineEdit()->setFocus();
    CommitText(w->CboEra->lineEdit(), QStringLiteral("武德"));
    QTest::keyClick(w->CboEra->lineEdit(), Qt::Key_Return);
    QCOMPARE(w->CboEra->currentText(), QStringLiteral("唐 武德 618-626"));
    QCOMPARE(w->EdtYear->text(), QStringLiteral("618"));
    QVERIFY(w->Rdonl->isChecked());
    ChooseFromList(w->cbom, QStringLiteral("腊月"));
    ChooseFromList(w->cbod, QStringLiteral("十一"));
    w->BtnpaiClick();
    QVERIFY2(boxes.seen.empty(), qPrintable(boxes.Seen().join(QLatin1Char('\n'))));
    QCOMPARE(w->natalChartShown, uint8_t(1));
    QCOMPARE(w->VoVirer->model.beijingMoment, (DateTime{619, 1, 1, 10, 30}));

    ChooseFromList(w->cbod, QStringLiteral("初十"));
    w->BtnpaiClick();
    QCOMPARE(boxes.Seen(), QStringList{QStringLiteral("错误|") + QString::fromUtf8(kYearOutOfRange) + "|error"});
    QCOMPARE(w->natalChartShown, uint8_t(0));

    boxes.seen.clear();
    w->Rdogl->setChecked(true);
    w->EdtYear->setText(QStringLiteral("618"));
    w->BtnpaiClick();
    QCOMPARE(boxes.Seen(), QStringList{QStringLiteral("年份错误|年份最大范围619-2100|warning")});
  }

  // With 农历 chosen the month and day lists name the months and days as a
  // lunar calendar does, in the chosen script; only their texts change: the
  // date read from them stays the same.
  void theLunarModeNamesMonthsAndDays() {
    auto w = Start();
    QVERIFY(w);
    auto texts = [](const QComboBox* list) {
      QStringList t;
      for (int i = 0; i < list->count(); ++i) t << list->itemText(i);
      return t;
    };
    auto dayOffered = [&](int index) {
      return (w->cbod->model()->flags(w->cbod->model()->index(index, 0)) & Qt::ItemIsEnabled) != 0;
    };
    const QStringList civilMonths = texts(w->cbom), civilDays = texts(w->cbod);
    QCOMPARE(civilMonths.first(), QStringLiteral("1月"));
    QCOMPARE(civilDays.size(), 31);
    QCOMPARE(civilDays.last(), QStringLiteral("31日"));
    w->cbom->setCurrentIndex(3);
    w->cbod->setCurrentIndex(14);

    w->Rdonl->setChecked(true);
    QCOMPARE(texts(w->cbom), (QStringList{"正月", "二月", "三月", "四月", "五月", "六月", "七月", "八月", "九月", "十月",
                                          "冬月", "腊月"}));
    const QStringList days = texts(w->cbod);
    QCOMPARE(days.size(), 31);
    const std::vector<std::pair<int, const char*>> named = {{1, "初一"},  {9, "初九"},  {10, "初十"}, {11, "十一"},
                                                            {19, "十九"}, {20, "二十"}, {21, "廿一"}, {29, "廿九"},
                                                            {30, "三十"}};
    for (const auto& [day, text] : named) QCOMPARE(days[day - 1], QString::fromUtf8(text));
    QVERIFY(dayOffered(29));
    QVERIFY(!dayOffered(30));  // no lunar month has a 31st day
    QCOMPARE(w->cbom->currentText(), QStringLiteral("四月"));
    QCOMPARE(w->cbod->currentText(), QStringLiteral("十五"));
    w->Chkrun->setChecked(true);
    QCOMPARE(w->cbom->currentText(), QStringLiteral("闰四月"));
    QCOMPARE(w->cbom->itemText(0), QStringLiteral("闰正月"));
    ChartRequest r;
    w->ReadMomentLists(r);
    QCOMPARE(r.month, int16_t(4));
    QCOMPARE(r.day, int16_t(15));
    QCOMPARE(r.isLunar, uint8_t(1));
    QCOMPARE(r.isLeapMonth, uint8_t(1));

    // In traditional characters through the program's conversion.
    w->ScriptItemClick(true);
    QCOMPARE(w->cbom->currentText(), QStringLiteral("閏四月"));
    QCOMPARE(w->cbom->itemText(11), QStringLiteral("閏臘月"));
    w->Chkrun->setChecked(false);
    QCOMPARE(w->cbom->itemText(11), QStringLiteral("臘月"));
    QCOMPARE(w->cbod->itemText(20), QStringLiteral("廿一"));
    w->ScriptItemClick(false);
    QCOMPARE(w->cbom->itemText(11), QStringLiteral("腊月"));

    // Back to the civil calendar: the numbers again, the same positions.
    w->Rdogl->setChecked(true);
    QCOMPARE(texts(w->cbom), civilMonths);
    QCOMPARE(texts(w->cbod), civilDays);
    QVERIFY(dayOffered(30));
    QCOMPARE(w->cbom->currentIndex(), 3);
    QCOMPARE(w->cbod->currentIndex(), 14);
    w->ReadMomentLists(r);
    QCOMPARE(r.month, int16_t(4));
    QCOMPARE(r.day, int16_t(15));
    QCOMPARE(r.isLunar, uint8_t(0));
  }

  // At the window's first size (1199 × 882) the input panel shows every
  // control without a scroll bar, in either script; a wider window widens
  // its fields.
  void theInputPanelFitsTheWindow() {
    CopyFileOverwrite(std::filesystem::path(LUMTAR_SOURCE_DIR) / "data/atlas.txt", *dir_ / "dat/atlas.txt");
    auto w = Start();
    QVERIFY(w);
    // A birth at a place on a clock of summer time, so that the clock
    // indicator holds its most lines.
    w->EdtPlace->setText(QStringLiteral("New York"));
    w->EdtPlaceEdited();
    QVERIFY(!w->placeResults.empty());
    w->PlacePicked(w->placeResults.front());
    w->EdtYear->setText(QStringLiteral("1990"));
    w->cbom->setCurrentIndex(6);
    auto everyControlShows = [&](const char* script) {
      w->resize(1199, 882);
      QTRY_COMPARE(w->size(), QSize(1199, 882));
      QCoreApplication::processEvents();
      QVERIFY2(!w->ScrollInput->verticalScrollBar()->isVisible(), script);
      const QRect room = w->ScrollInput->viewport()->rect();
      for (QWidget* control : w->PanelInput->findChildren<QWidget*>()) {
        if (!control->isVisibleTo(w->PanelInput) || control->parentWidget() != w->PanelInput) continue;
        const QRect at(control->mapTo(w->ScrollInput->viewport(), QPoint(0, 0)), control->size());
        QVERIFY2(room.contains(at), qPrintable(QStringLiteral("%1: %2 at %3,%4 %5x%6 outside %7x%8")
                                                   .arg(QString::fromUtf8(script), control->metaObject()->className())
                                                   .arg(at.x())
                                                   .arg(at.y())
                                                   .arg(at.width())
                                                   .arg(at.height())
                                                   .arg(room.width())
                                                   .arg(room.height())));
      }
      QVERIFY(w->SbtoZw_liu->isVisible());
    };
    everyControlShows("simplified");
    w->ScriptItemClick(true);
    everyControlShows("traditional");
    w->ScriptItemClick(false);

    const int placeWidth = w->EdtPlace->width(), eraWidth = w->CboEra->width(), clockWidth = w->LabClock->width();
    w->resize(1599, 882);
    QTRY_COMPARE(w->size(), QSize(1599, 882));
    QTRY_VERIFY(w->EdtPlace->width() >= placeWidth + 90);
    QVERIFY(w->CboEra->width() >= eraWidth + 90);
    QVERIFY(w->LabClock->width() >= clockWidth + 90);
    w->resize(1199, 882);
    QTRY_COMPARE(w->EdtPlace->width(), placeWidth);
  }

  // 随窗口缩放 (off at first): the chart picture as large as its page shows
  // it whole, painted at that size; the choice is remembered.
  void theChartPictureFollowsTheWindowWhenChosen() {
    Boxes boxes;
    auto w = Start();
    QVERIFY(w);
    FillBirth(*w);
    w->BtnpaiClick();
    QVERIFY(!w->mnuV_fit->isChecked());
    QCOMPARE(w->Imgzhanxing->size(), QSize(880, 700));
    w->resize(1400, 1100);
    QTRY_COMPARE(w->size(), QSize(1400, 1100));
    QCoreApplication::processEvents();
    QCOMPARE(w->Imgzhanxing->size(), QSize(880, 700));

    w->mnuV_fit->trigger();
    QVERIFY(w->mnuV_fit->isChecked());
    QCOMPARE(Values(xminit_, {"window/chartfit"}), QStringLiteral("window/chartfit=1"));
    auto fitsThePage = [&] {
      const QSize page = w->ScrollChart->viewport()->size();
      const QSize shown = w->Imgzhanxing->size();
      // Whole on the page, touching its width or its height, in proportion.
      QVERIFY(shown.width() <= page.width() && shown.height() <= page.height());
      QVERIFY(shown.width() >= page.width() - 1 || shown.height() >= page.height() - 1);
      QVERIFY(std::abs(shown.width() * 700 - shown.height() * 880) <= 880);
      // Painted at that size, not the canvas enlarged.
      QCOMPARE(w->Imgzhanxing->ScreenImage(1).size(), shown);
    };
    fitsThePage();
    QVERIFY(w->Imgzhanxing->width() > 880);
    w->resize(1000, 700);
    QTRY_COMPARE(w->size(), QSize(1000, 700));
    QCoreApplication::processEvents();
    fitsThePage();
    QVERIFY(w->Imgzhanxing->width() < 880);

    // Chosen again at the next start.
    w->mnuF_exit->trigger();
    auto again = Start();
    QVERIFY(again);
    QVERIFY(again->mnuV_fit->isChecked());
    again->mnuV_fit->trigger();
    QCOMPARE(again->Imgzhanxing->size(), QSize(880, 700));
    QCOMPARE(Values(xminit_, {"window/chartfit"}), QStringLiteral("window/chartfit=0"));
  }

  void aNameKeepsToItsTenBytes() {
    Boxes boxes;
    auto w = Start();
    QVERIFY(w);
    w->Edtname->clear();
    // Typed character by character, as a person does.
    for (QChar c : QStringLiteral("诸葛孔明先生a")) w->Edtname->insert(QString(c));
    QCOMPARE(w->Edtname->text(), QStringLiteral("诸葛孔明先"));
    w->Edtname->clear();
    for (QChar c : QStringLiteral("Li Bai 1234")) w->Edtname->insert(QString(c));
    QCOMPARE(w->Edtname->text(), QStringLiteral("Li Bai 123"));
    // A character GBK cannot hold would be saved as '?': it is not taken.
    w->Edtname->clear();
    w->Edtname->insert(QStringLiteral("李"));
    w->Edtname->insert(QString::fromUtf8("\xF0\xA0\x80\x80"));  // U+20000
    w->Edtname->insert(QString::fromUtf8("\xED\x95\x9C"));       // Hangul syllable
    w->Edtname->insert(QStringLiteral("白"));
    QCOMPARE(w->Edtname->text(), QStringLiteral("李白"));
  }

  void annualChartRefusesWithoutANatalChart() {
    Boxes boxes;
    auto w = Start();
    QVERIFY(w);
    w->SbtoZw_liuClick();
    QCOMPARE(boxes.Seen(), QStringList{QStringLiteral("提示|请先排一个本命盘。|information")});

    // After a failed natal chart the annual button refuses again, although
    // the older chart is still on screen.
    FillBirth(*w);
    w->BtnpaiClick();
    QCOMPARE(w->natalChartShown, uint8_t(1));
    w->cbom->setCurrentIndex(1);
    w->cbod->setCurrentIndex(30);  // 31 February
    boxes.seen.clear();
    w->BtnpaiClick();
    QCOMPARE(boxes.Seen(), QStringList{QStringLiteral("错误|") + QString::fromUtf8(kNoSuchDate) + "|error"});
    QCOMPARE(w->natalChartShown, uint8_t(0));
    boxes.seen.clear();
    w->SbtoZw_liuClick();
    QCOMPARE(boxes.Seen(), QStringList{QStringLiteral("提示|请先排一个本命盘。|information")});
  }

  void annualChartThroughItsTimeDialog() {
    Boxes boxes;
    auto w = Start();
    QVERIFY(w);
    FillBirth(*w);
    w->BtnpaiClick();
    QCOMPARE(w->VoVirer->model.chartMode, int8_t(0));
    const double birth = w->annualMomentJd;

    // Cancelled: nothing is drawn.
    QTimer::singleShot(0, [] {
      if (auto* d = qobject_cast<TFrmLiu*>(QApplication::activeModalWidget())) d->reject();
    });
    w->SbtoZw_liuClick();
    QCOMPARE(w->VoVirer->model.chartMode, int8_t(0));

    // Confirmed one year on: the overlay, and the first page.
    w->PageMain->setCurrentIndex(1);
    QTimer::singleShot(0, [] {
      auto* d = qobject_cast<TFrmLiu*>(QApplication::activeModalWidget());
      if (!d) return;
      d->EdtYear->setText(QStringLiteral("1991"));
      d->BtnokClick();
    });
    w->SbtoZw_liuClick();
    QVERIFY2(boxes.seen.empty(), qPrintable(boxes.Seen().join(QLatin1Char('\n'))));
    QCOMPARE(w->VoVirer->model.chartMode, int8_t(1));
    QCOMPARE(w->PageMain->currentIndex(), 0);
    QCOMPARE(w->annualTimeZoneIndex, 8);
    QVERIFY(std::fabs(w->annualMomentJd - birth - 365) < 1);

    // A birth east of UTC+8: the proposal, the birth moment shifted to UTC+8
    // but labelled with the birth's zone, lies before the birth.
    w->Cboshiqu->setCurrentIndex(9);
    w->BtnpaiClick();
    QTimer::singleShot(0, [] {
      if (auto* d = qobject_cast<TFrmLiu*>(QApplication::activeModalWidget())) d->BtnokClick();
    });
    w->SbtoZw_liuClick();
    QCOMPARE(boxes.Seen(), QStringList{QStringLiteral("错误|") + QString::fromUtf8(kAnnualBeforeBirth) + "|error"});
  }

  void nowButtonAndYearUpDown() {
    Boxes boxes;
    auto w = Start();
    QVERIFY(w);
    w->Rdonl->setChecked(true);
    w->Chkrun->setChecked(true);
    w->EdtYear->setText(QStringLiteral("1700"));
    w->SbtoNow->click();
    QVERIFY(w->Rdogl->isChecked() && !w->Rdonl->isChecked() && !w->Chkrun->isChecked());
    const int year = std::min(QDate::currentDate().year(), 2100);
    QCOMPARE(w->EdtYear->text(), QString::number(year));

    // The up-down sets the edit; typing in the edit leaves the up-down.
    w->UpDyear->setPosition(2099 - kInputFirstYear);
    ClickArrow(w->UpDyear, true);
    QCOMPARE(w->EdtYear->text(), QStringLiteral("2100"));
    ClickArrow(w->UpDyear, true);  // no wrap
    QCOMPARE(w->UpDyear->position(), 2100 - kInputFirstYear);
    QCOMPARE(w->EdtYear->text(), QStringLiteral("2100"));
    w->UpDyear->setPosition(0);
    ClickArrow(w->UpDyear, false);
    QCOMPARE(w->EdtYear->text(), QStringLiteral("619"));
    w->EdtYear->setText(QStringLiteral("1985"));
    QCOMPARE(w->UpDyear->position(), 0);

    // A clock beyond 2100 shows 2100.
    DateInputs in{w->EdtYear, w->UpDyear, w->cbom, w->cbod, w->cbos, w->cbomin};
    ShowLocalTime(in, QDateTime(QDate(2150, 6, 9), QTime(23, 59)));
    QCOMPARE(w->EdtYear->text(), QStringLiteral("2100"));
    QCOMPARE(w->UpDyear->position(), 2100 - kInputFirstYear);
    QCOMPARE(w->cbom->currentText(), QStringLiteral("6月"));
    QCOMPARE(w->cbod->currentText(), QStringLiteral("9日"));
    QCOMPARE(w->cbos->currentText(), QStringLiteral("23时子"));
    QCOMPARE(w->cbomin->currentText(), QStringLiteral("59分"));
  }

  void aMalformedCityIsReportedAndTheCitiesBeforeItStay() {
    WriteWholeFileAtomic(*dir_ / "dat/dili.ini",
                         Utf8ToGbk("[福建省]\r\n福州市=119:18*26:5\r\n坏值=abc\r\n厦门市=118:6*24:30\r\n"
                                   "[北京市]\r\n远方=-120:30*-30:15\r\n"));
    Boxes boxes;
    auto w = Start();
    QVERIFY(w);
    QCOMPARE(boxes.seen.size(), size_t(1));
    QVERIFY(boxes.seen[0].text.contains(QStringLiteral("坏值")));
    QCOMPARE(w->cbodiC->count(), 1);
    ChooseProvince(*w, 1);
    QCOMPARE(w->ledtjing->text(), QStringLiteral("-120:30"));
    QCOMPARE(w->ledtwei->text(), QStringLiteral("-30:15"));
    ChooseProvince(*w, 2);  // no section: no city, the boxes keep their text
    QCOMPARE(w->cbodiC->count(), 0);
    QCOMPARE(w->ledtjing->text(), QStringLiteral("-120:30"));

    // Chosen again, the province lists its first city, but none is chosen:
    // the boxes still hold another place, and a chart names the province
    // alone.
    ChooseProvince(*w, 1);
    boxes.seen.clear();
    ChooseProvince(*w, 0);
    QCOMPARE(boxes.seen.size(), size_t(1));
    QCOMPARE(w->cbodiC->count(), 1);
    QCOMPARE(w->cbodiC->currentIndex(), -1);
    QCOMPARE(w->ledtjing->text(), QStringLiteral("-120:30"));
    QCOMPARE(w->ledtwei->text(), QStringLiteral("-30:15"));
    w->BtnpaiClick();
    QCOMPARE(QString::fromStdString(w->chartRequest.PlaceNameUtf8()), QStringLiteral("福建省"));
    QCOMPARE(w->chartRequest.cityIndex, int16_t(-1));
  }

  void skinMenuListsSkinsAndKeepsTheChoice() {
    CreateDirectories(*dir_ / "skins");
    const char* sheet = "/* Lumtar skin\n   window: #203040\n*/\nQPushButton { padding: 3px; }\n";
    WriteWholeFileAtomic(*dir_ / "skins/Alpha.skn", sheet);
    WriteWholeFileAtomic(*dir_ / "skins/Beta.skn", sheet);
    Boxes boxes;
    auto w = Start();
    QVERIFY(w);
    QList<QAction*> e = SkinEntries(*w);
    QCOMPARE(e.size(), 3);
    QCOMPARE(e[0]->text(), QStringLiteral("Alpha"));
    QCOMPARE(e[1]->text(), QStringLiteral("Beta"));
    QCOMPARE(e[2]->text(), QStringLiteral("系统默认"));
    QVERIFY(w->mnuO_skin->actions()[2]->isSeparator());
    QVERIFY(e[2]->isChecked() && !e[0]->isChecked());

    e[1]->trigger();
    QVERIFY(e[1]->isChecked() && !e[2]->isChecked());
    IniFile ini(xminit_);
    QCOMPARE(ini.ReadInteger("window", "skined", -1), 1);
    QCOMPARE(ini.ReadString("window", "skinname", ""), std::string("Beta"));
    QCOMPARE(QApplication::palette().color(QPalette::Window), QColor(0x20, 0x30, 0x40));

    // A skin file gone since the start: a message, nothing written.
    std::filesystem::remove(*dir_ / "skins/Alpha.skn");
    const std::string before = Bytes(xminit_);
    e[0]->trigger();
    QCOMPARE(boxes.seen.size(), size_t(1));
    QCOMPARE(boxes.seen[0].text, QStringLiteral("对应的皮肤文件已经丢失，请关闭软件，再重新打开软件！"));
    QCOMPARE(Bytes(xminit_), before);
    QVERIFY(e[0]->isChecked());

    e[2]->trigger();
    QCOMPARE(ini.ReadInteger("window", "skined", -1), 0);
    QCOMPARE(ini.ReadString("window", "skinname", ""), std::string("Beta"));
    QVERIFY(QApplication::palette().color(QPalette::Window) != QColor(0x20, 0x30, 0x40));

    // The next start applies the stored skin.
    ini.WriteInteger("window", "skined", 1);
    w.reset();
    auto again = Start();
    QVERIFY(again);
    QList<QAction*> list = SkinEntries(*again);
    QCOMPARE(list.size(), 2);
    QVERIFY(list[0]->isChecked() && !list[1]->isChecked());
    QCOMPARE(QApplication::palette().color(QPalette::Window), QColor(0x20, 0x30, 0x40));
    list[1]->trigger();  // the standard look again for the other tests
  }

  void aStoredSkinThatIsGoneShowsTheStandardLook() {
    CreateDirectories(*dir_ / "skins");
    WriteWholeFileAtomic(*dir_ / "skins/Alpha.skn", "QPushButton { padding: 3px; }\n");
    WriteSettings("[window]\r\nskined=1\r\nskinname=../../etc/passwd\r\n");
    const std::string before = Bytes(xminit_);
    Boxes boxes;
    auto w = Start();
    QVERIFY(w);
    QList<QAction*> list = SkinEntries(*w);
    QCOMPARE(list.size(), 2);
    QVERIFY(!list[0]->isChecked() && list[1]->isChecked());
    QVERIFY(boxes.seen.empty());
    QCOMPARE(Bytes(xminit_), before);
  }
};

QTEST_MAIN(FrmMainTest)
#include "test_frmmain.moc"
