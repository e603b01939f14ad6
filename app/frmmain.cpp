#include "frmmain.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QResizeEvent>
#include <QScreen>
#include <QScrollArea>
#include <QSplitter>
#include <QTabWidget>
#include <QTextEdit>
#include <QTimer>
#include <QTreeWidget>

#include <algorithm>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "analysisreport.h"
#include "analysisview.h"
#include "caseclasses.h"
#include "chartdraw.h"
#include "chartrequest.h"
#include "database.h"
#include "editordialogs.h"
#include "datafolders.h"
#include "files.h"
#include "frmdili.h"
#include "frmsetcan.h"
#include "frmtxthelp.h"
#include "frmwnl.h"
#include "inifile.h"
#include "msgbox.h"
#include "picturebox.h"
#include "places.h"
#include "scriptui.h"
#include "skin.h"
#include "timescale.h"
#include "vovirer.h"
#include "widgets.h"

namespace lumtar {
namespace {

// Sections and keys of dat/xminit.ini.
constexpr const char* kWinPos = "winpos";
constexpr const char* kMingGao = "minggao";
constexpr const char* kWindow = "window";
constexpr const char* kClasses = "classes";
constexpr const char* kFolders = "folders";
// [window] 1: the chart picture follows the window (随窗口缩放); 0 or
// missing: it keeps its own size.
constexpr const char* kChartFitKey = "chartfit";

constexpr int kMinTreeWidth = 30;
constexpr int kMinCommentHeight = 20;
constexpr int kSplitterWidth = 3;
constexpr int kMaxAnalysisFontSize = 1638;  // points, the largest a rich-text file holds

// The one skinning component of the program. It remembers the look the
// application had before any skin, so it is made before the first skin is
// applied and kept for the program's life.
SkinEngine& ProgramSkin() {
  static SkinEngine* engine = new SkinEngine;
  return *engine;
}

// A skin name from the settings file names a file in the skins folder only.
bool IsPlainName(const std::string& name) {
  return !name.empty() && name.find_first_of("/\\") == std::string::npos && name != "." &&
         name != "..";
}

// Menu captions show '&' as written, not as an accelerator mark.
QString LiteralCaption(const QString& text) {
  QString t = text;
  return t.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

// Calls `resized` each time the widget it watches changes its size.
class ResizeWatch : public QObject {
 public:
  ResizeWatch(QObject* parent, std::function<void()> resized) : QObject(parent), resized_(std::move(resized)) {}
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Resize) resized_();
    return false;
  }

 private:
  std::function<void()> resized_;
};

// Windows point sizes are at 96 dots per inch: 12 points are 16 pixels.
int PixelsOfPoints(int points) { return (points * 96 + 36) / 72; }

}  // namespace

TFrmMain::TFrmMain(MDataBase* store, QWidget* parent) : QMainWindow(parent), DataBase(store) {
  if (!DataBase) {
    ownStore_ = std::make_unique<MDataBase>();
    DataBase = ownStore_.get();
  }
  setWindowTitle(QString::fromUtf8(kAppTitle));
  setFont(SongTiPixelFont(14));
  searchCriteria.provinceIndex = -1;
  caseLoaded = false;
  BuildLayout();
  BuildMenus();
  BuildTreeMenu();
  BuildEditorMenus();
  Imgzhanxing->Blank();
}

TFrmMain::~TFrmMain() = default;

void TFrmMain::BuildLayout() {
  auto* central = new QWidget(this);
  auto* row = new QHBoxLayout(central);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(0);

  SplitterTree = new QSplitter(Qt::Horizontal, central);
  SplitterTree->setHandleWidth(kSplitterWidth);
  SplitterTree->setChildrenCollapsible(false);

  Tree = new QTreeWidget(SplitterTree);
  Tree->setHeaderHidden(true);
  Tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
  Tree->setMinimumWidth(kMinTreeWidth);

  SplitterPingYu = new QSplitter(Qt::Vertical, SplitterTree);
  SplitterPingYu->setHandleWidth(kSplitterWidth);
  SplitterPingYu->setChildrenCollapsible(false);
  // The tree keeps its width in a narrow window; the pages give way.
  SplitterPingYu->setMinimumWidth(50);

  PageMain = new QTabWidget(SplitterPingYu);
  ScrollChart = new QScrollArea();
  ScrollChart->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  ScrollChart->setBackgroundRole(QPalette::Base);
  Imgzhanxing = new PictureBox(kChartPictureWidth, kChartPictureHeight);
  Imgzhanxing->onMouseMove = [this](int x, int y) { ImgzhanxingMouseMove(x, y); };
  ScrollChart->setWidget(Imgzhanxing);
  ScrollChart->viewport()->installEventFilter(new ResizeWatch(ScrollChart, [this] { FitChartPicture(); }));
  PageMain->addTab(ScrollChart, QStringLiteral("星命盘"));
  RedtDuan = new QTextEdit();
  RedtDuan->setAcceptRichText(true);
  RedtDuan->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  PageMain->addTab(RedtDuan, QStringLiteral("星命分析"));

  RedtPingYu = new QTextEdit(SplitterPingYu);
  RedtPingYu->setFont(SongTiPixelFont(14));
  RedtPingYu->setTabChangesFocus(false);
  RedtPingYu->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  RedtPingYu->setMinimumHeight(kMinCommentHeight);
  RedtPingYu->setPlainText(ShownText(QString::fromUtf8(kCommentPrompt)));
  RedtPingYu->document()->setModified(false);
  commentTimer = new QTimer(this);
  commentTimer->setInterval(0);
  connect(commentTimer, &QTimer::timeout, this, [this] { CommentStep(); });

  // The tree and the comment editor keep their size when the window is
  // resized; the pages take the rest.
  SplitterTree->setStretchFactor(0, 0);
  SplitterTree->setStretchFactor(1, 1);
  SplitterPingYu->setStretchFactor(0, 1);
  SplitterPingYu->setStretchFactor(1, 0);

  row->addWidget(SplitterTree, 1);
  BuildInputPanel();
  row->addWidget(ScrollInput, 0);
  setCentralWidget(central);
  ApplyAnalysisLook();
}

void TFrmMain::BuildMenus() {
  QMenuBar* bar = menuBar();
  mnuFile = bar->addMenu(QStringLiteral("文件(&F)"));
  mnuF_save = mnuFile->addAction(QStringLiteral("保存命例"));
  mnuFile->addSeparator();
  mnuF_import = mnuFile->addAction(QStringLiteral("导入历史记录"));
  mnuF_export = mnuFile->addAction(QStringLiteral("导出历史记录"));
  mnuF_compact = mnuFile->addAction(QStringLiteral("整理记录文件"));
  mnuFile->addSeparator();
  mnuF_pdf = mnuFile->addAction(QStringLiteral("导出PDF报告..."));
  mnuFile->addSeparator();
  mnuF_exit = mnuFile->addAction(QStringLiteral("退出程序"));

  mnuTools = bar->addMenu(QStringLiteral("辅助工具(&T)"));
  mnuT_dili = mnuTools->addAction(QStringLiteral("经纬度设置"));
  mnuT_wnl = mnuTools->addAction(QStringLiteral("万年历"));

  mnuOptions = bar->addMenu(QStringLiteral("选项(&O)"));
  mnuO_minggao = mnuOptions->addMenu(QStringLiteral("命稿设置"));
  mnuO_mgDefault = mnuO_minggao->addAction(QStringLiteral("默认"));
  mnuO_mgFont = mnuO_minggao->addAction(QStringLiteral("字体设置"));
  mnuO_mgColor = mnuO_minggao->addAction(QStringLiteral("背景色设置"));
  mnuO_setcan = mnuOptions->addAction(QStringLiteral("排盘设置"));
  mnuOptions->addSeparator();
  mnuO_skin = mnuOptions->addMenu(QStringLiteral("界面风格"));
  mnuOptions->addSeparator();
  mnuO_jianti = mnuOptions->addAction(QStringLiteral("简体"));
  mnuO_fanti = mnuOptions->addAction(QStringLiteral("繁體"));
  auto* scripts = new QActionGroup(this);
  for (QAction* a : {mnuO_jianti, mnuO_fanti}) {
    a->setCheckable(true);
    scripts->addAction(a);
  }
  (TraditionalScript() ? mnuO_fanti : mnuO_jianti)->setChecked(true);

  // The chart picture at its fixed size, or following the window.
  mnuView = bar->addMenu(QStringLiteral("视图(&V)"));
  mnuV_fit = mnuView->addAction(QStringLiteral("随窗口缩放"));
  mnuV_fit->setCheckable(true);
  mnuV_fit->setToolTip(QStringLiteral("星命盘随窗口大小缩放，清晰绘出"));

  mnuHelp = bar->addMenu(QStringLiteral("帮助(&H)"));
  mnuH_help = mnuHelp->addAction(QStringLiteral("软件帮助"));

  connect(mnuF_save, &QAction::triggered, this, [this] { SbtoSaveClick(); });
  connect(mnuF_import, &QAction::triggered, this, [this] { mnuF_importClick(); });
  connect(mnuF_export, &QAction::triggered, this, [this] { mnuF_exportClick(); });
  connect(mnuF_compact, &QAction::triggered, this, [this] { mnuF_compactClick(); });
  connect(mnuF_pdf, &QAction::triggered, this, [this] { mnuF_pdfClick(); });
  connect(mnuF_exit, &QAction::triggered, this, [this] { mnuF_exitClick(); });
  connect(mnuT_dili, &QAction::triggered, this, [this] { mnuT_diliClick(); });
  connect(mnuT_wnl, &QAction::triggered, this, [this] { mnuT_wnlClick(); });
  connect(mnuO_mgDefault, &QAction::triggered, this, [this] { mnuO_mgDefaultClick(); });
  connect(mnuO_mgFont, &QAction::triggered, this, [this] { mnuO_mgFontClick(); });
  connect(mnuO_mgColor, &QAction::triggered, this, [this] { mnuO_mgColorClick(); });
  connect(mnuO_setcan, &QAction::triggered, this, [this] { mnuSetCanClick(); });
  connect(mnuH_help, &QAction::triggered, this, [this] { mnuH_helpClick(); });
  connect(mnuV_fit, &QAction::triggered, this, [this](bool fit) { ChartFitClick(fit); });
  connect(mnuO_jianti, &QAction::triggered, this, [this] { ScriptItemClick(false); });
  connect(mnuO_fanti, &QAction::triggered, this, [this] { ScriptItemClick(true); });
}

// ---- script of the texts

void TFrmMain::ScriptItemClick(bool traditional) {
  (traditional ? mnuO_fanti : mnuO_jianti)->setChecked(true);
  const Script script = traditional ? Script::Traditional : Script::Simplified;
  if (script == CurrentScript()) return;
  if (XmInit) WriteScriptSetting(*XmInit, script);
  // The analysis page follows only while it holds the analysis as it was
  // written, in the script it was written in.
  bool analysisAsWritten = false;
  if (VoVirer && VoVirer->model.chartMode >= 0) {
    QString written = QString::fromStdString(AnalysisReport(VoVirer->model));
    written.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    analysisAsWritten = RedtDuan->toPlainText() == written;
  }
  // The comment box's prompt follows while the box holds nothing else.
  const bool prompt = IsCommentPrompt(RedtPingYu->toPlainText());
  ApplyScript(script);
  if (prompt) RedtPingYu->setPlainText(ShownText(QString::fromUtf8(kCommentPrompt)));
  ShowEngineTextsInScript(analysisAsWritten);
}

bool IsCommentPrompt(const QString& text) {
  // Blank lines around it, or a colon of half width, still make the prompt.
  QString trimmed = text.trimmed();
  if (trimmed.endsWith(QLatin1Char(':'))) trimmed.back() = QChar(0xFF1A);
  // In either script, whichever is chosen now (a case saved under the other
  // keeps the prompt it showed then).
  static const QString traditional = [] {
    const Script now = CurrentScript();
    SetScript(Script::Traditional);
    const QString text = ShownText(QString::fromUtf8(kCommentPrompt));
    SetScript(now);
    return text;
  }();
  return trimmed == QString::fromUtf8(kCommentPrompt) || trimmed == traditional;
}

void TFrmMain::ShowEngineTextsInScript(bool analysisAsWritten) {
  if (VoVirer) {
    VoVirer->Repaint();
    if (analysisAsWritten) {
      BuildAnalysis(*VoVirer);
      ShowAnalysis(*VoVirer, RedtDuan);
    }
  }
  RefreshCaseNodeTexts();
  ShowEraTextsInScript();
  UpdateClockIndicator();
  if (auto* calendar = qobject_cast<TFrmWnl*>(FrmWnl.data())) calendar->DrawMonth();
}

// ---- start

void TFrmMain::showEvent(QShowEvent* event) {
  if (!shown_) {
    shown_ = true;
    FormShow();
  }
  QMainWindow::showEvent(event);
}

void TFrmMain::FormShow() {
  FillInputLists();
  XmInit = std::make_unique<IniFile>(ProgramPath(kMainSettingsRelativePath));
  // The skin before the window's size: a skin's menu bar may be taller or
  // lower than the standard one, and the stored height is the client area's
  // below it. The window is not painted before all of this is done.
  BuildSkinMenu();
  ApplySkinSetting();
  ReadSettings();
  VoVirer = std::make_unique<CVoVirer>();
  // The engine draws every chart into the picture and writes the analysis
  // of every natal chart onto the page "星命分析".
  auto painter = std::make_unique<PictureChartPainter>(&Imgzhanxing->Picture());
  painter->painted = [this] { Imgzhanxing->Changed(); };
  // The same chart painted again where the picture's pixels are too few:
  // a screen of higher density, paper, the PDF report, larger pictures.
  Imgzhanxing->drawing = [this](QPainter& p, bool screen) {
    if (VoVirer)
      PaintCurrentChart(p, QSize(kChartPictureWidth, kChartPictureHeight), *VoVirer,
                        screen ? ChartLines::DevicePixel : ChartLines::Scaled);
  };
  chartPainter = std::move(painter);
  VoVirer->SetPainter(chartPainter.get());
  VoVirer->SetAnalysis([this](CVoVirer& engine) {
    BuildAnalysis(engine);
    ShowAnalysis(engine, RedtDuan);
  });
  const bool opened = DataBase->Open(ProgramDir(), 0);
  // Cases an import cut short left for a person: say where, before anything
  // is done to a store that reads as empty.
  const bool damaged = !opened && DataBase->LastFault() == StoreFault::kDamaged;
  FillTree(StartUpSlots());
  if (damaged) ReportStoreFault();
  PlaceChanged();
  ReportAbsurdSettingsFiles();
}

void TFrmMain::ReportAbsurdSettingsFiles() {
  // Files far larger than any the program writes (made by hand, or
  // damaged) were read as missing: say so once, rather than take minutes
  // over every read.
  QStringList names;
  for (const char* file : {kMainSettingsRelativePath, kSettingsRelativePath, kPlacesRelativePath})
    if (IniFile(ProgramPath(file)).TooLarge()) names << QString::fromUtf8(file);
  if (names.isEmpty()) return;
  ShowMessage(this,
              QStringLiteral("文件 %1 过大（超过%2MB），不是本软件写的设置文件，没有读取，按默认设置使用；"
                             "保存设置时将重写，原文件改名为“文件名.large”保留。")
                  .arg(names.join(QStringLiteral("、")))
                  .arg(kIniMaxBytes >> 20),
              QStringLiteral("注意"), MsgIcon::Warning);
}

void TFrmMain::ReadSettings() {
  const IniFile& ini = *XmInit;
  Cboshiqu->setCurrentIndex(kDefaultTimeZoneIndex);

  // A province beyond the list is taken as the first, like a city beyond
  // its list.
  int sheng = ini.ReadInteger(kWinPos, "sheng", 0);
  if (sheng < 0 || sheng >= cbodiZ->count()) sheng = 0;
  cbodiZ->setCurrentIndex(sheng);
  cbodiZClick();
  int shi = ini.ReadInteger(kWinPos, "shi", 0);
  if (shi < 0 || shi >= cbodiC->count()) shi = 0;
  cbodiC->setCurrentIndex(shi);
  cbodiCClick();

  // Positions and sizes stay within what the window system can take.
  auto coordinate = [](int v) { return std::clamp(v, -30000, 30000); };
  auto extent = [](int v) { return std::clamp(v, 1, 30000); };
  move(coordinate(ini.ReadInteger(kWinPos, "left", 10)), coordinate(ini.ReadInteger(kWinPos, "top", 10)));
  // The client area lies below the menu bar, as high as the look in force
  // draws it at that width.
  const int clientWidth = extent(ini.ReadInteger(kWinPos, "width", 400));
  int bar = menuBar()->heightForWidth(clientWidth);
  if (bar <= 0) bar = menuBar()->sizeHint().height();
  resize(clientWidth, extent(ini.ReadInteger(kWinPos, "height", 400)) + bar);
  FitToScreen();
  switch (ini.ReadInteger(kWinPos, "state", 0)) {
    case 1: setWindowState(windowState() | Qt::WindowMinimized); break;
    case 2: setWindowState(windowState() | Qt::WindowMaximized); break;
    default: break;
  }

  analysisFontName = QString::fromStdString(ini.ReadString(kMingGao, "fname", kDefaultAnalysisFont));
  analysisFontSize = ini.ReadInteger(kMingGao, "fsize", kDefaultAnalysisFontSize);
  // A hand-edited size that no font has reads as the default.
  if (analysisFontSize < 1 || analysisFontSize > kMaxAnalysisFontSize) analysisFontSize = kDefaultAnalysisFontSize;
  analysisBackColour = static_cast<uint32_t>(ini.ReadInteger(kMingGao, "bcolor", static_cast<int>(kDefaultAnalysisColour)));
  ApplyAnalysisLook();

  SetTreeWidth(ini.ReadInteger(kWinPos, "treewid", 180));
  SetCommentHeight(ini.ReadInteger(kWinPos, "pinghei", 80));
  mnuV_fit->setChecked(ini.ReadInteger(kWindow, kChartFitKey, 0) == 1);
  FitChartPicture();
}

void TFrmMain::ChartFitClick(bool fit) {
  mnuV_fit->setChecked(fit);
  if (XmInit) XmInit->WriteInteger(kWindow, kChartFitKey, fit ? 1 : 0);
  FitChartPicture();
}

void TFrmMain::FitChartPicture() {
  const bool fit = mnuV_fit && mnuV_fit->isChecked();
  const Qt::ScrollBarPolicy bars = fit ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded;
  ScrollChart->setHorizontalScrollBarPolicy(bars);
  ScrollChart->setVerticalScrollBarPolicy(bars);
  double scale = 1;
  if (fit) {
    // The page's whole width or height, whichever is reached first.
    const QSize room = ScrollChart->viewport()->size();
    scale = std::min(static_cast<double>(room.width()) / kChartPictureWidth,
                     static_cast<double>(room.height()) / kChartPictureHeight);
    scale = std::max(scale, 0.1);
  }
  Imgzhanxing->SetViewScale(scale);
}

void TFrmMain::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  FitInputPanel();
}

void TFrmMain::FitToScreen() {
  // The screen the stored position lies on, or the main one: a window
  // larger than it (a hand-edited 30000 × 30000 took gigabytes) or outside
  // every screen is brought onto it.
  QScreen* screen = QGuiApplication::screenAt(geometry().topLeft());
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (!screen) return;
  const QRect area = screen->availableGeometry();
  // The frame as far as it is known (not before the window is first on
  // screen): the window with its frame fits the screen.
  const QSize frame = frameGeometry().size() - size();
  const QSize size = this->size().boundedTo(area.size() - frame);
  if (size != this->size()) resize(size);
  move(std::clamp(x(), area.left(), area.right() + 1 - size.width() - frame.width()),
       std::clamp(y(), area.top(), area.bottom() + 1 - size.height() - frame.height()));
}

void TFrmMain::SetTreeWidth(int width) {
  width = std::max(width, kMinTreeWidth);
  // The tree has no stretch, so it keeps this width and the pages take the
  // rest, whatever the window's size is now or later.
  SplitterTree->setSizes({width, std::max(1, SplitterTree->width() - width)});
}

void TFrmMain::SetCommentHeight(int height) {
  height = std::max(height, kMinCommentHeight);
  SplitterPingYu->setSizes({std::max(1, SplitterPingYu->height() - height), height});
}

void TFrmMain::ApplyAnalysisLook() {
  QFont font(analysisFontName);
  font.setPixelSize(std::clamp(PixelsOfPoints(analysisFontSize), 1, 400));
  RedtDuan->setFont(font);
  QPalette pal = RedtDuan->palette();
  pal.setColor(QPalette::Base, ColorFromBgr(analysisBackColour));
  RedtDuan->setPalette(pal);
  ApplyAnalysisSheet();
}

void TFrmMain::ApplyAnalysisSheet() {
  const QPalette look = QApplication::palette(RedtDuan);
  const QString sheet =
      QStringLiteral("QTextEdit { background-color: %1; selection-background-color: %2; selection-color: %3; }")
          .arg(ColorFromBgr(analysisBackColour).name(), look.color(QPalette::Active, QPalette::Highlight).name(),
               look.color(QPalette::Active, QPalette::HighlightedText).name());
  // Setting a sheet changes the palette, which asks for the sheet again.
  if (RedtDuan->styleSheet() != sheet) RedtDuan->setStyleSheet(sheet);
}

// A new look (a skin switched on or off) reaches the window as a palette
// change; the analysis page, whose palette is its style sheet's, takes the
// look's selection colours from here.
void TFrmMain::changeEvent(QEvent* event) {
  if (event->type() == QEvent::PaletteChange && RedtDuan) ApplyAnalysisSheet();
  QMainWindow::changeEvent(event);
}

// ---- close

void TFrmMain::closeEvent(QCloseEvent* event) {
  if (closed_ || skipCloseSequence || FormCloseQuery()) {
    closed_ = true;
    event->accept();
  } else {
    event->ignore();
  }
}

bool TFrmMain::FormCloseQuery() {
  if (!AskYesNo(this, QStringLiteral("确定要关闭软件吗？"), QStringLiteral("关闭"), MsgIcon::Information))
    return false;
  AskSaveComment();
  WriteSettings();
  VoVirer.reset();
  chartPainter.reset();
  XmInit.reset();
  return true;
}

void TFrmMain::WriteSettings() {
  if (!XmInit) return;
  // The keys in the order of the close sequence, written in one update of
  // the file: a file replaced and flushed once rather than once a key.
  std::vector<IniFile::Value> values;
  auto put = [&values](const char* section, std::string key, std::string text) {
    values.push_back({section, std::move(key), std::move(text)});
  };
  auto putInteger = [&put](const char* section, const char* key, long long value) {
    put(section, key, std::to_string(value));
  };
  const bool minimised = isMinimized();
  const bool maximised = isMaximized();
  if (!minimised && !maximised && !isFullScreen()) {
    const QRect client = centralWidget()->geometry();
    putInteger(kWinPos, "left", x());
    putInteger(kWinPos, "top", y());
    putInteger(kWinPos, "width", client.width());
    putInteger(kWinPos, "height", client.height());
  }

  // The class list in tree order. Without the root the tree was never
  // filled, and the list in the file is left as it is.
  if (QTreeWidgetItem* root = Tree->topLevelItem(0)) {
    putInteger(kClasses, "count", root->childCount());
    for (int i = 0; i < root->childCount(); ++i)
      put(kClasses, std::to_string(i + 1), root->child(i)->text(0).toStdString());
  }

  putInteger(kWinPos, "sheng", cbodiZ->currentIndex());
  putInteger(kWinPos, "shi", cbodiC->currentIndex());
  putInteger(kWinPos, "state", minimised ? 1 : maximised ? 2 : 0);
  putInteger(kWinPos, "treewid", Tree->width());
  putInteger(kWinPos, "pinghei", RedtPingYu->height());

  put(kMingGao, "fname", analysisFontName.toStdString());
  putInteger(kMingGao, "fsize", analysisFontSize);
  putInteger(kMingGao, "bcolor", static_cast<int>(analysisBackColour));
  XmInit->WriteStrings(values);
}

// ---- the folders the file dialogs open in

QString TFrmMain::DialogFolder(const char* kind) const {
  QString folder;
  if (auto it = dialogFolders_.find(kind); it != dialogFolders_.end())
    folder = it->second;
  else if (XmInit)
    folder = QString::fromStdString(XmInit->ReadString(kFolders, kind, ""));
  // A folder removed or renamed since is no place to open in. A store to
  // import comes from elsewhere: its dialog then starts in the home folder.
  if (folder.isEmpty() || !DirectoryExists(std::filesystem::path(QFile::encodeName(folder).toStdString())))
    folder = std::string_view(kind) == kImportFolder ? QDir::homePath() : QString::fromStdString(ProgramDir());
  return folder;
}

QString TFrmMain::SuggestedFileName() const {
  if (!natalChartShown || !VoVirer) return {};
  QString name = QString::fromStdString(chartRequest.NameUtf8()).trimmed();
  // Characters no file name can hold on some system become "_".
  for (QChar& c : name)
    if (c.unicode() < 0x20 || QStringLiteral("/\\:*?\"<>|").contains(c)) c = QLatin1Char('_');
  const DateTime date = astro::DateTimeOfJulianDay(VoVirer->model.inputJd);
  const QString day = QStringLiteral("%1-%2-%3")
                          .arg(date.year, 4, 10, QLatin1Char('0'))
                          .arg(date.month, 2, 10, QLatin1Char('0'))
                          .arg(date.day, 2, 10, QLatin1Char('0'));
  return name.isEmpty() ? day : name + QLatin1Char('_') + day;
}

void TFrmMain::RememberDialogFolder(const char* kind, const QString& folder) {
  if (folder.isEmpty()) return;
  dialogFolders_[kind] = folder;
  // The settings file holds GBK: a folder it cannot spell is remembered for
  // this session only.
  if (XmInit && GbkCanHold(folder)) XmInit->WriteString(kFolders, kind, folder.toStdString());
}

bool TFrmMain::RunFileDialogOfKind(const FileDialogRequest& request, const char* kind, FileDialogAnswer* answer) {
  FileDialogRequest inFolder = request;
  inFolder.folder = DialogFolder(kind);
  // A file saved is named after the chart on screen: "张三_1990-03-07".
  if (inFolder.save && inFolder.fileName.isEmpty()) inFolder.fileName = SuggestedFileName();
  if (!RunFileDialog(inFolder, answer)) return false;
  RememberDialogFolder(kind, QFileInfo(answer->fileName).absolutePath());
  return true;
}

// ---- menus

void TFrmMain::mnuF_exitClick() { close(); }

void TFrmMain::mnuT_diliClick() {
  TFrmDiLi dialog(this);
  dialog.exec();
  // The place search finds the cities with their new coordinates.
  placeIndex.reset();
}

void TFrmMain::mnuSetCanClick() {
  TFrmSetcan dialog(this);
  dialog.exec();
}

void TFrmMain::mnuH_helpClick() {
  TFrmTxtHelp dialog(this);
  dialog.exec();
}

// ---- chart picture

void TFrmMain::ImgzhanxingMouseMove(int x, int y) {
  // The lord of the branch, the meaning of the palace or the lord of the
  // mansion under the pointer; a blank hint elsewhere and before any chart.
  std::string hint = " ";
  if (VoVirer) VoVirer->HoverHint(x, y, hint);
  Imgzhanxing->SetHint(QString::fromStdString(hint));
}

// ---- skins

void TFrmMain::BuildSkinMenu() {
  mnuO_skin->clear();
  const std::vector<std::string> names = ListSkinNames(SkinFolders());
  for (const std::string& name : names) {
    const QString caption = QString::fromStdString(name);
    QAction* entry = mnuO_skin->addAction(LiteralCaption(caption));
    entry->setCheckable(true);
    entry->setData(caption);
    connect(entry, &QAction::triggered, this, [this, entry] { SkinItemClick(entry); });
  }
  if (names.empty()) return;
  mnuO_skin->addSeparator();
  QAction* standard = mnuO_skin->addAction(QStringLiteral("系统默认"));
  standard->setCheckable(true);
  connect(standard, &QAction::triggered, this, [this, standard] { SkinItemClick(standard); });
}

namespace {

std::vector<QAction*> SkinEntries(QMenu* menu) {
  std::vector<QAction*> entries;
  for (QAction* a : menu->actions())
    if (!a->isSeparator()) entries.push_back(a);
  return entries;
}

// The entry of a skin name; "系统默认" has no name.
QAction* SkinEntryOf(QMenu* menu, const QString& name) {
  for (QAction* a : SkinEntries(menu))
    if (a->data().isValid() && a->data().toString() == name) return a;
  return nullptr;
}

void CheckOnly(QMenu* menu, QAction* chosen) {
  for (QAction* a : SkinEntries(menu)) a->setChecked(a == chosen);
}

}  // namespace

void TFrmMain::ApplySkinSetting() {
  SkinEngine& skin = ProgramSkin();
  const std::vector<QAction*> entries = SkinEntries(mnuO_skin);
  if (XmInit && XmInit->ReadInteger(kWindow, "skined", 0) == 1) {
    const std::string name = XmInit->ReadString(kWindow, "skinname", "Mx1");
    QAction* entry = SkinEntryOf(mnuO_skin, QString::fromStdString(name));
    bool loaded = IsPlainName(name) && skin.LoadFromFile(SkinFilePath(SkinFolders(), name));
    skin.SetActive(true);
    // A skin file that went missing leaves the standard look, and the menu
    // says so; the setting stays for when the file is back.
    if (!loaded || !entry) entry = entries.size() >= 2 ? entries.back() : nullptr;
    CheckOnly(mnuO_skin, entry);
  } else {
    skin.SetActive(false);
    CheckOnly(mnuO_skin, entries.size() >= 2 ? entries.back() : nullptr);
  }
}

void TFrmMain::SkinItemClick(QAction* entry) {
  CheckOnly(mnuO_skin, entry);
  SkinEngine& skin = ProgramSkin();
  if (!entry->data().isValid()) {  // 系统默认
    skin.SetActive(false);
    update();
    if (XmInit) XmInit->WriteInteger(kWindow, "skined", 0);
    return;
  }
  const std::string name = entry->data().toString().toStdString();
  const std::filesystem::path file = SkinFilePath(SkinFolders(), name);
  if (!FileExists(file)) {
    ShowMessage(this, QStringLiteral("对应的皮肤文件已经丢失，请关闭软件，再重新打开软件！"),
                QStringLiteral("提示"), MsgIcon::Warning);
    return;
  }
  skin.LoadFromFile(file);
  skin.SetActive(true);
  if (XmInit) {
    XmInit->WriteString(kWindow, "skinname", name);
    XmInit->WriteInteger(kWindow, "skined", 1);
  }
}

}  // namespace lumtar
