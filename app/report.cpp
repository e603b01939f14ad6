#include "report.h"

#include <QBuffer>
#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTextCursor>
#include <QTextDocument>

#include <memory>
#include <vector>

#include "chartheader.h"
#include "files.h"
#include "pdftext.h"
#include "vovirer.h"
#include "widgets.h"

namespace lumtar {
namespace {

constexpr int kReportDpi = 1200;
// Page margins around the body, and the bands of the head and the foot.
constexpr double kSideMm = 15;
constexpr double kTopMm = 22;
constexpr double kBottomMm = 18;
constexpr double kHeadTopMm = 8;
constexpr double kFootMm = 9;  // from the page's bottom to the footer's baseline
constexpr double kHeadPoints = 8;

double Px(double mm) { return mm / 25.4 * kReportDpi; }

bool HasText(const QTextDocument* doc) { return doc && !doc->toPlainText().trimmed().isEmpty(); }

QString Utf8(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// One page of the report: the chart, or a page of a document.
struct Page {
  const PagedDocument* document = nullptr;  // null: the chart page
  int index = 0;
};

void PaintHeadAndFoot(QPainter& p, const ChartReport& report, QSizeF page, int number, int count) {
  QFont font(QString::fromLatin1(kSongTiFamily));
  font.setPointSizeF(kHeadPoints);
  font.setStyleStrategy(QFont::PreferNoShaping);  // every glyph one the text layer names
  p.setFont(font);
  p.setPen(Qt::black);
  const QFontMetricsF fm(font, p.device());
  const double left = Px(kSideMm);
  const double width = page.width() - 2 * left;
  double y = Px(kHeadTopMm) + fm.ascent();
  for (const QString& line : report.header) {
    p.drawText(QPointF(left, y), fm.elidedText(line, Qt::ElideRight, width));
    y += fm.lineSpacing();
  }
  const double rule = y - fm.ascent() + fm.descent() + Px(1);
  p.setPen(QPen(Qt::black, Px(0.2)));
  p.drawLine(QPointF(left, rule), QPointF(left + width, rule));

  p.setPen(Qt::black);
  const QString foot = QStringLiteral("第%1页  共%2页").arg(number).arg(count);
  p.drawText(QPointF(left + (width - fm.horizontalAdvance(foot)) / 2, page.height() - Px(kFootMm)), foot);
}

// A copy of the comment with its heading on a line of its own above it, in
// the comment's own font, bold, and an empty line below.
std::unique_ptr<QTextDocument> UnderHeading(const QTextDocument& comment, const QString& heading) {
  std::unique_ptr<QTextDocument> doc(comment.clone());
  QTextCursor c(doc.get());
  c.movePosition(QTextCursor::Start);
  QTextCharFormat bold = c.charFormat();
  bold.setFontWeight(QFont::Bold);
  c.insertBlock();
  c.insertBlock();
  c.movePosition(QTextCursor::Start);
  c.insertText(heading, bold);
  return doc;
}

}  // namespace

QStringList ReportHeader(CVoVirer& engine) {
  QString name, pillars, entered, zone, place;
  int birth = 0, pillar = 0;
  for (const HeaderLine& l : HeaderLines(engine)) {
    if (l.block == HeaderBlock::Pillars) {
      if (pillar == 0) name = Utf8(l.text);
      if (pillar == 1) pillars = Utf8(l.text);
      ++pillar;
    } else if (l.block == HeaderBlock::Birth) {
      if (birth == 1) zone = Utf8(l.text);
      if (birth == 3) place = Utf8(l.text);
      if (birth == 4) entered = Utf8(l.text);
      ++birth;
    }
  }
  const QString gap = QStringLiteral("    ");
  return {name + gap + pillars, entered + gap + zone + gap + place};
}

QByteArray ReportPdf(const ChartReport& report) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  {
    QPdfWriter writer(&buffer);
    writer.setResolution(kReportDpi);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    const QSizeF page(writer.width(), writer.height());
    const QRectF body(Px(kSideMm), Px(kTopMm), page.width() - 2 * Px(kSideMm),
                      page.height() - Px(kTopMm) - Px(kBottomMm));
    const QPointF dpi(writer.logicalDpiX(), writer.logicalDpiY());

    std::vector<std::unique_ptr<PagedDocument>> documents;
    std::vector<Page> pages{Page{}};
    const std::unique_ptr<QTextDocument> comment = HasText(report.comment) ? UnderHeading(*report.comment, report.commentHeading)
                                                                           : nullptr;
    for (const QTextDocument* doc : {report.analysis, static_cast<const QTextDocument*>(comment.get())}) {
      if (!HasText(doc)) continue;
      documents.push_back(std::make_unique<PagedDocument>(*doc, body.size(), dpi));
      for (int i = 0; i < documents.back()->PageCount(); ++i) pages.push_back(Page{documents.back().get(), i});
    }

    QPainter p;
    if (!p.begin(&writer)) return {};
    const int count = static_cast<int>(pages.size());
    for (int n = 0; n < count; ++n) {
      if (n > 0 && !writer.newPage()) return {};
      PaintHeadAndFoot(p, report, page, n + 1, count);
      p.save();
      p.translate(body.topLeft());
      p.setClipRect(QRectF(QPointF(0, 0), body.size()));
      if (pages[n].document)
        pages[n].document->PaintPage(&p, pages[n].index);
      else
        DrawChartPage(&p, static_cast<int>(body.width()), static_cast<int>(body.height()), report.picture,
                      report.chart);
      p.restore();
    }
    if (!p.end()) return {};
  }
  if (!MendPdfText(&bytes, PdfInfo{report.title, QString(), report.subject, QStringLiteral("Lumtar")})) return {};
  return bytes;
}

bool SaveReportPdf(const ChartReport& report, const std::filesystem::path& path) {
  const QByteArray bytes = ReportPdf(report);
  if (bytes.isEmpty()) return false;
  return WriteWholeFileAtomic(path, bytes.toStdString());
}

}  // namespace lumtar
