// The main window: the case tree on the left, the birth-data input panel on
// the right, and in the middle the chart picture ("星命盘") and the analysis
// text ("星命分析") above the comment editor.
//
// The implementation is split by area:
//   frmmain.cpp         layout, menus, start and close, settings, skins
//   frmmain_input.cpp   the input panel, places and the chart buttons
//   frmmain_cases.cpp   the case tree, saving and the case-store menus
//   frmmain_editor.cpp  the comment editor, the analysis page's look, the
//                       picture's output and the perpetual calendar
//   frmmain_annual.cpp  the annual chart's time dialog and overlay
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QStringList>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "caserecord.h"
#include "chartrequest.h"
#include "birthclock.h"
#include "placesearch.h"
#include "database.h"
#include "places.h"
#include "rtf.h"
#include "searchcriteria.h"

class QAction;
class QCheckBox;
class QComboBox;
class QCompleter;
class QDialog;
class QLabel;
class QLineEdit;
class QMenu;
class QPrinter;
class QPushButton;
class QRadioButton;
class QScrollArea;
class QSplitter;
class QStandardItemModel;
class QTabWidget;
class QTimer;
class QTextEdit;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;
class QVBoxLayout;

namespace lumtar {

namespace calendar {
struct Era;
}

class ChartPainter;
struct FileDialogAnswer;
struct FileDialogRequest;
class CVoVirer;
class IniFile;
class MDataBase;
class PictureBox;
class UpDown;

inline constexpr const char* kAppTitle = "LumtarV3.1";
inline constexpr const char* kMainSettingsRelativePath = "dat/xminit.ini";
inline constexpr const char* kCommentPrompt = "输入自己的评语：";
// The prompt as either script shows it.
bool IsCommentPrompt(const QString& text);
inline constexpr int kChartPictureWidth = 880;
inline constexpr int kChartPictureHeight = 700;

// The kinds of file dialog that remember their folder, keys of the section
// "folders" of dat/xminit.ini.
inline constexpr const char* kPictureFolder = "picture";    // 另存为 of the chart picture
inline constexpr const char* kTextSaveFolder = "textsave";  // 另存为 of both editors
inline constexpr const char* kTextOpenFolder = "textopen";  // 导入断语
inline constexpr const char* kImportFolder = "import";      // 导入历史记录
inline constexpr const char* kExportFolder = "export";      // 导出历史记录
inline constexpr const char* kPdfFolder = "pdf";            // 导出PDF报告

// The analysis page's look when dat/xminit.ini says nothing.
inline constexpr const char* kDefaultAnalysisFont = "宋体";
inline constexpr int kDefaultAnalysisFontSize = 12;
inline constexpr uint32_t kDefaultAnalysisColour = 12635344;  // 0xC0CCD0, light grey

class TFrmMain : public QMainWindow {
  Q_OBJECT
 public:
  // `store` is the program's case store, which outlives the window; without
  // one the window keeps a store of its own.
  explicit TFrmMain(MDataBase* store = nullptr, QWidget* parent = nullptr);
  ~TFrmMain() override;

  // ---- layout
  QTreeWidget* Tree = nullptr;          // cases by class
  QSplitter* SplitterTree = nullptr;    // tree | centre
  QSplitter* SplitterPingYu = nullptr;  // pages / comment editor
  QTabWidget* PageMain = nullptr;       // 星命盘, 星命分析
  QScrollArea* ScrollChart = nullptr;
  PictureBox* Imgzhanxing = nullptr;    // the chart picture, 880 × 700
  QTextEdit* RedtDuan = nullptr;        // the analysis page
  QTextEdit* RedtPingYu = nullptr;      // the comment editor
  QScrollArea* ScrollInput = nullptr;   // the right-hand panel, scrolling in a low window
  QWidget* PanelInput = nullptr;        // the input panel in it

  // ---- input panel, top to bottom
  QToolButton* SbtoNow = nullptr;
  QLineEdit* EdtYear = nullptr;
  UpDown* UpDyear = nullptr;
  QComboBox* cbom = nullptr;
  QComboBox* cbod = nullptr;
  QComboBox* cbos = nullptr;
  QComboBox* cbomin = nullptr;
  QRadioButton* Rdogl = nullptr;  // 公历
  QRadioButton* Rdonl = nullptr;  // 农历
  QCheckBox* Chkrun = nullptr;    // 农历闰月
  QComboBox* CboEra = nullptr;      // 年号: one item per era, searched as its name is typed
  QComboBox* CboEraYear = nullptr;  // the year of the era: 元年, 二年 …
  // The months of that year on the era's calendar, named as it named them
  // (a rival court's leap months, 武周's 正月, 腊月 and 一月).
  QComboBox* CboEraMonth = nullptr;
  QComboBox* Cboshiqu = nullptr;  // time zone: the 24 whole-hour zones, then 当地时间 (the place's zone)
  QLabel* LabClock = nullptr;     // what the clock was at the entered moment
  QCheckBox* ChkStandardTime = nullptr;  // 按标准时: the second reading of a repeated hour
  QLineEdit* EdtPlace = nullptr;  // place search: type a name, pick from the list
  QComboBox* cbodiZ = nullptr;    // province
  QComboBox* cbodiC = nullptr;    // city
  QLineEdit* ledtjing = nullptr;  // longitude, degrees:minutes
  QLineEdit* ledtwei = nullptr;   // latitude, degrees:minutes
  QRadioButton* Rdona = nullptr;  // 男
  QRadioButton* Rdonv = nullptr;  // 女
  QLineEdit* Edtname = nullptr;
  QToolButton* SbtoNew = nullptr;   // 新建
  QToolButton* SbtoSave = nullptr;  // 存新 / 存旧
  QPushButton* Btnpai = nullptr;    // 本命盘
  QToolButton* SbtoZw_liu = nullptr;  // 流年盘

  // ---- menus
  QMenu* mnuFile = nullptr;
  QAction* mnuF_save = nullptr;     // 保存命例
  QAction* mnuF_import = nullptr;   // 导入历史记录
  QAction* mnuF_export = nullptr;   // 导出历史记录
  QAction* mnuF_compact = nullptr;  // 整理记录文件
  QAction* mnuF_pdf = nullptr;      // 导出PDF报告
  QAction* mnuF_exit = nullptr;     // 退出程序
  QMenu* mnuTools = nullptr;
  QAction* mnuT_dili = nullptr;     // 经纬度设置
  QAction* mnuT_wnl = nullptr;      // 万年历
  QMenu* mnuOptions = nullptr;
  QMenu* mnuO_minggao = nullptr;    // 命稿设置
  QAction* mnuO_mgDefault = nullptr;  // 默认
  QAction* mnuO_mgFont = nullptr;     // 字体设置
  QAction* mnuO_mgColor = nullptr;    // 背景色设置
  QAction* mnuO_setcan = nullptr;     // 排盘设置
  QMenu* mnuO_skin = nullptr;       // 界面风格, one entry per skin, then 系统默认
  QAction* mnuO_jianti = nullptr;   // 简体: simplified characters
  QAction* mnuO_fanti = nullptr;    // 繁體: traditional characters
  QMenu* mnuView = nullptr;         // 视图
  QAction* mnuV_fit = nullptr;      // 随窗口缩放: the chart picture follows the window
  QMenu* mnuHelp = nullptr;
  QAction* mnuH_help = nullptr;     // 软件帮助

  // ---- the case tree's pop-up menu
  QMenu* PopupTree = nullptr;
  QAction* pop_view = nullptr;          // 查看命例
  QMenu* pop_move = nullptr;            // 移动到: one entry per other class
  QAction* pop_delete = nullptr;        // 删除命例
  QAction* pop_class_add = nullptr;     // 增加类别
  QAction* pop_class_rename = nullptr;  // 修改类名
  QAction* pop_class_delete = nullptr;  // 删除类别
  QAction* pop_class_save = nullptr;    // 保存类别
  QAction* pop_search = nullptr;        // 查找
  QAction* pop_showall = nullptr;       // 显示全部命例
  QAction* pop_expand = nullptr;        // 展开
  QAction* pop_collapse = nullptr;      // 收缩

  // ---- state
  MDataBase* DataBase = nullptr;       // the case store
  std::unique_ptr<IniFile> XmInit;     // dat/xminit.ini, from first showing to close
  std::unique_ptr<CVoVirer> VoVirer;   // the chart engine, from first showing to close
  std::unique_ptr<ChartPainter> chartPainter;  // the engine's drawing into Imgzhanxing
  ChartRequest chartRequest;           // the request of the last chart asked for
  CaseRecord currentCase;              // what "存新" stores, or the viewed case
  bool caseLoaded = false;             // a stored case is being viewed
  int loadedSlot = -1;
  std::filesystem::path loadedCommentPath;
  // The viewed case as it was read: a save back first makes sure that
  // another program has not changed it, or renumbered the store, since.
  ViewedCase viewedCase;
  uint8_t natalChartShown = 0;         // a natal chart is on screen
  // The panel's entries the chart on screen was made from (PanelEntries):
  // "存新" charts again first when they changed since.
  QString chartedEntries;
  int annualTimeZoneIndex = kDefaultTimeZoneIndex;  // proposal for the next annual chart (or kLocalTimeZoneIndex)
  double annualMomentJd = 0;           // its moment, civil time in that zone
  SearchCriteria searchCriteria;       // kept between searches
  QPointer<QWidget> FrmWnl;            // the perpetual calendar while it is open
  ProvinceCities cities;               // the chosen province's cities and coordinates
  // The place search: its list and the places it shows, and the atlas place
  // picked from it (a place of the Chinese lists is picked into the lists).
  QCompleter* placeCompleter = nullptr;
  QStandardItemModel* placeModel = nullptr;
  std::vector<Place> placeResults;
  std::unique_ptr<PlaceIndex> placeIndex;  // read at its first use, again after the place editor
  std::optional<Place> pickedPlace;
  QString localZone;                   // the zone of the entry 当地时间
  std::string natalPlaceZone;          // the place's zone at the last natal chart
  // The analysis page's look as kept in dat/xminit.ini.
  QString analysisFontName = QString::fromUtf8(kDefaultAnalysisFont);
  int analysisFontSize = kDefaultAnalysisFontSize;
  uint32_t analysisBackColour = kDefaultAnalysisColour;
  // Set by an action that ends the program without the close questions and
  // without writing the settings (compaction).
  bool skipCloseSequence = false;

  // A comment document is still being read into the editor, in steps
  // between which the window answers; the editor is read-only meanwhile.
  bool CommentLoading() const { return commentFile != nullptr || commentReading != nullptr; }
  // Of the viewed comment's document, the bytes read from disk so far.
  std::uintmax_t CommentBytesRead() const { return commentFileRead; }

  // The dialogs of the case actions. Each is the platform's own when left
  // empty; tests put answers in their place.
  std::function<int(QDialog&)> runCaseDialog;  // 分类保存, 查找命例: exec()
  // A text input box: title, prompt, the preset text in and the typed text
  // out; false when cancelled.
  std::function<bool(const QString& title, const QString& prompt, QString* text)> inputCaseText;
  // The folder chooser of the export and the file chooser of the import,
  // each opening in the folder given; an empty text: cancelled.
  std::function<QString(const QString& folder)> chooseExportFolder;
  std::function<QString(const QString& folder)> chooseImportFile;

  // ---- start and close
  // The start sequence, run once when the window is first shown.
  void FormShow();
  // The close sequence; false when the user keeps the window open.
  bool FormCloseQuery();
  void WriteSettings();

  // ---- input panel (frmmain_input.cpp)
  void FillInputLists();
  void SbtoNowClick();
  void UpDyearClick();
  void cbodiZClick();
  void cbodiCClick();
  // Reads the coordinate boxes into chartRequest; shows the message of the
  // first fault and returns false.
  bool ReadCoordinateBoxes();
  // The place search: the places the box's text names into the list, and a
  // place picked from it (its coordinates, the lists, the zone 当地时间).
  void EdtPlaceEdited();
  void PlacePicked(const Place& place);
  // The place lists of the program folder, read at their first use.
  const PlaceIndex& Places();
  // What the panel's place is: the picked atlas place or the chosen city
  // while the coordinate boxes stay near it, otherwise 未知地 with the zone
  // of the nearest place.
  PanelPlace CurrentPlace();
  // The place or the coordinates changed: the entry 当地时间 and the clock.
  void PlaceChanged();
  // The clock indicator for the panel's date, time and zone.
  void UpdateClockIndicator();
  // Month, day, hour, minute, 农历 and 闰月 of the panel into a request.
  void ReadMomentLists(ChartRequest& r) const;
  // What decides the clock of a birth into a request (the year aside): the
  // moment lists, the zone chosen (当地时间: the place's zone `placeZone`),
  // the reading of a repeated hour and the coordinates of the boxes, whose
  // mean time a birth before standard time is read on (not a number when
  // they cannot be read). The chart and the clock indicator both read the
  // clock of this request.
  void ReadPanelClock(ChartRequest& r, const std::string& placeZone) const;
  // The era entry (frmmain_eras.cpp): choosing an era (its position in the
  // era list) or its year writes the lunar year into EdtYear and selects
  // 农历; the era box offers the eras of the text typed in it. A lunar year
  // entered otherwise (typed, stepped, a viewed case) shows its era, the
  // chosen one while it covers the year, else that of the central dynasty;
  // a civil date shows none.
  void CboEraChoose(int era);
  void CboEraTyped(const QString& text);
  void CboEraYearChange();
  void ShowEraOfDate();
  // Choosing a month of the era's year sets the month list, 农历闰月 and
  // which of two months named alike the date means.
  void CboEraMonthChange();
  // The calendar the panel's lunar date is read on (the chosen era's court's)
  // and which of two months named alike it means, into the request.
  void ReadEraCalendar(ChartRequest& r) const;
  // A viewed case's era: its court's on a rival calendar, and its month.
  void ShowEraOfCase(uint8_t lunarCalendar, uint8_t monthOccurrence);
  void BtnpaiClick();
  void SbtoZw_liuClick();
  // Everything of the input panel a chart is made from, as one text.
  QString PanelEntries() const;

  // ---- chart picture
  void ImgzhanxingMouseMove(int x, int y);

  // ---- menus of this file
  void mnuF_exitClick();
  void mnuT_diliClick();
  void mnuSetCanClick();
  void mnuH_helpClick();

  // ---- the folders the file dialogs open in
  // The folder a file dialog of a kind (kPictureFolder …) opens in: the
  // folder last chosen in a dialog of that kind, in this session or an
  // earlier one (dat/xminit.ini), while it exists; else the program folder.
  QString DialogFolder(const char* kind) const;
  // Remembers the folder chosen in a dialog of that kind, for this session
  // and the next ones.
  void RememberDialogFolder(const char* kind, const QString& folder);
  // Shows a file dialog of that kind in its folder and remembers the folder
  // of the file chosen; false when cancelled.
  // A save dialog proposes SuggestedFileName().
  bool RunFileDialogOfKind(const FileDialogRequest& request, const char* kind, FileDialogAnswer* answer);
  // The name a file of the chart on screen is proposed under: the person's
  // name and the entered birth date, "张三_1990-03-07"; empty without a chart.
  QString SuggestedFileName() const;
  // Sets the printer's document name to SuggestedFileName() with ".pdf", the
  // file the print dialog proposes to print to (the printer stays chosen).
  void ProposePrintFileName(QPrinter* printer) const;

  // ---- analysis page look
  // The page's font and ground from analysisFontName, analysisFontSize and
  // analysisBackColour.
  void ApplyAnalysisLook();
  // The page's ground and the look's selection colours in a style sheet of
  // the page's own: under a skin's style sheet a widget's palette is not
  // drawn. Taken again whenever the look changes.
  void ApplyAnalysisSheet();

  // ---- script of the texts (简体 / 繁體)
  // Chooses the script: kept in dat/xminit.ini and shown at once, in the
  // window's texts, the chart, the analysis page as written (not one the
  // person edited or imported), the case tree and the calendar window.
  void ScriptItemClick(bool traditional);
  // The texts of the engine shown again in the script now chosen.
  void ShowEngineTextsInScript(bool analysisAsWritten);
  // The case nodes' texts taken again from their records.
  void RefreshCaseNodeTexts();
  // The era box's eras and years taken again.
  void ShowEraTextsInScript();

  // ---- skins
  void BuildSkinMenu();
  void ApplySkinSetting();
  void SkinItemClick(QAction* entry);

  // ---- cases (frmmain_cases.cpp)
  // Rebuilds the tree from a list of slots, in list order.
  void FillTree(const std::vector<int>& slotList);
  // The 1000 newest slots, newest first.
  std::vector<int> StartUpSlots() const;
  // After a search or 显示全部命例: when the tree lists few cases (50 or
  // fewer), opens the classes that hold them.
  void OpenFewFoundCases();
  void SbtoSaveClick();
  void mnuF_importClick();
  void mnuF_exportClick();
  void mnuF_compactClick();
  // The tree's look, its pop-up menu and its mouse hooks; made with the
  // window.
  void BuildTreeMenu();
  // The slot of the selected case node; -1 when no case node is selected.
  int SelectedCaseSlot() const;
  // The right mouse button went down on the tree: entries by the level of
  // the selected node, and the move submenu for a selected case.
  void TreeRightMouseDown();
  void pop_viewClick();  // also a double click on the tree
  void pop_deleteClick();
  // Moves the selected case to the class node at `classPosition` under the
  // root.
  void MoveCaseTo(int classPosition);
  void pop_class_addClick();
  void pop_class_renameClick();
  void pop_class_deleteClick();
  void pop_class_saveClick();
  void pop_searchClick();
  void pop_showallClick();
  void pop_expandClick();
  void pop_collapseClick();
  // The save button: "存旧" in blue while a viewed case is saved back,
  // "存新" in the normal colour otherwise.
  void ShowSaveMode(bool savesViewedCase);
  // Leaves the viewed case: nothing is saved back any more ("存新").
  void LeaveViewedCase();
  // After a store operation failed: says why. When another program
  // renumbered or changed the store, the window drops every slot it held
  // (the viewed case and the tree) and reads the store again. `unsaved`
  // tells that an edited comment was not saved and stays in the editor.
  void ReportStoreFault(bool unsaved = false);
  QTreeWidgetItem* ClassNode(const QString& name) const;
  // The names of the class nodes, in tree order.
  QStringList TreeClassNames() const;
  QTreeWidgetItem* CaseNode(int slot) const;

  // ---- comment editor, analysis page, picture, calendar (frmmain_editor.cpp)
  // The editing pop-up menu of an editor; each entry acts on its own editor.
  struct EditMenu {
    QMenu* menu = nullptr;
    QAction* undo = nullptr;       // 撤销
    QAction* copy = nullptr;       // 复制
    QAction* paste = nullptr;      // 粘帖
    QAction* cut = nullptr;        // 剪切
    QAction* erase = nullptr;      // 删除
    QAction* selectAll = nullptr;  // 全选
    QAction* font = nullptr;       // 设置选中文本
    QAction* import = nullptr;     // 导入断语, the analysis page only
    QAction* saveAs = nullptr;     // 另存为
    QAction* print = nullptr;      // 打印
  };
  EditMenu PopupPingYu;               // the comment editor's menu
  EditMenu PopupDuan;                 // the analysis page's menu
  QMenu* PopupImg = nullptr;          // the chart picture's menu
  QAction* mnuImg_copy = nullptr;     // 复制
  QAction* mnuImg_saveAs = nullptr;   // 另存为...
  QAction* mnuImg_print = nullptr;    // 打印
  // Builds the three pop-up menus and sets the editors' behaviour.
  void BuildEditorMenus();
  // While a viewed case's comment has unsaved edits, asks whether to save
  // them; Yes saves the case.
  void AskSaveComment();
  void SbtoNewClick();
  void SelectionFontClick(QTextEdit* editor);  // 设置选中文本
  void EditorSaveAsClick(QTextEdit* editor);   // 另存为
  void EditorPrintClick(QTextEdit* editor);    // 打印
  void DuanImportClick();                      // 导入断语
  void ImgCopyClick();
  void ImgSaveAsClick();
  void ImgPrintClick();
  // 导出PDF报告: the chart page, the analysis and the comment in one file.
  void mnuF_pdfClick();
  // The resolution last chosen in the picture save dialog (1..4 times).
  int pictureScale = 1;
  int pictureFilter = 1;  // the picture type chosen last (1 bmp, 2 jpg, 3 png)
  void mnuO_mgDefaultClick();
  void mnuO_mgFontClick();
  void mnuO_mgColorClick();
  void mnuT_wnlClick();

  // The input panel as wide as the window gives it (its fields widen with a
  // wider window), with room for its scroll bar when that shows.
  void FitInputPanel();
  // The chart picture at its own size, or (随窗口缩放 chosen) as large as
  // its page shows it whole.
  void FitChartPicture();
  // 随窗口缩放 chosen or not; remembered in dat/xminit.ini.
  void ChartFitClick(bool fit);

  // ---- annual chart (frmmain_annual.cpp)
  // Shows the annual time dialog preset with annualTimeZoneIndex and
  // annualMomentJd; the dialog writes both back when confirmed. False when
  // cancelled.
  bool RunAnnualDialog();
  // The overlay for annualTimeZoneIndex and annualMomentJd; false with the
  // engine's message when it cannot be drawn.
  bool ComputeAnnualChart();
  // The zone of the annual dialog's entry 当地时间.
  std::string AnnualLocalZone() const;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void BuildLayout();
  void BuildMenus();
  void BuildInputPanel();
  void BuildEraInputs(QVBoxLayout* box);
  void ReadSettings();
  // Keeps the restored window on the screen and no larger than it.
  void FitToScreen();
  void ReportAbsurdSettingsFiles();
  // Says that a document read had `count` paragraphs too long to lay out
  // whole, shown cut into pieces.
  void ReportCutParagraphs(int count);
  // The viewed case's comment document into the editor: a small one at
  // once, a larger one in steps with the events handled between them, and
  // of a long one only the beginning, the rest kept (commentRest) to be
  // saved after it.
  void ReadComment(DocumentReader document);
  void ReadComment(std::string document);
  // One step of the reading; false when it is over.
  bool CommentStep();
  bool CommentFileStep();
  // Forgets the comment being read and any part kept of a long one.
  void StopComment();
  // A viewed comment that cannot be read: saving back will not replace it.
  void CommentUnreadable(const QString& error);
  // The bytes to store for the editor's comment: of a long comment shown in
  // part, its bytes as read while unedited, else the edited beginning
  // followed by the rest.
  std::string CommentDocument() const;
  // After the store took CommentDocument(): what a save unedited writes now.
  void CommentStored(const std::string& document);

  std::unique_ptr<DocumentReader> commentFile;  // the document, being read from disk
  std::uintmax_t commentFileRead = 0;
  std::unique_ptr<RtfStepReader> commentReading;
  QTimer* commentTimer = nullptr;
  bool commentFilling = false;  // read, being put into the editor
  int commentCutParagraphs = 0;
  qsizetype commentLength = 0;  // characters of the comment being read
  RtfRest commentRest;          // of a long comment, what the editor does not hold
  std::string commentBytes;     // and its document's bytes as stored
  void SetTreeWidth(int width);
  void SetCommentHeight(int height);

  std::unique_ptr<MDataBase> ownStore_;
  // The folders chosen in this session, by kind.
  std::map<std::string, QString> dialogFolders_;
  bool shown_ = false;
  bool closed_ = false;
  bool showingEra_ = false;  // the era entry is being set from the date
  // The era and year whose months CboEraMonth lists.
  int eraMonthsEra_ = -1;
  int eraMonthsYear_ = 0;
  void FillEraMonths();
  void SelectEraMonth(int occurrence);
  // Shows `era` (none: an empty entry) and `year` in the era boxes, and the
  // month of the year's list that `occurrence` names.
  void ShowEra(const calendar::Era* era, int year, int occurrence);
};

}  // namespace lumtar
