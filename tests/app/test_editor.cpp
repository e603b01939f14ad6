// The comment editor, the analysis page's menus and settings, printing and
// the chart picture's output, driven through the main window.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include "answeredboxes.h"
#include "editordialogs.h"
#include "files.h"
#include "frmmain.h"
#include "mainwindow.h"
#include "gbk.h"
#include "inifile.h"
#include "msgbox.h"
#include "picturebox.h"
#include "printing.h"
#include "chartdraw.h"
#include "vovirer.h"
#include "rtf.h"
#include "tempdir.h"
#include "textio.h"
#include "widgets.h"

using namespace lumtar;

namespace {

using Boxes = test::AnsweredBoxes;

const QString kStartAnew = QStringLiteral("确定要开始建立一个新案例吗?这将清除现有评语！");
const QString kSaveComment = QStringLiteral("当前评语文本已改变，要保存吗？");
const QString kReadyToPrint = QStringLiteral("准备开始打印吗?");

// Replaces the standard dialogs for one test.
struct Dialogs {
  Dialogs() {
    SetFileDialogHandler([this](const FileDialogRequest& r, FileDialogAnswer* a) {
      fileRequests.push_back(r);
      if (fileName.isEmpty()) return false;
      a->fileName = fileName;
      a->filterIndex = filterIndex;
      a->option = option;
      return true;
    });
    SetPrintDialogHandler([this](QWidget*, QPrinter* printer) {
      ++printDialogs;
      // What the dialog was given: the name it proposes for printing to a
      // file, and no output file (which would turn it from the printer).
      printerDocName = printer->docName();
      printerFileName = printer->outputFileName();
      if (pdf.isEmpty()) return false;
      printer->setOutputFormat(QPrinter::PdfFormat);
      printer->setOutputFileName(pdf);
      return true;
    });
    SetFontDialogHandler([this](QWidget*, FontChoice* c) {
      fontPresets.push_back(*c);
      if (!font) return false;
      *c = *font;
      return true;
    });
    SetColorDialogHandler([this](QWidget*, QColor* c) {
      colorPresets.push_back(*c);
      if (!color.isValid()) return false;
      *c = color;
      return true;
    });
  }
  ~Dialogs() {
    SetFileDialogHandler(nullptr);
    SetPrintDialogHandler(nullptr);
    SetFontDialogHandler(nullptr);
    SetColorDialogHandler(nullptr);
  }
  QString fileName;  // empty: the file dialog is cancelled
  int filterIndex = 1;
  int option = 0;
  QString pdf;       // empty: the print dialog is cancelled
  std::unique_ptr<FontChoice> font;  // null: the font dialog is cancelled
  QColor color;      // invalid: the colour dialog is cancelled
  std::vector<FileDialogRequest> fileRequests;
  int printDialogs = 0;
  QString printerDocName = QStringLiteral("unset");
  QString printerFileName = QStringLiteral("unset");
  std::vector<FontChoice> fontPresets;
  std::vector<QColor> colorPresets;
};

std::string Bytes(const std::filesystem::path& p) {
  std::string b;
  ReadWholeFile(p, &b);
  return b;
}

// The standard output of a tool of the PDF checks (poppler's).
QString Run(const QString& program, const QStringList& arguments) {
  QProcess p;
  p.start(program, arguments);
  if (!p.waitForFinished(60000)) return {};
  return QString::fromUtf8(p.readAllStandardOutput());
}

int PdfPageCount(const std::filesystem::path& pdf) {
  const QString text = QString::fromLatin1(QByteArray::fromStdString(Bytes(pdf)));
  return static_cast<int>(text.count(QRegularExpression(QStringLiteral("/Type\\s*/Page(?![a-zA-Z])"))));
}

QStringList MenuTexts(const QMenu* menu) {
  QStringList t;
  for (const QAction* a : menu->actions()) t << (a->isSeparator() ? QStringLiteral("-") : a->text());
  return t;
}

// Selects [from, to) in the editor.
void Select(QTextEdit* editor, int from, int to) {
  QTextCursor c = editor->textCursor();
  c.setPosition(from);
  c.setPosition(to, QTextCursor::KeepAnchor);
  editor->setTextCursor(c);
}

QTextCharFormat FormatAt(const QTextDocument& doc, int position) {
  QTextCursor c(const_cast<QTextDocument*>(&doc));
  c.setPosition(position + 1);
  return c.charFormat();
}

// The markers of a JPEG stream up to the start of the scan.
std::set<int> JpegFrameMarkers(const std::string& b) {
  std::set<int> markers;
  for (size_t i = 2; i + 3 < b.size();) {
    if (static_cast<unsigned char>(b[i]) != 0xFF) break;
    const int m = static_cast<unsigned char>(b[i + 1]);
    if (m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC) markers.insert(m);
    if (m == 0xDA) break;
    i += 2 + ((static_cast<unsigned char>(b[i + 2]) << 8) | static_cast<unsigned char>(b[i + 3]));
  }
  return markers;
}

}  // namespace

class EditorTest : public QObject {
  Q_OBJECT

  std::unique_ptr<test::TempDir> dir_;

  std::unique_ptr<TFrmMain> Start() { return test::Shown(std::make_unique<TFrmMain>()); }

  // A natal chart on screen: 1990-3-7 10:30 at Fuzhou.
  static void Chart(TFrmMain& w) {
    test::TypeBirth(w);
    w.BtnpaiClick();
  }

  QString Path(const char* name) const { return QString::fromStdString((*dir_ / name).string()); }

 private slots:
  // The program's fonts, as it starts.
  void initTestCase() {
    InstallFontSubstitutions();
    QApplication::setFont(SongTiPixelFont(14));
  }
  void init() {
    dir_ = test::ProgramFolder();
  }
  void cleanup() { dir_.reset(); }

  void popUpMenusHoldEveryEntryInOrder() {
    Boxes boxes;
    auto w = Start();
    QVERIFY(w);
    const QStringList common = {"撤销", "-", "复制", "粘帖", "剪切", "删除", "全选", "-", "设置选中文本", "-"};
    QCOMPARE(MenuTexts(w->PopupPingYu.menu), (common + QStringList{"另存为", "打印"}));
    QCOMPARE(MenuTexts(w->PopupDuan.menu), (common + QStringList{"导入断语", "另存为", "打印"}));
    QVERIFY(!w->PopupPingYu.import);
    QCOMPARE(MenuTexts(w->PopupImg), (QStringList{"复制", "另存为...", "打印"}));
    QCOMPARE(w->RedtPingYu->contextMenuPolicy(), Qt::CustomContextMenu);
    QCOMPARE(w->RedtDuan->contextMenuPolicy(), Qt::CustomContextMenu);
    QCOMPARE(w->Imgzhanxing->contextMenuPolicy(), Qt::CustomContextMenu);
  }

  void editingEntriesActOnTheirOwnEditor() {
    Boxes boxes;
    auto w = Start();
    QVERIFY(w);
    w->RedtDuan->setPlainText(QStringLiteral("星命分析"));
    QTextEdit* e = w->RedtPingYu;
    e->setPlainText(QStringLiteral("甲乙丙丁"));
    Select(e, 1, 3);
    w->PopupPingYu.cut->trigger();
    QCOMPARE(e->toPlainText(), QStringLiteral("甲丁"));
    e->moveCursor(QTextCursor::End);
    w->PopupPingYu.paste->trigger();
    QCOMPARE(e->toPlainText(), QStringLiteral("甲丁乙丙"));
    Select(e, 0, 1);
    w->PopupPingYu.copy->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("甲"));
    w->PopupPingYu.erase->trigger();
    QCOMPARE(e->toPlainText(), QStringLiteral("丁乙丙"));
    w->PopupPingYu.undo->trigger();
    QCOMPARE(e->toPlainText(), QStringLiteral("甲丁乙丙"));
    w->PopupPingYu.selectAll->trigger();
    QCOMPARE(e->textCursor().selectedText(), QStringLiteral("甲丁乙丙"));
    // The analysis page was never touched.
    QCOMPARE(w->RedtDuan->toPlainText(), QStringLiteral("星命分析"));
    w->PopupDuan.selectAll->trigger();
    w->PopupDuan.erase->trigger();
    QVERIFY(w->RedtDuan->toPlainText().isEmpty());
    QCOMPARE(e->toPlainText(), QStringLiteral("甲丁乙丙"));
  }

  // Both editors show a selection in the look's selection colours, with
  // the focus or without it, also after the look changed (a skin).
  void selectionsTakeTheColoursOfTheLook() {
    Boxes boxes;
    auto w = Start();
    QVERIFY(w);
    const QPalette standard = QApplication::palette();
    QPalette skin = standard;
    skin.setColor(QPalette::Highlight, QColor(0xc9, 0x9a, 0x45));
    skin.setColor(QPalette::HighlightedText, QColor(0x1c, 0x1e, 0x22));
    QApplication::setPalette(skin);
    QCoreApplication::processEvents();
    for (QTextEdit* editor : {w->RedtPingYu, w->RedtDuan})
      for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        QCOMPARE(editor->palette().color(group, QPalette::Highlight), QColor(0xc9, 0x9a, 0x45));
        QCOMPARE(editor->palette().color(group, QPalette::HighlightedText), QColor(0x1c, 0x1e, 0x22));
      }
    // The analysis page keeps its own ground.
    QCOMPARE(w->RedtDuan->palette().color(QPalette::Base), ColorFromBgr(12635344));
    QApplication::setPalette(standard);
    QCoreApplication::processEvents();
    QCOMPARE(w->RedtPingYu->palette().color(QPalette::Inactive, QPalette::Highlight),
             standard.color(QPalette::Active, QPalette::Highlight));
  }

  void userEditsSetTheModifiedMark() {
    Boxes boxes;
    auto w = Start();
    QVERIFY(w);
    QVERIFY(!w->RedtPingYu->document()->isModified());
    w->RedtPingYu->setFocus();
    w->RedtPingYu->moveCursor(QTextCursor::End);
    QTest::keyClicks(w->RedtPingYu, QStringLiteral("a\tb"));
    QVERIFY(w->RedtPingYu->document()->isModified());
    QVERIFY(w->RedtPingYu->toPlainText().endsWith(QStringLiteral("a\tb")));  // a tab is text
  }

  void newCaseAnsweredNoLeavesEverything() {
    Boxes boxes;
    boxes.answers[kStartAnew] = false;
    auto w = Start();
    QVERIFY(w);
    Chart(*w);
    w->RedtPingYu->setPlainText(QStringLiteral("好命"));
    w->RedtPingYu->document()->setModified(true);
    w->caseLoaded = true;
    const QImage picture = w->Imgzhanxing->Picture();
    const QString analysis = w->RedtDuan->toPlainText();
    boxes.Clear();
    w->SbtoNewClick();
    QCOMPARE(boxes.Texts(), QStringList{kStartAnew});
    QCOMPARE(boxes.seen[0].caption, QStringLiteral("新建"));
    QCOMPARE(w->RedtPingYu->toPlainText(), QStringLiteral("好命"));
    QVERIFY(w->RedtPingYu->document()->isModified());
    QCOMPARE(w->RedtDuan->toPlainText(), analysis);
    QCOMPARE(w->Imgzhanxing->Picture(), picture);
    QVERIFY(w->caseLoaded);
    QVERIFY(w->natalChartShown);
  }

  void newCaseClearsAndAsksAboutAnEditedViewedComment_data() {
    QTest::addColumn<bool>("caseLoaded");
    QTest::addColumn<bool>("edited");
    QTest::addColumn<QStringList>("questions");
    QTest::newRow("viewed, edited") << true << true << QStringList{kStartAnew, kSaveComment};
    QTest::newRow("viewed, unedited") << true << false << QStringList{kStartAnew};
    QTest::newRow("存新 mode, edited") << false << true << QStringList{kStartAnew};
  }
  void newCaseClearsAndAsksAboutAnEditedViewedComment() {
    QFETCH(bool, caseLoaded);
    QFETCH(bool, edited);
    QFETCH(QStringList, questions);
    Boxes boxes;
    boxes.answers[kSaveComment] = false;
    auto w = Start();
    QVERIFY(w);
    Chart(*w);
    QVERIFY(w->natalChartShown);
    w->RedtPingYu->selectAll();
    w->RedtPingYu->setFontWeight(QFont::Bold);
    w->RedtPingYu->setTextColor(Qt::red);
    w->RedtPingYu->insertPlainText(QStringLiteral("好命"));
    w->RedtPingYu->document()->setModified(edited);
    w->caseLoaded = caseLoaded;
    w->SbtoSave->setText(QStringLiteral("存旧"));
    w->SbtoSave->setStyleSheet(QStringLiteral("color: #0000ff;"));
    w->SbtoSave->ensurePolished();
    QCOMPARE(w->SbtoSave->palette().color(QPalette::ButtonText), QColor(0, 0, 255));
    boxes.Clear();
    w->SbtoNewClick();
    QCOMPARE(boxes.Texts(), questions);
    if (questions.size() > 1) {
      QCOMPARE(boxes.seen[1].caption, QStringLiteral("提示"));
      QCOMPARE(boxes.seen[1].icon, MsgIcon::Warning);
    }
    QCOMPARE(w->RedtPingYu->toPlainText(), QStringLiteral("输入自己的评语："));
    // The prompt in plain characters, not those of the old comment.
    const QTextCharFormat f = FormatAt(*w->RedtPingYu->document(), 0);
    QVERIFY(f.fontWeight() != QFont::Bold);
    QVERIFY(!f.hasProperty(QTextFormat::ForegroundBrush));
    QVERIFY(!w->RedtPingYu->document()->isModified());
    QVERIFY(w->RedtDuan->toPlainText().isEmpty());
    QImage white(w->Imgzhanxing->Picture().size(), w->Imgzhanxing->Picture().format());
    white.fill(Qt::white);
    QCOMPARE(w->Imgzhanxing->Picture(), white);
    QVERIFY(!w->caseLoaded);
    QVERIFY(!w->natalChartShown);
    QCOMPARE(w->SbtoSave->text(), QStringLiteral("存新"));
    w->SbtoSave->ensurePolished();
    QCOMPARE(w->SbtoSave->palette().color(QPalette::ButtonText), QColor(0, 0, 0));
  }

  // A stored case viewed, its comment formatted, then "新建": Yes to the
  // save question writes the comment back into the case's document.
  void newCaseSavesTheEditedCommentOfTheViewedCase() {
    Boxes boxes;
    Dialogs dialogs;
    CreateDirectories(*dir_ / "Lumtar_f");
    auto w = Start();
    QVERIFY(w);
    w->runCaseDialog = test::SaveIntoClass(QStringLiteral("朋友"));
    Chart(*w);
    w->SbtoSaveClick();
    QVERIFY(!w->caseLoaded);
    QTreeWidgetItem* node = w->CaseNode(0);
    QVERIFY(node);
    w->Tree->setCurrentItem(node);
    w->pop_viewClick();
    QVERIFY(w->caseLoaded);
    QVERIFY(!w->RedtPingYu->document()->isModified());
    QCOMPARE(w->SbtoSave->text(), QStringLiteral("存旧"));

    w->RedtPingYu->setPlainText(QStringLiteral("火星入命，主刚。"));
    Select(w->RedtPingYu, 0, 2);
    dialogs.font = std::make_unique<FontChoice>(FontChoice{SongTiPointFont(14), QColor(255, 0, 0)});
    dialogs.font->font.setBold(true);
    w->PopupPingYu.font->trigger();
    QVERIFY(w->RedtPingYu->document()->isModified());
    const std::filesystem::path document = w->loadedCommentPath;
    QVERIFY(FileExists(document));
    boxes.Clear();
    w->SbtoNewClick();
    QCOMPARE(boxes.Texts().mid(0, 2), (QStringList{kStartAnew, kSaveComment}));
    QVERIFY(!w->caseLoaded);
    QCOMPARE(w->SbtoSave->text(), QStringLiteral("存新"));
    QCOMPARE(w->RedtPingYu->toPlainText(), QStringLiteral("输入自己的评语："));

    QTextDocument stored;
    QVERIFY(LoadRtfFile(document, &stored));
    QCOMPARE(stored.toPlainText(), QStringLiteral("火星入命，主刚。"));
    QCOMPARE(FormatAt(stored, 0).fontWeight(), int(QFont::Bold));
    QCOMPARE(FormatAt(stored, 0).foreground().color(), QColor(255, 0, 0));
    QVERIFY(FormatAt(stored, 3).fontWeight() != QFont::Bold);
  }

  void selectionFontNeedsASelection() {
    Boxes boxes;
    Dialogs dialogs;
    auto w = Start();
    QVERIFY(w);
    w->RedtPingYu->moveCursor(QTextCursor::End);
    w->PopupPingYu.font->trigger();
    QVERIFY(dialogs.fontPresets.empty());
    QVERIFY(!w->RedtPingYu->document()->isModified());
  }

  // A comment formatted through "设置选中文本", saved through "另存为" as
  // RTF, read back with every property.
  void formattedCommentSavedAsRtfReadsBackIntact() {
    Boxes boxes;
    Dialogs dialogs;
    auto w = Start();
    QVERIFY(w);
    QTextEdit* e = w->RedtPingYu;
    e->setPlainText(QStringLiteral("命主火星，身主土星。\n第二行 plain"));
    e->document()->setModified(false);
    QFont chosen(QStringLiteral("Noto Sans CJK SC"));
    chosen.setPointSize(16);
    chosen.setBold(true);
    chosen.setItalic(true);
    chosen.setUnderline(true);
    dialogs.font = std::make_unique<FontChoice>(FontChoice{chosen, QColor(255, 0, 0)});
    Select(e, 0, 4);
    w->PopupPingYu.font->trigger();
    // The dialog opened with the editor's own look: 14 pixels are 10.5 points.
    QCOMPARE(dialogs.fontPresets.size(), size_t{1});
    QCOMPARE(dialogs.fontPresets[0].font.pointSizeF(), 10.5);
    QVERIFY(!dialogs.fontPresets[0].font.bold());
    QVERIFY(e->document()->isModified());

    dialogs.fileName = Path("comment");
    w->PopupPingYu.saveAs->trigger();
    QCOMPARE(dialogs.fileRequests.back().filter, QStringLiteral("Rtf格式|*.rtf|Txt格式|*.txt"));
    QVERIFY(dialogs.fileRequests.back().save);
    QCOMPARE(boxes.Texts(), QStringList{"已保存！"});

    QTextDocument back;
    QVERIFY(LoadRtfFile(*dir_ / "comment.rtf", &back));
    QCOMPARE(back.toPlainText(), e->toPlainText());
    const QTextCharFormat head = FormatAt(back, 2);
    QCOMPARE(head.fontFamilies().toStringList().value(0), QStringLiteral("Noto Sans CJK SC"));
    QCOMPARE(head.fontPointSize(), 16.0);
    QCOMPARE(head.fontWeight(), int(QFont::Bold));
    QVERIFY(head.fontItalic() && head.fontUnderline() && !head.fontStrikeOut());
    QCOMPARE(head.foreground().color(), QColor(255, 0, 0));
    const QTextCharFormat rest = FormatAt(back, 6);
    QVERIFY(rest.fontWeight() != QFont::Bold);
    QVERIFY(!rest.fontItalic());
    QVERIFY(rest.foreground().color() != QColor(255, 0, 0));
    // 黑体 is written under its Windows name.
    QVERIFY(Bytes(*dir_ / "comment.rtf").find("\\'ba\\'da\\'cc\\'e5;") != std::string::npos);
  }

  void saveAsAppendsTheChosenExtension_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("filterIndex");
    QTest::addColumn<QString>("written");
    QTest::addColumn<bool>("rtf");
    QTest::newRow("a.rtf, rtf") << "a.rtf" << 1 << "a.rtf.rtf" << true;
    QTest::newRow("a, rtf") << "a" << 1 << "a.rtf" << true;
    QTest::newRow("a, txt") << "a" << 2 << "a.txt" << false;
    QTest::newRow("a.txt, txt") << "a.txt" << 2 << "a.txt.txt" << false;
    QTest::newRow("a.txt, rtf") << "a.txt" << 1 << "a.txt.rtf" << true;
  }
  void saveAsAppendsTheChosenExtension() {
    QFETCH(QString, typed);
    QFETCH(int, filterIndex);
    QFETCH(QString, written);
    QFETCH(bool, rtf);
    Boxes boxes;
    Dialogs dialogs;
    auto w = Start();
    QVERIFY(w);
    w->RedtDuan->setPlainText(QStringLiteral("第一段\n第二段"));
    dialogs.fileName = Path("") + typed;
    dialogs.filterIndex = filterIndex;
    w->PopupDuan.saveAs->trigger();
    const std::filesystem::path file = *dir_ / written.toStdString();
    QVERIFY(FileExists(file));
    QCOMPARE(ListFiles(dir_->path(), "*").size(), size_t{1});
    const std::string bytes = Bytes(file);
    QCOMPARE(LooksLikeRtf(bytes), rtf);
    if (!rtf) QCOMPARE(bytes, Utf8ToGbk("第一段\r\n第二段"));
    QCOMPARE(boxes.Texts(), QStringList{"已保存！"});
  }

  // Saving as text does not leave the page in plain-text mode: the next
  // rich-text save keeps the formatting.
  void textThenRichSaveKeepsRichText() {
    Boxes boxes;
    Dialogs dialogs;
    auto w = Start();
    QVERIFY(w);
    Chart(*w);
    dialogs.fileName = Path("page");
    dialogs.filterIndex = 2;
    w->PopupDuan.saveAs->trigger();
    dialogs.filterIndex = 1;
    w->PopupDuan.saveAs->trigger();
    QTextDocument back;
    QVERIFY(LoadRtfFile(*dir_ / "page.rtf", &back));
    QCOMPARE(back.toPlainText(), w->RedtDuan->toPlainText());
    const int heading = back.toPlainText().indexOf(QStringLiteral("命主分析"));
    QVERIFY(heading >= 0);
    QCOMPARE(FormatAt(back, heading).fontWeight(), int(QFont::Bold));
    QCOMPARE(FormatAt(back, heading).foreground().color(), QColor(0, 0, 255));
    std::string text;
    QVERIFY(ReadWholeFile(*dir_ / "page.txt", &text));
    QVERIFY(!LooksLikeRtf(text));
  }

  // The file really written is the typed name with an extension, which the
  // dialog never saw: replacing it is asked about, and No keeps it.
  void saveAsAsksBeforeReplacingTheFileItWrites() {
    const QString replace = QStringLiteral("old.rtf 已存在。\n要替换它吗？");
    Boxes boxes;
    boxes.answers[replace] = false;
    Dialogs dialogs;
    auto w = Start();
    QVERIFY(w);
    QVERIFY(WriteWholeFileAtomic(*dir_ / "old.rtf", "keep"));
    dialogs.fileName = Path("old");
    w->PopupPingYu.saveAs->trigger();
    QCOMPARE(boxes.Texts(), QStringList{replace});
    QCOMPARE(Bytes(*dir_ / "old.rtf"), std::string("keep"));
    boxes.answers[replace] = true;
    boxes.Clear();
    w->PopupPingYu.saveAs->trigger();
    QCOMPARE(boxes.Texts(), (QStringList{replace, "已保存！"}));
    QVERIFY(LooksLikeRtf(Bytes(*dir_ / "old.rtf")));
  }

  void aFailedSaveSaysSoAndDoesNotClaimSuccess() {
    Boxes boxes;
    Dialogs dialogs;
    auto w = Start();
    QVERIFY(w);
    // A folder that cannot be, as a file of that name is there.
    QVERIFY(WriteWholeFileAtomic(*dir_ / "plain", "x"));
    dialogs.fileName = Path("plain/x");
    w->PopupPingYu.saveAs->trigger();
    w->ImgSaveAsClick();
    QCOMPARE(boxes.seen.size(), size_t{2});
    for (const auto& r : boxes.seen) {
      QVERIFY(r.text.startsWith(QStringLiteral("无法创建文件")));
      QCOMPARE(r.icon, MsgIcon::Error);
    }
  }

  void importLoadsRichAndPlainFiles() {
    Boxes boxes;
    Dialogs dialogs;
    auto w = Start();
    QVERIFY(w);
    w->analysisFontSize = 15;
    w->ApplyAnalysisLook();

    // RTF keeps its own formatting; text of no colour is black.
    const std::string rtf = Utf8ToGbk(
        "{\\rtf1\\ansi\\ansicpg936\\deff0{\\fonttbl{\\f0\\fnil\\fcharset134 宋体;}}"
        "{\\colortbl ;\\red0\\green0\\blue255;}\\f0\\fs24 {\\cf1\\b 命宫：}辰\\par 第二段\\par}");
    QVERIFY(WriteWholeFileAtomic(*dir_ / "duan.rtf", rtf));
    dialogs.fileName = Path("duan.rtf");
    w->PopupDuan.import->trigger();
    QCOMPARE(dialogs.fileRequests.back().filter, QStringLiteral("All.rtf|*.rtf|All.txt|*.txt"));
    QCOMPARE(dialogs.fileRequests.back().filterIndex, 1);
    QVERIFY(!dialogs.fileRequests.back().save);
    QTextDocument* page = w->RedtDuan->document();
    QCOMPARE(page->toPlainText(), QStringLiteral("命宫：辰\n第二段"));
    QCOMPARE(FormatAt(*page, 0).foreground().color(), QColor(0, 0, 255));
    QCOMPARE(FormatAt(*page, 0).fontWeight(), int(QFont::Bold));
    QCOMPARE(FormatAt(*page, 3).foreground().color(), QColor(0, 0, 0));
    QCOMPARE(FormatAt(*page, 3).fontPointSize(), 12.0);
    QVERIFY(!w->RedtDuan->document()->isUndoAvailable());

    // Plain text takes the page's font and size, black, no style.
    QVERIFY(WriteWholeFileAtomic(*dir_ / "duan.txt", Utf8ToGbk("太阳守命\r\n月孛\r\n")));
    dialogs.fileName = Path("duan.txt");
    w->PopupDuan.import->trigger();
    QCOMPARE(page->toPlainText(), QStringLiteral("太阳守命\n月孛\n"));
    for (int at : {0, 5}) {
      const QTextCharFormat f = FormatAt(*page, at);
      QCOMPARE(f.foreground().color(), QColor(0, 0, 0));
      const QFont shown = f.font().resolve(page->defaultFont());
      QCOMPARE(shown.pixelSize(), 20);  // 15 points
      QVERIFY(!shown.bold() && !shown.italic());
    }
    QCOMPARE(boxes.seen.size(), size_t{0});
  }

  void aFailedImportLeavesThePage_data() {
    QTest::addColumn<QByteArray>("bytes");  // empty: no file at all
    QTest::newRow("missing file") << QByteArray();
    QTest::newRow("cut-off RTF") << QByteArray("{\\rtf1\\ansi {\\b half");
  }
  void aFailedImportLeavesThePage() {
    QFETCH(QByteArray, bytes);
    Boxes boxes;
    Dialogs dialogs;
    auto w = Start();
    QVERIFY(w);
    w->RedtDuan->setPlainText(QStringLiteral("原有断语"));
    if (!bytes.isEmpty()) QVERIFY(WriteWholeFileAtomic(*dir_ / "bad.rtf", bytes.toStdString()));
    dialogs.fileName = Path("bad.rtf");
    w->DuanImportClick();
    QCOMPARE(boxes.Texts(), QStringList{"导入文件出错,请重试一次"});
    QCOMPARE(boxes.seen[0].caption, QStringLiteral("重试一次"));
    QCOMPARE(boxes.seen[0].buttons, MsgButtons::Ok);
    QCOMPARE(w->RedtDuan->toPlainText(), QStringLiteral("原有断语"));
  }

  void printingAsksThenPrintsEveryPage() {
    Boxes boxes;
    Dialogs dialogs;
    auto w = Start();
    QVERIFY(w);
    Chart(*w);

    // No to the question: no dialog, nothing printed.
    boxes.answers[kReadyToPrint] = false;
    dialogs.pdf = Path("x.pdf");
    w->PopupDuan.print->trigger();
    QCOMPARE(boxes.Texts(), QStringList{kReadyToPrint});
    QCOMPARE(boxes.seen[0].caption, QStringLiteral("打印"));
    QCOMPARE(dialogs.printDialogs, 0);

    // Cancelling the print dialog prints nothing and says nothing.
    boxes.answers[kReadyToPrint] = true;
    boxes.Clear();
    dialogs.pdf.clear();
    w->PopupDuan.print->trigger();
    QCOMPARE(dialogs.printDialogs, 1);
    QCOMPARE(boxes.seen.size(), size_t{1});
    QVERIFY(!FileExists(*dir_ / "x.pdf"));

    // The whole analysis runs over several pages; the short comment is one.
    dialogs.pdf = Path("analysis.pdf");
    w->PopupDuan.print->trigger();
    QVERIFY(PdfPageCount(*dir_ / "analysis.pdf") > 1);
    // The dialog proposes the chart's name for a file and stays on the
    // printer; the job itself has no title.
    QCOMPARE(dialogs.printerDocName, QStringLiteral("张三_1990-03-07.pdf"));
    QCOMPARE(dialogs.printerFileName, QString());
    QVERIFY(!Run(QStringLiteral("pdfinfo"), {Path("analysis.pdf")})
                 .contains(QRegularExpression(QStringLiteral("Title:[ \\t]*\\S"))));
    dialogs.pdf = Path("comment.pdf");
    w->PopupPingYu.print->trigger();
    QCOMPARE(PdfPageCount(*dir_ / "comment.pdf"), 1);
    QCOMPARE(boxes.Texts(), QStringList(3, kReadyToPrint));
  }

  void theChartPrintsOnOnePage() {
    Boxes boxes;
    Dialogs dialogs;
    auto w = Start();
    QVERIFY(w);
    Chart(*w);
    dialogs.pdf = Path("chart.pdf");
    w->PopupImg->actions().at(2)->trigger();
    QCOMPARE(boxes.Texts(), QStringList{kReadyToPrint});
    QCOMPARE(dialogs.printerDocName, QStringLiteral("张三_1990-03-07.pdf"));
    QCOMPARE(dialogs.printerFileName, QString());
    QCOMPARE(PdfPageCount(*dir_ / "chart.pdf"), 1);
  }

  // The chart goes to the printer as lines and text at the printer's
  // resolution: no picture in the file, and a line one picture pixel wide
  // as wide as a picture pixel on the page.
  void theChartPrintsAsLinesAndText() {
    Boxes boxes;
    Dialogs dialogs;
    auto w = Start();
    QVERIFY(w);
    Chart(*w);
    dialogs.pdf = Path("chart.pdf");
    w->ImgPrintClick();
    const QString pdf = Path("chart.pdf");
    QCOMPARE(Run("pdfimages", {"-list", pdf}).count('\n'), 2);  // the heading only
    QVERIFY(Run("pdftotext", {"-enc", "UTF-8", pdf, "-"}).contains(QStringLiteral("本命盘")));

    // The page at 600 dpi; the printer drew at its own resolution.
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(Path("probe.pdf"));
    const QRect rect = ChartPictureRect(printer.width(), printer.height(), QSize(880, 700));
    const QRectF page = printer.pageLayout().paintRectPixels(printer.resolution());
    Run("pdftoppm", {"-r", "600", "-gray", "-png", "-singlefile", pdf, Path("page")});
    QImageReader::setAllocationLimit(0);  // a page at 600 dpi is larger than pictures usually are
    QImage rendered(Path("page.png"));
    QVERIFY(!rendered.isNull());
    const double toPage = 600.0 / printer.resolution();
    const double pixel = rect.width() / 880.0;  // a picture pixel in printer pixels
    // The vertical spoke below the centre, across the branch ring.
    const int x = static_cast<int>(std::lround((page.left() + rect.left() + 302.5 * pixel) * toPage));
    const int y = static_cast<int>(std::lround((page.top() + rect.top() + 347 * pixel) * toPage));
    int left = x, right = x;
    for (int d = 0; d < 8 && qGray(rendered.pixel(left, y)) > 128; ++d) left = right = x + (d % 2 ? d : -d);
    QVERIFY(qGray(rendered.pixel(left, y)) <= 128);
    while (qGray(rendered.pixel(left - 1, y)) <= 128) --left;
    while (qGray(rendered.pixel(right + 1, y)) <= 128) ++right;
    const double width = right - left + 1;
    QVERIFY2(std::abs(width - pixel * toPage) <= 1.0, qPrintable(QString::number(width)));
  }

  // 导出PDF报告: the chart page, the analysis and the comment, with the
  // person at the head of every page and the pages numbered.
  void pdfReport() {
    Boxes boxes;
    Dialogs dialogs;
    auto w = Start();
    QVERIFY(w);
    QCOMPARE(MenuTexts(w->mnuFile).contains(QStringLiteral("导出PDF报告...")), true);
    dialogs.fileName = Path("before");
    w->mnuF_pdf->trigger();  // no chart yet
    QCOMPARE(boxes.Texts(), QStringList{"请先排一个本命盘。"});
    QVERIFY(dialogs.fileRequests.empty());
    Chart(*w);
    boxes.Clear();
    dialogs.fileName = Path("report");
    w->mnuF_pdf->trigger();
    QCOMPARE(boxes.Texts(), QStringList{"已保存！"});
    QCOMPARE(dialogs.fileRequests.back().filter, QStringLiteral("pdf格式|*.pdf"));
    const QString withoutComment = Run("pdftotext", {"-enc", "UTF-8", Path("report.pdf"), "-"});
    QVERIFY(!withoutComment.contains(QStringLiteral("输入自己的评语")));
    const int pages = PdfPageCount(*dir_ / "report.pdf");
    QVERIFY(pages >= 2);
    // The prompt, however it came back from a stored document, is no comment.
    for (const QString& prompt : {QStringLiteral("输入自己的评语:"), QStringLiteral("\n输入自己的评语：\n\n"),
                                  QStringLiteral("輸入自己的評語：")}) {
      w->RedtPingYu->setPlainText(prompt);
      dialogs.fileName = Path("prompt");
      w->mnuF_pdf->trigger();
      QVERIFY2(PdfPageCount(*dir_ / "prompt.pdf") == pages, qPrintable(prompt));
      const QString text = Run("pdftotext", {"-enc", "UTF-8", Path("prompt.pdf"), "-"});
      QVERIFY2(!text.contains(QStringLiteral("自己的评语")) && !text.contains(QStringLiteral("自己的評語")),
               qPrintable(prompt));
    }

    // The comment under its heading; digits after Latin letters are text too.
    w->RedtPingYu->setPlainText(QStringLiteral("此命日月夹命，金水相生。生于UTC-5时区。"));
    dialogs.fileName = Path("with");
    w->mnuF_pdf->trigger();
    QCOMPARE(PdfPageCount(*dir_ / "with.pdf"), pages + 1);
    const QString text = Run("pdftotext", {"-enc", "UTF-8", Path("with.pdf"), "-"});
    for (const QString& expected : {QStringLiteral("姓名:"), QStringLiteral("本命盘"), QStringLiteral("命主分析"),
                                    QStringLiteral("评语\n此命日月夹命，金水相生。生于UTC-5时区。"),
                                    QStringLiteral("第%1页 共%1页").arg(pages + 1)})
      QVERIFY2(text.contains(expected), qPrintable(expected));
    QCOMPARE(Run("pdfimages", {"-list", Path("with.pdf")}).count('\n'), 2);
  }

  // Every save dialog proposes the person's name and birth date as the file
  // name; the picture dialog offers the type chosen last; before any chart
  // nothing is proposed.
  void saveDialogsProposeTheNameAndTheBirthDate() {
    Boxes boxes;
    Dialogs dialogs;
    auto w = Start();
    QVERIFY(w);
    w->mnuImg_saveAs->trigger();  // cancelled
    QCOMPARE(dialogs.fileRequests.back().fileName, QString());
    Chart(*w);
    const QString proposed = QStringLiteral("张三_1990-03-07");
    w->mnuImg_saveAs->trigger();
    QCOMPARE(dialogs.fileRequests.back().fileName, proposed);
    QCOMPARE(dialogs.fileRequests.back().filterIndex, 1);
    dialogs.fileName = Path("typed");
    dialogs.filterIndex = 3;  // png
    w->mnuImg_saveAs->trigger();
    QVERIFY(QFileInfo::exists(Path("typed.png")));
    dialogs.fileName.clear();
    w->mnuImg_saveAs->trigger();
    QCOMPARE(dialogs.fileRequests.back().filterIndex, 3);
    QCOMPARE(dialogs.fileRequests.back().fileName, proposed);
    QCOMPARE(dialogs.fileRequests.back().folder, QFileInfo(Path("typed")).absolutePath());
    w->mnuF_pdf->trigger();
    QCOMPARE(dialogs.fileRequests.back().fileName, proposed);
    w->Edtname->setText(QStringLiteral("李/四"));
    w->BtnpaiClick();
    w->mnuF_pdf->trigger();
    QCOMPARE(dialogs.fileRequests.back().fileName, QStringLiteral("李_四_1990-03-07"));
  }

  // The picture saved at a chosen resolution is painted again at it; the
  // choice is offered again next time.
  void pictureSavedAtAChosenScale() {
    Boxes boxes;
    Dialogs dialogs;
    auto w = Start();
    QVERIFY(w);
    Chart(*w);
    const QImage picture = w->Imgzhanxing->Picture();
    dialogs.fileName = Path("big");
    dialogs.filterIndex = 3;  // png
    dialogs.option = 1;       // 2 times
    w->mnuImg_saveAs->trigger();
    const FileDialogRequest& asked = dialogs.fileRequests.back();
    QCOMPARE(asked.options.size(), 4);
    QCOMPARE(asked.options.at(1), QStringLiteral("2倍 (1760×1400)"));
    QCOMPARE(asked.option, 0);
    QImage big(Path("big.png"));
    QCOMPARE(big.size(), QSize(1760, 1400));
    QCOMPARE(big.convertToFormat(QImage::Format_RGB32), RenderChart(*w->VoVirer, 2));
    QVERIFY(big.convertToFormat(QImage::Format_RGB32) !=
            picture.scaled(1760, 1400, Qt::IgnoreAspectRatio, Qt::FastTransformation));
    dialogs.filterIndex = 2;  // jpg at 4 times
    dialogs.option = 3;
    w->mnuImg_saveAs->trigger();
    QCOMPARE(dialogs.fileRequests.back().option, 1);  // the last choice
    QCOMPARE(QImage(Path("big.jpg")).size(), QSize(3520, 2800));
    // At scale 1 a PNG is the picture itself.
    dialogs.filterIndex = 3;
    dialogs.option = 0;
    dialogs.fileName = Path("plain");
    w->mnuImg_saveAs->trigger();
    QCOMPARE(QImage(Path("plain.png")).convertToFormat(QImage::Format_RGB32), picture);
    QCOMPARE(boxes.Texts(), QStringList(3, QStringLiteral("已保存！")));
  }

  void printFailuresGiveTheirMessages() {
    Boxes boxes;
    Dialogs dialogs;
    auto w = Start();
    QVERIFY(w);
    dialogs.pdf = Path("no/such/folder/out.pdf");
    w->EditorPrintClick(w->RedtPingYu);
    w->ImgPrintClick();
    QCOMPARE(boxes.Texts(), (QStringList{kReadyToPrint, "打印错误，请检查打印设备！", kReadyToPrint, "请检查打印机能否正常工作！"}));
    QCOMPARE(boxes.seen[1].caption, QStringLiteral("打印错误"));
    QCOMPARE(boxes.seen[3].caption, QStringLiteral("打印错误"));
    QCOMPARE(boxes.seen[3].icon, MsgIcon::Error);
  }

  void chartPrintRectangle_data() {
    QTest::addColumn<int>("pageWidth");
    QTest::addColumn<QRect>("rect");  // left, top, right and bottom edges outside
    QTest::newRow("4800") << 4800 << QRect(QPoint(8, 30), QPoint(4791, 4215));
    QTest::newRow("800") << 800 << QRect(QPoint(8, 30), QPoint(791, 715));
    QTest::newRow("truncated") << 1001 << QRect(QPoint(8, 30), QPoint(992, 890));  // 985 × 0.875 = 861.875
  }
  void chartPrintRectangle() {
    QFETCH(int, pageWidth);
    QFETCH(QRect, rect);
    QCOMPARE(ChartPrintRect(pageWidth), rect);
  }

  // The chart keeps its proportions inside its rectangle: full width on a
  // portrait page, shrunk and centred on a landscape one, never off the page.
  void theChartKeepsItsShapeInsideItsRectangle_data() {
    QTest::addColumn<QSize>("pageSize");
    QTest::addColumn<QRect>("picture");
    QTest::newRow("portrait") << QSize(800, 1000) << QRect(8, 30, 784, 624);  // 784 × 700/880 = 623.6
    QTest::newRow("landscape") << QSize(1000, 700) << QRect(79, 30, 842, 670);  // 670 high: down to the page's bottom
  }
  void theChartKeepsItsShapeInsideItsRectangle() {
    QFETCH(QSize, pageSize);
    QFETCH(QRect, picture);
    QCOMPARE(ChartPictureRect(pageSize.width(), pageSize.height(), QSize(880, 700)), picture);
    const QRect frame = ChartPrintRect(pageSize.width());
    QVERIFY(frame.contains(picture));
    QImage page(pageSize, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter p(&page);
    DrawChartPage(&p, page.width(), page.height(), QSize(880, 700),
                  [](QPainter& chart) { chart.fillRect(QRect(0, 0, 880, 700), Qt::red); });
    p.end();
    for (QPoint in : {picture.topLeft(), picture.bottomRight(), picture.center()})
      QCOMPARE(page.pixelColor(in), QColor(Qt::red));
    for (QPoint out : {picture.topLeft() - QPoint(1, 0), picture.topLeft() - QPoint(0, 1),
                       picture.bottomRight() + QPoint(1, 0), picture.bottomRight() + QPoint(0, 1)})
      if (page.rect().contains(out)) QCOMPARE(page.pixelColor(out), QColor(Qt::white));
  }

  void pictureCopiedAndSavedAsBmpOrJpeg() {
    Boxes boxes;
    Dialogs dialogs;
    auto w = Start();
    QVERIFY(w);
    Chart(*w);
    const QImage picture = w->Imgzhanxing->Picture();

    w->mnuImg_copy->trigger();
    QCOMPARE(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32), picture);

    dialogs.fileName = Path("chart");
    dialogs.filterIndex = 2;
    w->mnuImg_saveAs->trigger();
    QCOMPARE(dialogs.fileRequests.back().title, QStringLiteral("另存为Bmp图片"));
    QCOMPARE(dialogs.fileRequests.back().filter, QStringLiteral("bmp格式|*.bmp|jpg格式|*.jpg|png格式|*.png"));
    const std::string jpeg = Bytes(*dir_ / "chart.jpg");
    QVERIFY(jpeg.size() > 4 && jpeg.compare(0, 2, "\xFF\xD8") == 0);
    QCOMPARE(JpegFrameMarkers(jpeg), std::set<int>{0xC0});  // baseline
    QImage decoded;
    QVERIFY(decoded.loadFromData(QByteArray::fromStdString(jpeg), "JPEG"));
    QCOMPARE(decoded.size(), picture.size());
    QVERIFY(!decoded.isGrayscale());
    // Close to the picture everywhere (quality 90).
    long long diff = 0;
    for (int y = 0; y < picture.height(); y += 7)
      for (int x = 0; x < picture.width(); x += 7) {
        const QColor a = picture.pixelColor(x, y), b = decoded.pixelColor(x, y);
        diff += std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue());
      }
    QVERIFY(diff / ((picture.width() / 7 + 1) * (picture.height() / 7 + 1)) < 12);

    dialogs.filterIndex = 1;
    w->mnuImg_saveAs->trigger();
    const std::string bmp = Bytes(*dir_ / "chart.bmp");
    QVERIFY(bmp.compare(0, 2, "BM") == 0);
    QImage fromBmp;
    QVERIFY(fromBmp.loadFromData(QByteArray::fromStdString(bmp), "BMP"));
    QCOMPARE(fromBmp.convertToFormat(QImage::Format_RGB32), picture);
    QCOMPARE(boxes.Texts(), (QStringList{"已保存！", "已保存！"}));
  }

  void analysisPageSettings() {
    Boxes boxes;
    Dialogs dialogs;
    auto w = Start();
    QVERIFY(w);
    const std::string settingsAtStart = Bytes(*dir_ / "dat/xminit.ini");

    // 字体设置: the name and size are taken, not the style or colour.
    QFont chosen(QStringLiteral("Noto Sans CJK SC"));
    chosen.setPointSize(14);
    chosen.setBold(true);
    dialogs.font = std::make_unique<FontChoice>(FontChoice{chosen, QColor(255, 0, 0)});
    w->mnuO_mgFont->trigger();
    QCOMPARE(dialogs.fontPresets.at(0).font.family(), QStringLiteral("宋体"));
    QCOMPARE(dialogs.fontPresets.at(0).font.pointSize(), 12);
    QCOMPARE(w->analysisFontName, QStringLiteral("Noto Sans CJK SC"));
    QCOMPARE(w->analysisFontSize, 14);
    QCOMPARE(w->RedtDuan->font().family(), QStringLiteral("Noto Sans CJK SC"));
    QVERIFY(!w->RedtDuan->font().bold());
    QCOMPARE(boxes.Texts(), QStringList{"设置完成"});
    // The face that shows 宋体 is kept as 宋体.
    dialogs.font->font = QFont(QString::fromLatin1(kSongTiFamily));
    dialogs.font->font.setPointSize(11);
    w->mnuO_mgFont->trigger();
    QCOMPARE(w->analysisFontName, QStringLiteral("宋体"));
    QCOMPARE(w->analysisFontSize, 11);

    // 背景色设置
    dialogs.color = QColor(0x10, 0x20, 0x30);
    w->mnuO_mgColor->trigger();
    QCOMPARE(dialogs.colorPresets.at(0), ColorFromBgr(12635344));
    QCOMPARE(w->analysisBackColour, 0x302010u);
    QCOMPARE(w->RedtDuan->palette().color(QPalette::Base), QColor(0x10, 0x20, 0x30));
    QCOMPARE(boxes.Texts(), QStringList(3, QStringLiteral("设置完成")));

    // Cancelled dialogs change nothing and say nothing.
    dialogs.font.reset();
    dialogs.color = QColor();
    w->mnuO_mgFont->trigger();
    w->mnuO_mgColor->trigger();
    QCOMPARE(w->analysisFontSize, 11);
    QCOMPARE(w->analysisBackColour, 0x302010u);
    QCOMPARE(boxes.seen.size(), size_t{3});

    // 默认, at once and without a message; the file only at close.
    w->mnuO_mgDefault->trigger();
    QCOMPARE(w->analysisFontName, QStringLiteral("宋体"));
    QCOMPARE(w->analysisFontSize, 12);
    QCOMPARE(w->analysisBackColour, 12635344u);
    QCOMPARE(w->RedtDuan->font().pixelSize(), 16);
    QCOMPARE(w->RedtDuan->palette().color(QPalette::Base), ColorFromBgr(12635344));
    QCOMPARE(boxes.seen.size(), size_t{3});
    QCOMPARE(Bytes(*dir_ / "dat/xminit.ini"), settingsAtStart);
    w->analysisFontSize = 13;
    w->close();
    IniFile ini(*dir_ / "dat/xminit.ini");
    QCOMPARE(ini.ReadInteger("minggao", "fsize", 0), 13);
    QCOMPARE(ini.ReadString("minggao", "fname", ""), std::string("宋体"));
    QCOMPARE(ini.ReadInteger("minggao", "bcolor", 0), 12635344);
  }

  // The page shows its ground colour at once, under every skin as in the
  // standard look: set, then 默认.
  void analysisColourShowsAtOnceUnderEverySkin_data() { test::AddSkinRows(); }
  void analysisColourShowsAtOnceUnderEverySkin() {
    QFETCH(QString, skin);
    test::UseShippedSkin(dir_->path(), skin);
    Boxes boxes;
    Dialogs dialogs;
    auto w = Start();
    QVERIFY(w);
    w->PageMain->setCurrentIndex(1);
    auto ground = [&w] {
      QCoreApplication::processEvents();
      const QImage shot = w->RedtDuan->viewport()->grab().toImage();
      return shot.pixelColor(shot.width() / 2, shot.height() / 2);
    };
    QCOMPARE(ground(), ColorFromBgr(kDefaultAnalysisColour));
    dialogs.color = QColor(0x30, 0x60, 0x90);
    w->mnuO_mgColor->trigger();
    QCOMPARE(ground(), QColor(0x30, 0x60, 0x90));
    w->mnuO_mgDefault->trigger();
    QCOMPARE(ground(), ColorFromBgr(kDefaultAnalysisColour));
    // The standard look again for the other tests.
    const QList<QAction*> entries = w->mnuO_skin->actions();
    if (!entries.isEmpty()) entries.back()->trigger();
  }

  // Each kind of file dialog opens in the folder last chosen in it: the
  // picture's 另存为, the editors' 另存为 and 导入断语, each on its own, in
  // this session and after a restart; at first, and when that folder is
  // gone, in the program folder.
  void fileDialogsOpenWhereTheirKindWasLastUsed() {
    Boxes boxes;
    Dialogs dialogs;
    test::TempDir elsewhere;
    const QString program = QString::fromStdString(ProgramDir());
    const QString pictures = QString::fromStdString((elsewhere / "图").string());
    const QString texts = QString::fromStdString((elsewhere / "稿").string());
    CreateDirectories(elsewhere / "图");
    CreateDirectories(elsewhere / "稿");
    SaveTextFile(elsewhere / "稿/断语.txt", QStringLiteral("断语"));
    auto w = Start();
    QVERIFY(w);
    Chart(*w);
    auto opened = [&dialogs] { return dialogs.fileRequests.back().folder; };
    auto kinds = [&](TFrmMain& win) {
      QStringList folders;
      dialogs.fileName.clear();  // cancelled: nothing chosen
      win.ImgSaveAsClick();
      folders << opened();
      win.EditorSaveAsClick(win.RedtDuan);
      folders << opened();
      win.EditorSaveAsClick(win.RedtPingYu);
      folders << opened();
      win.DuanImportClick();
      folders << opened();
      return folders;
    };
    QCOMPARE(kinds(*w), QStringList(4, program));
    dialogs.fileName = pictures + QStringLiteral("/盘");
    w->ImgSaveAsClick();
    dialogs.fileName = texts + QStringLiteral("/命稿");
    w->EditorSaveAsClick(w->RedtPingYu);
    QCOMPARE(kinds(*w), (QStringList{pictures, texts, texts, program}));
    dialogs.fileName = texts + QStringLiteral("/断语.txt");
    dialogs.filterIndex = 2;
    w->DuanImportClick();
    dialogs.filterIndex = 1;
    QCOMPARE(kinds(*w), (QStringList{pictures, texts, texts, texts}));
    w->close();

    auto again = Start();
    QVERIFY(again);
    QCOMPARE(kinds(*again), (QStringList{pictures, texts, texts, texts}));
    again->close();
    std::filesystem::remove_all(elsewhere / "图");
    auto third = Start();
    QVERIFY(third);
    QCOMPARE(kinds(*third), (QStringList{program, texts, texts, texts}));
  }

  // The real font dialog, accepted at once, gives back what it was preset
  // with: the face that shows 宋体, a size between the listed ones, an
  // italic the face has no cut of, the underline, and a colour of its list
  // or none of it.
  void fontDialogKeepsItsPreset_data() {
    QTest::addColumn<QColor>("color");
    QTest::newRow("one of the list") << QColor(0, 0, 255);
    QTest::newRow("another") << QColor(1, 2, 3);
  }
  void fontDialogKeepsItsPreset() {
    QFETCH(QColor, color);
    QFont font(QStringLiteral("宋体"));
    font.setPointSizeF(10.5);
    font.setItalic(true);
    font.setUnderline(true);
    FontChoice choice{font, color};
    QTimer::singleShot(0, [] {
      if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) d->accept();
    });
    QVERIFY(ChooseFont(nullptr, &choice));
    QCOMPARE(choice.font.family(), QString::fromLatin1(kSongTiFamily));
    QCOMPARE(choice.font.pointSizeF(), 10.5);
    QVERIFY(choice.font.italic() && !choice.font.bold());
    QVERIFY(choice.font.underline() && !choice.font.strikeOut());
    QCOMPARE(choice.color, color);
  }

  // Under a skin with light window texts on a dark window, the sample of
  // the font dialog stays on a light ground, where black text reads.
  void fontSampleReadsUnderADarkWindowPalette() {
    const QPalette standard = QApplication::palette();
    QPalette night = standard;
    night.setColor(QPalette::Window, QColor(0x2b, 0x2e, 0x34));
    night.setColor(QPalette::WindowText, QColor(0xeb, 0xe5, 0xd7));
    QApplication::setPalette(night);
    QImage sample;
    QTimer::singleShot(0, [&sample] {
      QWidget* d = QApplication::activeModalWidget();
      if (!d) return;
      for (QLabel* label : d->findChildren<QLabel*>())
        if (label->text().startsWith(QStringLiteral("AaBb"))) sample = label->grab().toImage();
      d->close();
    });
    FontChoice choice{SongTiPointFont(12), QColor(0, 0, 0)};
    ChooseFont(nullptr, &choice);
    QApplication::setPalette(standard);
    QVERIFY(!sample.isNull());
    // The ground is the colour of most pixels.
    std::map<QRgb, int> count;
    for (int y = 0; y < sample.height(); ++y)
      for (int x = 0; x < sample.width(); ++x) ++count[sample.pixel(x, y)];
    const QRgb ground =
        std::max_element(count.begin(), count.end(), [](auto& a, auto& b) { return a.second < b.second; })->first;
    QVERIFY2(qGray(ground) > 160, qPrintable(QColor(ground).name()));
  }

  // Text without a colour of its own is black in the files and on paper;
  // the font dialog offers it as black whatever text colour a skin shows.
  void selectionWithoutItsOwnColourIsOfferedAsBlack() {
    Boxes boxes;
    Dialogs dialogs;
    auto w = Start();
    QVERIFY(w);
    QPalette pal = w->RedtPingYu->palette();
    pal.setColor(QPalette::Text, QColor(0x1f, 0x1c, 0x18));
    w->RedtPingYu->setPalette(pal);
    Select(w->RedtPingYu, 0, 3);
    w->PopupPingYu.font->trigger();
    QCOMPARE(dialogs.fontPresets.size(), size_t(1));
    QCOMPARE(dialogs.fontPresets[0].color, QColor(0, 0, 0));
  }
};

QTEST_MAIN(EditorTest)
#include "test_editor.moc"
