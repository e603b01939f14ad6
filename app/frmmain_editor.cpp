// The comment editor, the analysis page's look, the output of the chart
// picture and the perpetual calendar.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QEvent>
#include <QFile>
#include <QGuiApplication>
#include <QMenu>
#include <QPainter>
#include <QPrinter>
#include <QRadioButton>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <utility>
#include <vector>

#include "bmp.h"
#include "calendarservices.h"
#include "chartdraw.h"
#include "editordialogs.h"
#include "frmmain.h"
#include "frmwnl.h"
#include "jpeg.h"
#include "msgbox.h"
#include "picturebox.h"
#include "scriptui.h"
#include "png.h"
#include "printing.h"
#include "report.h"
#include "rtf.h"
#include "textio.h"
#include "widgets.h"

namespace lumtar {
namespace {

const QString kEditorFilter = QStringLiteral("Rtf格式|*.rtf|Txt格式|*.txt");
const QString kImportFilter = QStringLiteral("All.rtf|*.rtf|All.txt|*.txt");
const QString kPictureFilter = QStringLiteral("bmp格式|*.bmp|jpg格式|*.jpg|png格式|*.png");
const QString kPdfFilter = QStringLiteral("pdf格式|*.pdf");
// Reading a comment document: documents up to kCommentReadAtOnce bytes are
// read and shown at once; larger ones are read from disk kCommentFileStep
// bytes at a time (a large read costs the system's memory pages as well),
// then parsed kCommentReadStep bytes and put into the editor kCommentFillStep characters at a time, the window
// handling its events between the steps. The editor lays out text at some
// microseconds a character and again whole when its width changes: it is
// given the first kShownCommentLength characters, which it edits fluently;
// the rest of a longer comment is kept as it was and saved after them.
constexpr std::size_t kCommentReadAtOnce = 64 << 10;
constexpr std::size_t kCommentFileStep = 2 << 20;
constexpr std::size_t kCommentReadStep = 256 << 10;
constexpr qsizetype kCommentFillStep = 8192;
constexpr qsizetype kShownCommentLength = 300000;

constexpr int kTextFilter = 2;  // the entries that write plain text / JPEG / PNG
constexpr int kJpegFilter = 2;
constexpr int kPngFilter = 3;

// The resolutions a picture is saved at: 1 to 4 times 880 × 700.
QStringList PictureScales() {
  QStringList scales;
  for (int n = 1; n <= kMaxChartScale; ++n)
    scales << QStringLiteral("%1倍 (%2×%3)").arg(n).arg(kChartPictureWidth * n).arg(kChartPictureHeight * n);
  return scales;
}

QString Caption() { return QString::fromUtf8(kAppTitle); }

std::filesystem::path PathOf(const QString& name) {
  return std::filesystem::path(QFile::encodeName(name).toStdString());
}

// "已保存！", or the error of a file that could not be written.
void ReportSave(QWidget* owner, bool saved, const QString& name) {
  if (saved)
    ShowMessage(owner, QStringLiteral("已保存！"), Caption(), MsgIcon::Information);
  else
    ShowMessage(owner, QStringLiteral("无法创建文件 \"%1\"。").arg(Verbatim(name)), Caption(), MsgIcon::Error);
}

// The selection stays visible, in the same colours, when the editor loses
// the focus: the look's own selection colours, taken again whenever the
// look changes (a skin switched on or off).
class KeepSelectionVisible : public QObject {
 public:
  explicit KeepSelectionVisible(QTextEdit* editor) : QObject(editor), editor_(editor) {
    editor->installEventFilter(this);
    Apply();
  }
  bool eventFilter(QObject*, QEvent* event) override {
    // A new look reaches an editor inside the window as a palette change.
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ApplicationPaletteChange) Apply();
    return false;
  }

 private:
  void Apply() {
    const QPalette look = QApplication::palette(editor_);
    QPalette pal = editor_->palette();
    bool changed = false;
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
      for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        const QColor colour = look.color(QPalette::Active, role);
        if (pal.color(group, role) == colour && pal.isBrushSet(group, role)) continue;
        pal.setColor(group, role, colour);
        changed = true;
      }
    if (changed) editor_->setPalette(pal);
  }

  QTextEdit* editor_;
};

// The look of the first selected character, for the font dialog: the
// editor's own font fills in what the text does not set, sizes in pixels
// are given in points (96 dpi), and text without a colour of its own is
// black, as files and paper have it.
FontChoice SelectionLook(const QTextEdit& editor, const QTextCursor& selection) {
  QTextCursor first(editor.document());
  first.setPosition(selection.selectionStart());
  first.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor);
  const QTextCharFormat format = first.charFormat();
  QFont font = format.font().resolve(editor.document()->defaultFont());
  if (font.pointSizeF() <= 0 && font.pixelSize() > 0) font.setPointSizeF(font.pixelSize() * 0.75);
  const QColor color = format.hasProperty(QTextFormat::ForegroundBrush) ? format.foreground().color()
                                                                        : QColor(0, 0, 0);
  return {font, color};
}

// Text without a colour of its own is shown in black, whatever the look of
// the window: ranges of such text, neighbouring ranges joined over the
// paragraph breaks between them.
void BlackenAutomaticText(QTextDocument* doc) {
  std::vector<std::pair<int, int>> ranges;  // [begin, end)
  for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment fragment = it.fragment();
      if (fragment.charFormat().hasProperty(QTextFormat::ForegroundBrush)) continue;
      const int begin = fragment.position();
      const int end = begin + fragment.length();
      if (!ranges.empty() && begin - ranges.back().second <= 1)
        ranges.back().second = end;
      else
        ranges.emplace_back(begin, end);
    }
  }
  if (ranges.empty()) return;
  QTextCharFormat black;
  black.setForeground(QColor(0, 0, 0));
  QTextCursor cursor(doc);
  cursor.beginEditBlock();
  for (const auto& [begin, end] : ranges) {
    cursor.setPosition(begin);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    cursor.mergeCharFormat(black);
  }
  cursor.endEditBlock();
}

QString CutParagraphsText(int count) {
  return QStringLiteral("文中有%1个段落超过%2字，已分成几段显示（文字都在）；保存时按分开的段落写入。")
      .arg(count)
      .arg(kLongestParagraph);
}

}  // namespace

// ---- menus

void TFrmMain::BuildEditorMenus() {
  auto build = [this](QTextEdit* editor, bool withImport) {
    // The analysis page has its selection colours in its style sheet
    // (ApplyAnalysisSheet).
    if (editor != RedtDuan) new KeepSelectionVisible(editor);
    EditMenu m;
    m.menu = new QMenu(editor);
    m.undo = m.menu->addAction(QStringLiteral("撤销"));
    m.menu->addSeparator();
    m.copy = m.menu->addAction(QStringLiteral("复制"));
    m.paste = m.menu->addAction(QStringLiteral("粘帖"));
    m.cut = m.menu->addAction(QStringLiteral("剪切"));
    m.erase = m.menu->addAction(QStringLiteral("删除"));
    m.selectAll = m.menu->addAction(QStringLiteral("全选"));
    m.menu->addSeparator();
    m.font = m.menu->addAction(QStringLiteral("设置选中文本"));
    m.menu->addSeparator();
    if (withImport) m.import = m.menu->addAction(QStringLiteral("导入断语"));
    m.saveAs = m.menu->addAction(QStringLiteral("另存为"));
    m.print = m.menu->addAction(QStringLiteral("打印"));

    connect(m.undo, &QAction::triggered, editor, &QTextEdit::undo);
    connect(m.copy, &QAction::triggered, editor, &QTextEdit::copy);
    connect(m.paste, &QAction::triggered, editor, &QTextEdit::paste);
    connect(m.cut, &QAction::triggered, editor, &QTextEdit::cut);
    connect(m.erase, &QAction::triggered, editor, [editor] { editor->textCursor().removeSelectedText(); });
    connect(m.selectAll, &QAction::triggered, editor, &QTextEdit::selectAll);
    connect(m.font, &QAction::triggered, this, [this, editor] { SelectionFontClick(editor); });
    if (m.import) connect(m.import, &QAction::triggered, this, [this] { DuanImportClick(); });
    connect(m.saveAs, &QAction::triggered, this, [this, editor] { EditorSaveAsClick(editor); });
    connect(m.print, &QAction::triggered, this, [this, editor] { EditorPrintClick(editor); });

    editor->setContextMenuPolicy(Qt::CustomContextMenu);
    QMenu* menu = m.menu;
    connect(editor, &QWidget::customContextMenuRequested, menu,
            [editor, menu](const QPoint& pos) { menu->popup(editor->viewport()->mapToGlobal(pos)); });
    return m;
  };
  PopupPingYu = build(RedtPingYu, false);
  PopupDuan = build(RedtDuan, true);

  PopupImg = new QMenu(Imgzhanxing);
  mnuImg_copy = PopupImg->addAction(QStringLiteral("复制"));
  mnuImg_saveAs = PopupImg->addAction(QStringLiteral("另存为..."));
  mnuImg_print = PopupImg->addAction(QStringLiteral("打印"));
  connect(mnuImg_copy, &QAction::triggered, this, [this] { ImgCopyClick(); });
  connect(mnuImg_saveAs, &QAction::triggered, this, [this] { ImgSaveAsClick(); });
  connect(mnuImg_print, &QAction::triggered, this, [this] { ImgPrintClick(); });
  Imgzhanxing->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(Imgzhanxing, &QWidget::customContextMenuRequested, PopupImg,
          [this](const QPoint& pos) { PopupImg->popup(Imgzhanxing->mapToGlobal(pos)); });
}

// ---- comment editor

void TFrmMain::AskSaveComment() {
  // A comment still being read cannot have been edited.
  if (CommentLoading()) return;
  if (caseLoaded && RedtPingYu->document()->isModified() &&
      AskYesNo(this, QStringLiteral("当前评语文本已改变，要保存吗？"), QStringLiteral("提示"), MsgIcon::Warning))
    SbtoSaveClick();
}

void TFrmMain::SbtoNewClick() {
  if (!AskYesNo(this, QStringLiteral("确定要开始建立一个新案例吗?这将清除现有评语！"), QStringLiteral("新建"),
                MsgIcon::Information))
    return;
  AskSaveComment();
  Imgzhanxing->Blank();
  RedtDuan->clear();
  StopComment();
  caseLoaded = false;
  // The prompt in the editor's own plain characters, whatever the comment
  // was formatted with.
  RedtPingYu->clear();
  RedtPingYu->setCurrentCharFormat(QTextCharFormat());
  RedtPingYu->setPlainText(ShownText(QString::fromUtf8(kCommentPrompt)));
  RedtPingYu->document()->setModified(false);
  natalChartShown = 0;
  ShowSaveMode(false);
}

void TFrmMain::ReadComment(DocumentReader document) {
  commentFile = std::make_unique<DocumentReader>(std::move(document));
  commentFileRead = 0;
  if (commentFile->Size() <= kCommentReadAtOnce) {
    while (CommentStep()) {
    }
    return;
  }
  RedtPingYu->setReadOnly(true);
  RedtPingYu->setPlainText(QStringLiteral("正在读取评语……"));
  commentTimer->start();
}

bool TFrmMain::CommentFileStep() {
  const DocumentReader::Result read = commentFile->Read(kCommentFileStep);
  commentFileRead = commentFile->BytesRead();
  if (read == DocumentReader::Result::kMore) return true;
  if (read != DocumentReader::Result::kDone) {
    StopComment();
    RedtPingYu->clear();
    RedtPingYu->document()->setModified(false);
    CommentUnreadable(read == DocumentReader::Result::kTooLarge ? QStringLiteral("文件过大")
                                                                : QStringLiteral("无法读取文件"));
    return false;
  }
  // What a save back compares the document on disk with.
  if (caseLoaded) viewedCase.documentHash = commentFile->Digest();
  std::string bytes = commentFile->TakeBytes();
  commentFile.reset();
  ReadComment(std::move(bytes));
  return CommentLoading();
}

void TFrmMain::ReadComment(std::string document) {
  const bool atOnce = document.size() <= kCommentReadAtOnce;
  commentReading = std::make_unique<RtfStepReader>(std::move(document));
  commentFilling = false;
  if (atOnce) {
    while (CommentStep()) {
    }
    return;
  }
  RedtPingYu->setReadOnly(true);
  RedtPingYu->setPlainText(QStringLiteral("正在读取评语……"));
  commentTimer->start();
}

bool TFrmMain::CommentStep() {
  if (commentFile) return CommentFileStep();
  if (!commentReading) {
    commentTimer->stop();
    return false;
  }
  QTextDocument* doc = RedtPingYu->document();
  if (!commentFilling) {
    switch (commentReading->Read(kCommentReadStep)) {
      case RtfStepReader::Result::kMore:
        return true;
      case RtfStepReader::Result::kFailed: {
        const QString error = commentReading->error();
        StopComment();
        RedtPingYu->clear();
        doc->setModified(false);
        CommentUnreadable(error);
        return false;
      }
      case RtfStepReader::Result::kDone:
        break;
    }
    commentLength = commentReading->Length();
    commentCutParagraphs = commentReading->Split(kShownCommentLength, &commentRest);
    if (!commentRest.empty()) commentBytes = commentReading->TakeBytes();
    commentFilling = true;
  }
  if (!commentReading->Fill(doc, kCommentFillStep)) return true;

  commentReading.reset();
  commentFilling = false;
  commentTimer->stop();
  RedtPingYu->setReadOnly(false);
  doc->clearUndoRedoStacks();
  doc->setModified(false);
  RedtPingYu->moveCursor(QTextCursor::Start);
  QStringList notes;
  if (!commentRest.empty())
    notes << QStringLiteral("评语很长，共%1字。为了窗口不停顿，编辑框中只放入开头的%2字，可以查看和编辑；"
                            "其后的%3字原样保留在评语文件中，保存时接在后面写入，不会丢失。")
                 .arg(commentLength)
                 .arg(commentLength - commentRest.Length())
                 .arg(commentRest.Length());
  if (commentCutParagraphs > 0) notes << CutParagraphsText(commentCutParagraphs);
  if (!notes.isEmpty()) ShowMessage(this, notes.join(QStringLiteral("\r\n")), QStringLiteral("注意"), MsgIcon::Warning);
  return false;
}

void TFrmMain::StopComment() {
  commentTimer->stop();
  if (CommentLoading()) RedtPingYu->setReadOnly(false);
  commentFile.reset();
  commentFileRead = 0;
  commentReading.reset();
  commentFilling = false;
  commentCutParagraphs = 0;
  commentRest = RtfRest();
  std::string().swap(commentBytes);
}

void TFrmMain::CommentUnreadable(const QString& error) {
  // Saving back would replace a document that could not be read with the
  // empty editor; the case gets a new document instead.
  if (caseLoaded) {
    loadedCommentPath.clear();
    viewedCase.document = ViewedCase::Document::kUnreadable;
  }
  ShowMessage(this, QStringLiteral("评语文件无法读取，保存时不会覆盖它：") + error, QStringLiteral("错误"),
              MsgIcon::Error);
}

std::string TFrmMain::CommentDocument() const {
  const QTextDocument& doc = *RedtPingYu->document();
  if (commentRest.empty()) return WriteRtf(doc);
  if (!doc.isModified()) return commentBytes;
  return WriteRtf(doc, commentRest);
}

void TFrmMain::CommentStored(const std::string& document) {
  if (!commentRest.empty()) commentBytes = document;
}

// ---- both editors

void TFrmMain::SelectionFontClick(QTextEdit* editor) {
  QTextCursor selection = editor->textCursor();
  if (!selection.hasSelection()) return;
  FontChoice choice = SelectionLook(*editor, selection);
  if (!ChooseFont(this, &choice)) return;
  QTextCharFormat format;
  format.setFontFamilies({choice.font.family()});
  if (choice.font.pointSizeF() > 0) format.setFontPointSize(choice.font.pointSizeF());
  format.setFontWeight(choice.font.bold() ? QFont::Bold : QFont::Normal);
  format.setFontItalic(choice.font.italic());
  format.setFontUnderline(choice.font.underline());
  format.setFontStrikeOut(choice.font.strikeOut());
  format.setForeground(choice.color);
  selection.mergeCharFormat(format);
}

void TFrmMain::EditorSaveAsClick(QTextEdit* editor) {
  FileDialogAnswer answer;
  if (!RunFileDialogOfKind({this, true, QStringLiteral("另存为"), kEditorFilter, 1}, kTextSaveFolder, &answer)) return;
  // The name as typed with the chosen entry's extension, even when it
  // already ends in one: a.rtf is saved as a.rtf.rtf.
  const QString name = SaveAsFileName(answer.fileName, kEditorFilter, answer.filterIndex);
  if (!ConfirmOverwrite(this, name)) return;
  // A long comment shown in part is saved whole.
  const bool whole = editor == RedtPingYu && !commentRest.empty();
  bool saved = false;
  if (answer.filterIndex == kTextFilter)
    saved = SaveTextFile(PathOf(name), editor->toPlainText() + (whole ? commentRest.PlainText() : QString()));
  else
    saved = whole ? WriteWholeFileAtomic(PathOf(name), CommentDocument()) : SaveRtfFile(PathOf(name), *editor->document());
  ReportSave(this, saved, name);
}

void TFrmMain::ProposePrintFileName(QPrinter* printer) const {
  // The print dialog proposes the document's name as the file to print to
  // when the user turns to a file, and leaves the printer chosen; an output
  // file set here would turn the dialog to the file at once. The ".pdf"
  // keeps a dot in the name from being taken for the start of an extension.
  // The printing itself names no job.
  const QString name = SuggestedFileName();
  printer->setDocName(name.isEmpty() ? QString() : name + QStringLiteral(".pdf"));
}

void TFrmMain::EditorPrintClick(QTextEdit* editor) {
  if (!AskYesNo(this, QStringLiteral("准备开始打印吗?"), QStringLiteral("打印"), MsgIcon::Information)) return;
  QPrinter printer(QPrinter::HighResolution);
  ProposePrintFileName(&printer);
  if (!RunPrintDialog(this, &printer)) return;
  if (!PrintTextDocument(&printer, *editor->document()))
    ShowMessage(this, QStringLiteral("打印错误，请检查打印设备！"), QStringLiteral("打印错误"), MsgIcon::Error);
}

// ---- analysis page

void TFrmMain::DuanImportClick() {
  FileDialogAnswer answer;
  if (!RunFileDialogOfKind({this, false, QStringLiteral("打开"), kImportFilter, 1}, kTextOpenFolder, &answer)) return;
  // A plain-text file takes the page's font and size, black, no style; a
  // file that cannot be read leaves the page as it was.
  QTextDocument* page = RedtDuan->document();
  int cut = 0;
  if (!LoadRichOrPlainFile(PathOf(answer.fileName), page, nullptr, &cut)) {
    ShowMessage(this, QStringLiteral("导入文件出错,请重试一次"), QStringLiteral("重试一次"), MsgIcon::Error);
    return;
  }
  BlackenAutomaticText(page);
  page->clearUndoRedoStacks();
  RedtDuan->moveCursor(QTextCursor::Start);
  if (cut > 0) ReportCutParagraphs(cut);
}

void TFrmMain::ReportCutParagraphs(int count) {
  ShowMessage(this, CutParagraphsText(count), QStringLiteral("注意"), MsgIcon::Warning);
}

void TFrmMain::mnuO_mgDefaultClick() {
  analysisFontName = QString::fromUtf8(kDefaultAnalysisFont);
  analysisBackColour = kDefaultAnalysisColour;
  analysisFontSize = kDefaultAnalysisFontSize;
  ApplyAnalysisLook();
}

void TFrmMain::mnuO_mgFontClick() {
  QFont font(analysisFontName);
  font.setPointSize(analysisFontSize > 0 ? analysisFontSize : kDefaultAnalysisFontSize);
  FontChoice choice{font, QColor(0, 0, 0)};
  if (!ChooseFont(this, &choice)) return;
  // The face that shows 宋体 here is kept under its Windows name.
  const QString family = choice.font.family();
  analysisFontName = family == QString::fromLatin1(kSongTiFamily) ? QString::fromUtf8(kDefaultAnalysisFont) : family;
  if (choice.font.pointSize() > 0) analysisFontSize = choice.font.pointSize();
  ApplyAnalysisLook();
  ShowMessage(this, QStringLiteral("设置完成"), Caption(), MsgIcon::Information);
}

void TFrmMain::mnuO_mgColorClick() {
  QColor color = ColorFromBgr(analysisBackColour);
  if (!ChooseColor(this, &color)) return;
  analysisBackColour = BgrFromColor(color);
  ApplyAnalysisLook();
  ShowMessage(this, QStringLiteral("设置完成"), Caption(), MsgIcon::Information);
}

// ---- chart picture

void TFrmMain::ImgCopyClick() { QGuiApplication::clipboard()->setImage(Imgzhanxing->Picture()); }

void TFrmMain::ImgSaveAsClick() {
  FileDialogRequest request{this, true, QStringLiteral("另存为Bmp图片"), kPictureFilter, pictureFilter};
  request.optionLabel = QStringLiteral("分辨率:");
  request.options = PictureScales();
  request.option = std::clamp(pictureScale, 1, kMaxChartScale) - 1;
  FileDialogAnswer answer;
  if (!RunFileDialogOfKind(request, kPictureFolder, &answer)) return;
  pictureScale = std::clamp(answer.option + 1, 1, kMaxChartScale);
  pictureFilter = std::clamp(answer.filterIndex, 1, 3);
  const QString name = SaveAsFileName(answer.fileName, kPictureFilter, answer.filterIndex);
  if (!ConfirmOverwrite(this, name)) return;
  // At a larger scale the picture is painted again at that resolution.
  const QImage picture = pictureScale == 1 ? Imgzhanxing->Picture()
                                           : RenderPicture(pictureScale, [this](QPainter& p) { Imgzhanxing->Paint(p, false); });
  bool saved = false;
  if (answer.filterIndex == kJpegFilter)
    saved = SaveJpeg(picture, PathOf(name));
  else if (answer.filterIndex == kPngFilter)
    saved = SavePng(picture, PathOf(name));
  else
    saved = SaveBmp(picture, PathOf(name));
  ReportSave(this, saved, name);
}

void TFrmMain::ImgPrintClick() {
  if (!AskYesNo(this, QStringLiteral("准备开始打印吗?"), QStringLiteral("打印"), MsgIcon::Information)) return;
  QPrinter printer(QPrinter::HighResolution);
  ProposePrintFileName(&printer);
  if (!RunPrintDialog(this, &printer)) return;
  if (!PrintChartPicture(&printer, Imgzhanxing->Picture().size(), [this](QPainter& p) { Imgzhanxing->Paint(p, false); }))
    ShowMessage(this, QStringLiteral("请检查打印机能否正常工作！"), QStringLiteral("打印错误"), MsgIcon::Error);
}

void TFrmMain::mnuF_pdfClick() {
  if (!natalChartShown || !VoVirer) {
    ShowMessage(this, QStringLiteral("请先排一个本命盘。"), QStringLiteral("提示"), MsgIcon::Information);
    return;
  }
  FileDialogAnswer answer;
  if (!RunFileDialogOfKind({this, true, QStringLiteral("导出PDF报告"), kPdfFilter, 1}, kPdfFolder, &answer)) return;
  const QString name = SaveAsFileName(answer.fileName, kPdfFilter, answer.filterIndex);
  if (!ConfirmOverwrite(this, name)) return;
  ChartReport report;
  report.header = ReportHeader(*VoVirer);
  report.title = report.header.value(0);
  report.subject = report.header.value(1);
  report.commentHeading = ShownText(QStringLiteral("评语"));
  report.picture = Imgzhanxing->Picture().size();
  report.chart = [this](QPainter& p) { Imgzhanxing->Paint(p, false); };
  report.analysis = RedtDuan->document();
  // The comment when the editor holds one, not its prompt.
  const QString comment = RedtPingYu->toPlainText().trimmed();
  if (!comment.isEmpty() && !IsCommentPrompt(comment)) report.comment = RedtPingYu->document();
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const bool saved = SaveReportPdf(report, PathOf(name));
  QApplication::restoreOverrideCursor();
  ReportSave(this, saved, name);
}

void TFrmMain::mnuT_wnlClick() {
  // The panel's date, its year from the up-down control.
  DateTime date{static_cast<int16_t>(UpDyear->position() + kInputFirstYear),
                static_cast<int16_t>(cbom->currentIndex() + 1),
                static_cast<int16_t>(cbod->currentIndex() + 1),
                static_cast<int16_t>(cbos->currentIndex()),
                static_cast<int16_t>(cbomin->currentIndex())};
  // A lunar date opens the calendar on its civil day; a day its month does
  // not have, on the month's first day; a date the calendar does not hold,
  // on the numbers as entered.
  if (Rdonl->isChecked()) {
    calendar::MYiDateEx& service = CalendarDateService();
    DateTime civil;
    std::string message;
    DateTime lunar = date;
    bool found = service.LunarToSolar(lunar, Chkrun->isChecked(), civil, message);
    if (!found) {
      lunar.day = 1;
      found = service.LunarToSolar(lunar, Chkrun->isChecked(), civil, message);
    }
    if (found) date = civil;
  }
  ShowCalendarWindow(this, FrmWnl, date);
}

}  // namespace lumtar
