// Shows every message box a log of AnsweredBoxes holds (LUMTAR_BOX_LOG, see
// answeredboxes.h), each once, as the program shows it, and saves them on
// pictures of 1280 × 900 for a person to read; with LUMTAR_TRADITIONAL=1 in
// traditional characters. Run the window tests with the log set first:
//
//   LUMTAR_BOX_LOG=/tmp/boxes.log QT_QPA_PLATFORM=offscreen ctest --test-dir build -j1 -R _ui
//   LUMTAR_TRADITIONAL=1 xvfb-run -a build/tests/app/msgbox_preview /tmp/boxes.log /tmp/shots/boxes
//
// writes /tmp/shots/boxes-1.png, boxes-2.png … With --help-text it prints
// the two help pages' text as shown instead (LOG not read).
#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QSet>
#include <QTextBrowser>
#include <QTextDocument>

#include <cstdio>
#include <vector>

#include "frmtxthelp.h"
#include "msgbox.h"
#include "scriptui.h"
#include "widgets.h"

using namespace lumtar;

namespace {

QString Unescaped(const QString& t) {
  QString out;
  for (qsizetype i = 0; i < t.size(); ++i) {
    if (t[i] != QLatin1Char('\\') || i + 1 == t.size()) {
      out += t[i];
      continue;
    }
    const QChar c = t[++i];
    out += c == QLatin1Char('t') ? QChar('\t') : c == QLatin1Char('r') ? QChar('\r') : c == QLatin1Char('n') ? QChar('\n') : c;
  }
  return out;
}

std::vector<MsgRequest> ReadLog(const QString& path) {
  std::vector<MsgRequest> boxes;
  QFile log(path);
  if (!log.open(QIODevice::ReadOnly | QIODevice::Text)) return boxes;
  QSet<QString> seen;
  while (!log.atEnd()) {
    const QString line = QString::fromUtf8(log.readLine()).chopped(1);
    const QStringList f = line.split(QLatin1Char('\t'));
    if (f.size() != 4 || seen.contains(f[2] + f[3])) continue;
    seen.insert(f[2] + f[3]);
    MsgRequest r;
    r.icon = static_cast<MsgIcon>(f[0].toInt());
    r.buttons = static_cast<MsgButtons>(f[1].toInt());
    r.caption = Unescaped(f[2]);
    r.text = Unescaped(f[3]);
    boxes.push_back(r);
  }
  return boxes;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  InstallFontSubstitutions();
  QApplication::setFont(SongTiPixelFont(14));
  if (qEnvironmentVariableIntValue("LUMTAR_TRADITIONAL") == 1) ApplyScript(Script::Traditional);
  if (argc == 2 && QByteArray(argv[1]) == "--help-text") {
    for (const QString& page : {HelpUsageText(), HelpHistoryText()}) {
      QTextDocument doc;
      doc.setHtml(ShownText(page));
      std::printf("%s\n\n", doc.toPlainText().toUtf8().constData());
    }
    return 0;
  }
  if (argc != 3) {
    std::fprintf(stderr, "usage: msgbox_preview LOG OUTPREFIX | msgbox_preview --help-text\n");
    return 2;
  }
  const std::vector<MsgRequest> boxes = ReadLog(QString::fromLocal8Bit(argv[1]));
  const QString prefix = QString::fromLocal8Bit(argv[2]);
  const QSize pageSize(1280, 900);
  QPixmap page(pageSize);
  int pageNo = 0, x = 0, y = 0, rowHeight = 0;
  auto savePage = [&] {
    page.save(QStringLiteral("%1-%2.png").arg(prefix).arg(++pageNo));
    page.fill(Qt::darkGray);
    x = y = rowHeight = 0;
  };
  page.fill(Qt::darkGray);
  for (const MsgRequest& r : boxes) {
    const std::unique_ptr<QMessageBox> box = BuildMessageBox(r);
    box->show();
    QApplication::processEvents();
    // The caption is the window manager's: drawn here above the box.
    const QPixmap shot = box->grab();
    const int w = std::min(shot.width(), pageSize.width()), h = std::min(shot.height() + 20, pageSize.height());
    box->hide();
    if (x + w > pageSize.width()) {
      x = 0;
      y += rowHeight + 6;
      rowHeight = 0;
    }
    if (y + h > pageSize.height()) savePage();
    QPainter p(&page);
    p.fillRect(x, y, w, 20, Qt::white);
    p.drawText(QRect(x + 4, y, w - 8, 20), Qt::AlignVCenter, box->windowTitle());
    p.drawPixmap(x, y + 20, shot);
    x += w + 6;
    rowHeight = std::max(rowHeight, h);
  }
  if (x > 0 || y > 0) savePage();
  std::printf("%zu boxes on %d pictures\n", boxes.size(), pageNo);
  return 0;
}
