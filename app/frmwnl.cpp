#include "frmwnl.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <cmath>
#include <utility>

#include "calendarservices.h"
#include "msgbox.h"
#include "scriptui.h"
#include "widgets.h"

namespace lumtar {
namespace {

using calendar::kEndOfTermsYear;

constexpr int kClientWidth = 542;
constexpr int kClientHeight = 413;
constexpr int kPictureWidth = 450;
constexpr int kPictureHeight = 330;
constexpr int kMinYear = -4713;  // historical
constexpr int kMaxYear = 9999;
constexpr int kNoTermDay = -100;
constexpr int kYearTermsExamined = 30;
// Pixels kept free between a cell's labels and its grid lines.
constexpr int kCellPadding = 3;

const QColor kBackColour(255, 255, 200);
const QColor kHeaderGreen(0, 128, 0);
const QColor kDayBlue(0, 0, 255);
const QColor kTermRed(255, 0, 0);
// The active-border colour of the system the program was made for; the
// marker's border is masked with it.
const QColor kActiveBorder(180, 180, 180);

const char* const kWeekdayNames[7] = {"一", "二", "三", "四", "五", "六", "日"};

bool IsOctober1582(int year, int month) { return year == 1582 && month == 10; }

// Text on the grid canvas in 宋体 at a Windows point size (96 dpi). 宋体
// lays a line out in exactly one em; the face standing in for it has
// taller line metrics, so texts are measured and placed by their em box
// to keep the grid's layout.
class GridCanvas {
 public:
  explicit GridCanvas(QPainter& p) : p_(p) {}

  void SetFont(int points, const QColor& colour) {
    pixels_ = (points * 96 + 36) / 72;
    QFont f = SongTiPixelFont(pixels_);
    p_.setFont(f);
    p_.setPen(colour);
  }
  void SetColour(const QColor& colour) { p_.setPen(colour); }
  QColor Colour() const { return p_.pen().color(); }
  int TextWidth(const QString& text) const { return p_.fontMetrics().horizontalAdvance(text); }
  int TextHeight() const { return pixels_; }
  // Writes the text with its em box's top left corner at (x, y).
  void TextOut(int x, int y, const QString& text) {
    p_.drawText(x, y + static_cast<int>(std::lround(0.88 * pixels_)), text);
  }
  // Writes the text centred across the cell from `cellX`, `cellWidth`
  // wide, with its em box's top at y. A text wider than the cell's room
  // inside its padding is drawn condensed to that room, at its own height.
  // Returns the horizontal scale it was drawn at.
  double TextOutCentred(int cellX, int cellWidth, int y, const QString& text) {
    const int room = cellWidth - 2 * kCellPadding;
    const int width = TextWidth(text);
    if (width <= room) {
      TextOut(cellX + (cellWidth - width) / 2, y, text);
      return 1;
    }
    const double scale = static_cast<double>(room) / width;
    p_.save();
    p_.translate(cellX + kCellPadding, 0);
    p_.scale(scale, 1);
    TextOut(0, y, text);
    p_.restore();
    return scale;
  }
  // Lines one pixel of the screen wide, whatever its density.
  void Line(int x0, int y0, int x1, int y1) {
    const QPen keep = p_.pen();
    p_.setPen(QPen(Qt::black, 0));
    p_.drawLine(x0, y0, x1, y1);
    p_.setPen(keep);
  }

 private:
  QPainter& p_;
  int pixels_ = 12;
};

QToolButton* MakeButton(QWidget* parent, QStyle::StandardPixmap icon, const QString& hint) {
  auto* b = new QToolButton(parent);
  b->setIcon(parent->style()->standardIcon(icon));
  b->setToolTip(hint);
  b->setFocusPolicy(Qt::TabFocus);
  return b;
}

}  // namespace

// ---------------------------------------------------------------- pieces

CalendarPicture::CalendarPicture(int width, int height, QWidget* parent)
    : QWidget(parent), canvas_(width, height, QImage::Format_RGB32) {
  canvas_.fill(kBackColour);
  setFixedSize(width, height);
  setCursor(Qt::PointingHandCursor);
}

void CalendarPicture::MatchScreen() {
  const double dpr = std::max(1.0, devicePixelRatioF());
  if (canvas_.devicePixelRatio() == dpr) return;
  canvas_ = QImage(static_cast<int>(std::ceil(width() * dpr)), static_cast<int>(std::ceil(height() * dpr)),
                   QImage::Format_RGB32);
  canvas_.setDevicePixelRatio(dpr);
  canvas_.fill(kBackColour);
}

void CalendarPicture::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.drawImage(0, 0, canvas_);
  if (onDensityChange && canvas_.devicePixelRatio() != std::max(1.0, devicePixelRatioF()))
    QTimer::singleShot(0, this, [this] {
      if (onDensityChange && canvas_.devicePixelRatio() != std::max(1.0, devicePixelRatioF())) onDensityChange();
    });
}

void CalendarPicture::mousePressEvent(QMouseEvent* event) {
  if (onMouseDown) {
    const QPoint at = event->position().toPoint();
    onMouseDown(event->button(), at.x(), at.y());
  }
}

DayMarker::DayMarker(const CalendarPicture* picture, QWidget* parent)
    : QWidget(parent), picture_(picture) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
}

QImage DayMarker::Composed() const {
  const QPoint at = geometry().topLeft() - picture_->geometry().topLeft();
  const QImage& canvas = picture_->Canvas();
  const double dpr = canvas.devicePixelRatio();
  QImage out(static_cast<int>(std::ceil(width() * dpr)), static_cast<int>(std::ceil(height() * dpr)),
             QImage::Format_RGB32);
  out.setDevicePixelRatio(dpr);
  out.fill(kBackColour);
  QPainter p(&out);
  p.drawImage(QRectF(0, 0, width(), height()), canvas,
              QRectF(at.x() * dpr, at.y() * dpr, width() * dpr, height() * dpr));
  // Multiplying is the AND of the mask pen mode carried over to smoothed
  // text: ink keeps its share of darkness instead of dropping out.
  p.setCompositionMode(QPainter::CompositionMode_Multiply);
  p.fillRect(QRect(3, 3, width() - 6, height() - 6), kHeaderGreen);
  QPen border(kActiveBorder, 3, Qt::DashLine, Qt::FlatCap, Qt::MiterJoin);
  p.setPen(border);
  p.setBrush(Qt::NoBrush);
  p.drawRect(QRectF(1.5, 1.5, width() - 3, height() - 3));
  return out;
}

void DayMarker::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.drawImage(0, 0, Composed());
}

// ---------------------------------------------------------------- window

TFrmWnl::TFrmWnl(QWidget* owner)
    : QWidget(owner, Qt::Window | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint |
                         Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint) {
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(QStringLiteral("Vennix万年历"));
  setFont(SongTiPixelFont(12));
  setFixedSize(kClientWidth, kClientHeight);
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, kBackColour);
  setPalette(pal);

  labxiao = new QLineEdit(this);
  labxiao->setReadOnly(true);
  labxiao->setFocusPolicy(Qt::NoFocus);
  labxiao->setStyleSheet(QStringLiteral(
      "QLineEdit { background-color: rgb(192,192,192); color: rgb(0,0,255); font-weight: bold; "
      "font-size: 16px; }"));
  labxiao->setGeometry(0, 0, kClientWidth, 26);

  BitBtn2 = MakeButton(this, QStyle::SP_ArrowLeft, QStringLiteral("上一月"));
  labtitle = new QLabel(this);
  labtitle->setAlignment(Qt::AlignCenter);
  // Black like the grid's lines: the window's pale yellow stays in every
  // look, whatever colour a skin gives window texts.
  labtitle->setStyleSheet(QStringLiteral("QLabel { font-weight: bold; font-size: 16px; color: rgb(0,0,0); }"));
  BitBtn1 = MakeButton(this, QStyle::SP_ArrowRight, QStringLiteral("下一月"));
  sbtnnow = MakeButton(this, QStyle::SP_BrowserReload, QStringLiteral("当前时间"));
  sbtnnow->setAutoRaise(true);
  EdtYear = new QLineEdit(this);
  EdtYear->setMaxLength(5);
  EdtYear->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  EdtYear->setStyleSheet(QStringLiteral("QLineEdit { font-weight: bold; }"));
  UdYear = new UpDown(this);
  UdYear->setRange(AstronomicalYear(kMinYear), kMaxYear);

  cbom = new QComboBox(this);
  cbod = new QComboBox(this);
  cbos = new QComboBox(this);
  cbomin = new QComboBox(this);
  for (QComboBox* c : {cbom, cbod, cbos, cbomin}) {
    // A list popup of a fixed number of rows, as in every look.
    c->setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; }"));
    c->setMaxVisibleItems(12);
  }

  Img1 = new CalendarPicture(kPictureWidth, kPictureHeight, this);
  Shape1 = new DayMarker(Img1, this);
  Shape1->hide();

  memjie1 = new QPlainTextEdit(this);
  memgz = new QPlainTextEdit(this);
  memjie1->setStyleSheet(QStringLiteral("QPlainTextEdit { color: rgb(255,0,0); }"));
  memgz->setStyleSheet(QStringLiteral("QPlainTextEdit { color: rgb(0,0,255); font-size: 15px; }"));
  for (QPlainTextEdit* m : {memjie1, memgz}) {
    m->setReadOnly(true);
    m->document()->setDocumentMargin(2);
  }
  // A term and its moment on one line (FitTermBox), never broken.
  memjie1->setLineWrapMode(QPlainTextEdit::NoWrap);
  memjie1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

  // Layout: the era line across the top; below it the buttons, the title,
  // the year and the four lists in one row; the grid on the left and the
  // two memos on the right.
  constexpr int kRow = 34;
  constexpr int kRowHeight = 28;
  constexpr int kGridTop = 70;
  constexpr int kRight = 456;
  constexpr int kRightWidth = kClientWidth - kRight - 2;
  BitBtn2->setGeometry(2, kRow, 28, kRowHeight);
  labtitle->setGeometry(32, kRow, 116, kRowHeight);
  BitBtn1->setGeometry(150, kRow, 28, kRowHeight);
  sbtnnow->setGeometry(180, kRow, 28, kRowHeight);
  EdtYear->setGeometry(214, kRow + 2, 56, kRowHeight - 4);
  UdYear->setGeometry(270, kRow + 2, 16, kRowHeight - 4);
  int x = 290;
  for (QComboBox* c : {cbom, cbod, cbos, cbomin}) {
    c->setGeometry(x, kRow + 2, c == cbom || c == cbod ? 60 : 62, kRowHeight - 4);
    x += c->width() + 2;
  }
  memjie1->setGeometry(kRight, kGridTop, kRightWidth, 200);
  memgz->setGeometry(kRight, kGridTop + 204, kRightWidth, kPictureHeight - 204);
  Img1->move(2, kGridTop);

  connect(BitBtn2, &QToolButton::clicked, this, [this] { BitBtn2Click(); });
  connect(BitBtn1, &QToolButton::clicked, this, [this] { BitBtn1Click(); });
  connect(sbtnnow, &QToolButton::clicked, this, [this] { sbtnnowClick(); });
  connect(UdYear, &UpDown::clicked, this, [this] { UdYearClick(); });
  connect(EdtYear, &QLineEdit::returnPressed, this, [this] { EdtYearKeyPress(Qt::Key_Return); });
  // activated: only what the user chooses, as list positions set by the
  // program do not redraw.
  connect(cbom, &QComboBox::activated, this, [this] { cbomChange(); });
  connect(cbod, &QComboBox::activated, this, [this] { cbodChange(); });
  connect(cbos, &QComboBox::activated, this, [this] { cbosChange(); });
  connect(cbomin, &QComboBox::activated, this, [this] { cbominChange(); });
  Img1->onMouseDown = [this](Qt::MouseButton b, int x, int y) { Img1MouseDown(b, x, y); };
  // Drawn again on a screen of another density, as long as the controls
  // still show the month drawn (a year typed without Enter waits).
  Img1->onDensityChange = [this] {
    if (daysInMonth > 0 && YearBoxValue(0) == HistoricalYear(selected.year)) DrawMonth();
  };

  FillLists();
  for (SolarTermEntry& t : monthTerms) t.moment.day = kNoTermDay;
  yearTerms.resize(1);
  yearTerms[0].moment.year = kEndOfTermsYear;
}

TFrmWnl::~TFrmWnl() = default;

void TFrmWnl::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (centred_) return;
  centred_ = true;
  if (QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());
}

void TFrmWnl::closeEvent(QCloseEvent* event) {
  FormClose();
  event->accept();
}

// Deleted once closed (WA_DeleteOnClose), which empties the main window's
// holder; the next "万年历" makes a new window.
void TFrmWnl::FormClose() {}

void TFrmWnl::SetListPosition(QComboBox* list, int position) {
  if (position < 0) position = 0;
  if (position >= list->count()) position = list->count() - 1;
  list->setCurrentIndex(position);
}

int TFrmWnl::YearBoxValue(int fallback) const {
  bool ok = false;
  const int value = EdtYear->text().trimmed().toInt(&ok);
  return ok ? value : fallback;
}

void TFrmWnl::SetYear(int historical) {
  EdtYear->setText(QString::number(historical));
  UdYear->setPosition(AstronomicalYear(historical));
}

void TFrmWnl::FillLists() {
  QStringList hours;
  for (int h = 0; h < 24; ++h) hours << QString::number(h) + QStringLiteral("时");
  const std::pair<QComboBox*, QStringList> lists[] = {
      {cbom, MonthItems()}, {cbod, DayItems()}, {cbos, hours}, {cbomin, MinuteItems()}};
  for (const auto& [list, items] : lists) {
    list->clear();
    list->addItems(items);
  }
  ShowEntriesInScript(cbos);
}

bool TFrmWnl::CheckYear(int historical) {
  if (historical != 0 && historical >= kMinYear && historical <= kMaxYear) return true;
  ShowMessage(this, QStringLiteral("年份在-4713 到 9999年之间，并且没有公元0年"),
              QStringLiteral("年份不对"), MsgIcon::Error);
  return false;
}

void TFrmWnl::ShowDate(const DateTime& date) {
  // A year the window cannot show is refused before anything changes.
  if (!CheckYear(date.year)) return;
  FillLists();

  DateTime shown = date;
  DateTime check = date;
  check.year = static_cast<int16_t>(AstronomicalYear(date.year));
  if (DaysInMonth(check) == 0) shown.day = 15;

  SetYear(shown.year);
  SetListPosition(cbom, shown.month - 1);
  SetListPosition(cbod, shown.day - 1);
  SetListPosition(cbos, shown.hour);
  SetListPosition(cbomin, shown.minute);
  LoadYearTerms();
  DrawMonth();
}

void TFrmWnl::LoadYearTerms() {
  const int year = YearBoxValue(1900);
  termsYear_ = AstronomicalYear(year);
  termsLoaded_ = true;
  yearTerms.clear();
  // A year the window refuses to draw has no terms to show.
  if (year != 0 && year >= kMinYear && year <= kMaxYear)
    yearTerms = CalendarDateService().YearSolarTerms(termsYear_);
  if (yearTerms.empty() || yearTerms.back().moment.year != kEndOfTermsYear) {
    SolarTermEntry end;
    end.moment.year = kEndOfTermsYear;
    yearTerms.push_back(end);
  }
}

int TFrmWnl::DaysInMonth(const DateTime& t) {
  calendar::MYiDateEx& date = CalendarDateService();
  if (!date.IsValidSolarDate(t)) return 0;
  // The last day that exists; October 1582 lost ten days in its middle.
  int last = 31;
  while (last > 28 && !date.IsValidSolarDate({t.year, t.month, static_cast<int16_t>(last), 12, 1})) --last;
  return IsOctober1582(t.year, t.month) ? last - 10 : last;
}

void TFrmWnl::DrawMonth() {
  const int year = YearBoxValue(0);
  if (!CheckYear(year)) return;
  const DateTime moment{static_cast<int16_t>(AstronomicalYear(year)),
                        static_cast<int16_t>(cbom->currentIndex() + 1),
                        static_cast<int16_t>(cbod->currentIndex() + 1),
                        static_cast<int16_t>(cbos->currentIndex()),
                        static_cast<int16_t>(cbomin->currentIndex())};
  const int n = DaysInMonth(moment);
  if (n == 0) {
    ShowMessage(this, QStringLiteral("不存在这个日期，请重新输入！"), QStringLiteral("日期不对"),
                MsgIcon::Information);
    return;
  }
  selected = moment;
  daysInMonth = static_cast<int16_t>(n);
  UdYear->setPosition(selected.year);
  // A year typed without Enter still gets its own terms.
  if (!termsLoaded_ || termsYear_ != selected.year) LoadYearTerms();

  calendar::MYiDateEx& date = CalendarDateService();
  Img1->MatchScreen();
  QImage& image = Img1->Canvas();
  const int W = Img1->width();  // picture pixels, whatever the canvas's density
  const int H = Img1->height();
  const int w = W / 7;
  const int h = H / 7;
  Shape1->resize(w, h);

  QPainter p(&image);
  p.setRenderHint(QPainter::TextAntialiasing);
  p.setPen(QPen(Qt::black, 0));
  p.setBrush(kBackColour);
  p.drawRect(0, 0, W - 1, H - 1);
  p.setBrush(Qt::NoBrush);

  GridCanvas c(p);
  c.SetFont(13, kHeaderGreen);
  auto header = [&](int column) {
    const QString text = QStringLiteral("星期") + QString::fromUtf8(kWeekdayNames[column]);
    c.TextOut(column * w + (w - c.TextWidth(text)) / 2, (h - c.TextHeight()) / 2, text);
  };
  for (int i = 1; i <= 6; ++i) {
    if (i == 6) c.SetColour(kTermRed);
    c.Line(0, i * h, W, i * h);
    c.Line(i * w, 0, i * w, H);
    header(i - 1);
  }
  header(6);

  // The month's terms, at most three, in order.
  for (SolarTermEntry& t : monthTerms) {
    t = SolarTermEntry{};
    t.moment.day = kNoTermDay;
  }
  QString termText;
  int slot = 0;
  for (size_t i = 0; i < yearTerms.size() && i < kYearTermsExamined && slot < 3; ++i) {
    const SolarTermEntry& e = yearTerms[i];
    if (e.moment.year == kEndOfTermsYear) break;
    if (e.moment.month != selected.month || e.index < 0 || e.index > 23) continue;
    monthTerms[slot++] = e;
    termText += QStringLiteral("%1:%2日%3时%4分\n\n")
                    .arg(QString::fromUtf8(calendar::kSolarTermNames[e.index]))
                    .arg(e.moment.day)
                    .arg(e.moment.hour)
                    .arg(e.moment.minute);
  }
  memjie1->setPlainText(ShownText(termText));
  FitTermBox();

  const bool october1582 = IsOctober1582(selected.year, selected.month);
  firstColumn = static_cast<int16_t>(
      (date.WeekdayOf({selected.year, selected.month, 1, 12, 1}) + 6) % 7);
  int x = firstColumn * w;
  int y = h;
  drawnCells.clear();
  for (int j = 1; j <= n; ++j) {
    GridCell cell;
    cell.at = QPoint(x, y);
    const int d = october1582 && j >= 5 ? j + 10 : j;
    QString label = QString::number(d);
    const SolarTermEntry* term = nullptr;
    for (const SolarTermEntry& t : monthTerms)
      if (t.moment.day == d) {
        term = &t;
        break;
      }
    cell.dayPoints = term ? 10 : 14;
    if (term) {
      c.SetFont(cell.dayPoints, kTermRed);
      label += QLatin1Char(' ') + QString::fromUtf8(InScript(calendar::kSolarTermNames[term->index]));
    } else {
      c.SetFont(cell.dayPoints, kDayBlue);
    }
    c.TextOutCentred(x, w, y + (h / 2 - c.TextHeight()) / 2, label);

    const QColor colour = c.Colour();
    cell.lunarPoints = 9;
    c.SetFont(cell.lunarPoints, colour);
    const bool leap = date.SolarToLunar(
        {selected.year, selected.month, static_cast<int16_t>(d), selected.hour, selected.minute},
        cellLunar);
    const QString lunar = QString::fromStdString(calendar::LunarMonthText(cellLunar.month, leap) +
                                                 calendar::LunarDayText(cellLunar.day));
    // More than five characters (ten bytes on disk) go one size smaller.
    if (lunar.size() > 5) {
      cell.lunarPoints = 8;
      c.SetFont(cell.lunarPoints, colour);
    }
    cell.lunarScale = c.TextOutCentred(x, w, y + h / 2 + (h / 2 - c.TextHeight()) / 2, lunar);
    cell.dayLabel = label;
    cell.lunarLabel = lunar;
    cell.colour = colour;
    drawnCells.push_back(cell);

    if (d == selected.day) Shape1->move(Img1->x() + x, Img1->y() + y);
    x += w;
    if (x >= W - w) {
      x = 0;
      y += h;
    }
  }
  p.end();
  Img1->update();
  Shape1->show();
  Shape1->raise();
  Shape1->update();

  ShowPillars();
}

void TFrmWnl::FitTermBox() {
  // The room for a line: the box inside its frame and the document's
  // margins, a pixel spare for the cursor.
  const int room = memjie1->width() - 2 * memjie1->frameWidth() -
                   2 * static_cast<int>(std::ceil(memjie1->document()->documentMargin())) - 1;
  QFont f = font();
  auto widest = [this](const QFont& candidate) {
    const QFontMetrics fm(candidate);
    int most = 0;
    for (const QString& line : memjie1->toPlainText().split(QLatin1Char('\n')))
      most = std::max(most, fm.horizontalAdvance(line));
    return most;
  };
  // The window's own font where the lines fit; narrowed (its height kept)
  // where one would not.
  for (int stretch = 100; stretch >= 50; stretch -= 2) {
    f.setStretch(stretch);
    if (widest(f) <= room) break;
  }
  memjie1->setFont(f);
}

void TFrmWnl::ShowPillars() {
  using calendar::kBranchNames;
  using calendar::kStemNames;
  labtitle->setText(ShownText(QStringLiteral("%1年%2月").arg(HistoricalYear(selected.year)).arg(selected.month)));

  calendar::MYiDateEx& date = CalendarDateService();
  const calendar::FourPillarIndexes pillars = date.FourPillars(selected, selected);
  // The pillar year is the civil year, or the one before until 立春.
  const int pillarYear =
      ((selected.year + 6897) % 60 + 60) % 60 == pillars.year ? selected.year : selected.year - 1;
  labxiao->setText(QString::fromStdString(CalendarEraService().EraNamesOfYear(pillarYear)) +
                   ShownText(QStringLiteral("  【%1年】").arg(QString::fromUtf8(calendar::kAnimalNames[pillars.year % 12]))));
  labxiao->setCursorPosition(0);

  auto name = [](int index) {
    return QString::fromUtf8(kStemNames[index % 10]) + QString::fromUtf8(kBranchNames[index % 12]);
  };
  memgz->setPlainText(ShownText(name(pillars.year) + QStringLiteral("年\n") + name(pillars.month) +
                                QStringLiteral("月\n") + name(pillars.day) + QStringLiteral("日\n") +
                                name(pillars.hour) + QStringLiteral("时")));
}

// ---------------------------------------------------------------- events

void TFrmWnl::UdYearClick() {
  EdtYear->setText(QString::number(HistoricalYear(UdYear->position())));
  LoadYearTerms();
  DrawMonth();
}

void TFrmWnl::StepMonth(bool forward) {
  const int year = YearBoxValue(1900);
  int m = cbom->currentIndex();
  if (forward) {
    if (year == kMaxYear && m == 11) return;
    if (m == 11) {
      SetYear(year == -1 ? 1 : year + 1);
      LoadYearTerms();
      m = -1;
    }
    ++m;
  } else {
    if (year == kMinYear && m == 0) return;
    if (m == 0) {
      SetYear(year == 1 ? -1 : year - 1);
      LoadYearTerms();
      m = 12;
    }
    --m;
  }
  SetListPosition(cbom, m);
  SetListPosition(cbod, 0);
  DrawMonth();
}

void TFrmWnl::BitBtn2Click() { StepMonth(false); }
void TFrmWnl::BitBtn1Click() { StepMonth(true); }

void TFrmWnl::sbtnnowClick() {
  const QDateTime now = clock();
  const QDate day = now.date();
  const QTime time = now.time();
  // QDate counts years as the year box does: no year 0.
  if (!day.isValid() || day.year() < kMinYear || day.year() > kMaxYear) return;
  SetYear(day.year());
  SetListPosition(cbom, day.month() - 1);
  SetListPosition(cbod, day.day() - 1);
  SetListPosition(cbos, time.hour());
  SetListPosition(cbomin, time.minute());
  LoadYearTerms();
  DrawMonth();
}

void TFrmWnl::EdtYearKeyPress(int key) {
  if (key != Qt::Key_Return && key != Qt::Key_Enter) return;
  const int year = YearBoxValue(0);
  if (year == 0 || year < kMinYear || year > kMaxYear) {
    ShowMessage(this, QStringLiteral("年份在-4713 到 9999之间"), QStringLiteral("错误"), MsgIcon::Error);
    EdtYear->setFocus();
    return;
  }
  LoadYearTerms();
  DrawMonth();
}

void TFrmWnl::cbomChange() { DrawMonth(); }
void TFrmWnl::cbodChange() { DrawMonth(); }
void TFrmWnl::cbosChange() { DrawMonth(); }
void TFrmWnl::cbominChange() { DrawMonth(); }

void TFrmWnl::Img1MouseDown(Qt::MouseButton button, int x, int y) {
  if (button != Qt::LeftButton) return;
  const int w = Img1->width() / 7;
  const int h = Img1->height() / 7;
  // The few pixels right of and below the seven columns and rows are no cell.
  if (x < 0 || y < 0 || x / w >= 7 || y / h >= 7) return;
  const int cell = (y / h) * 7 + x / w - 7;
  if (cell < firstColumn || cell >= firstColumn + daysInMonth) return;
  int position = cell - firstColumn;
  if (IsOctober1582(selected.year, selected.month) && position >= 4) position += 10;
  SetListPosition(cbod, position);
  DrawMonth();
}

// ---------------------------------------------------------------- main window

TFrmWnl* ShowCalendarWindow(QWidget* owner, QPointer<QWidget>& holder, const DateTime& date) {
  auto* window = qobject_cast<TFrmWnl*>(holder.data());
  if (!window) {
    window = new TFrmWnl(owner);
    holder = window;
  }
  window->ShowDate(date);
  window->show();
  window->raise();
  window->activateWindow();
  return window;
}

}  // namespace lumtar
