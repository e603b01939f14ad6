// The perpetual calendar "Vennix万年历": one month of any year from 4713 BC
// to AD 9999 as a grid of days with their lunar dates and solar terms, the
// month's terms with their moments, the reign eras of the year and the four
// pillars of the selected moment. Modeless; the main window holds at most
// one and hands it the date of the input panel.
//
// The year box shows historical years (no year 0: ..., -2, -1, 1, 2, ...);
// everything else, the selected moment, the up-down control and every call
// to the date service, uses astronomical years (-1 is 0, -4713 is -4712).
#pragma once

#include <QColor>
#include <QDateTime>
#include <QImage>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>
#include <vector>

#include "dateinputs.h"
#include "yidateex.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QToolButton;

namespace lumtar {

using calendar::DateTime;
using calendar::SolarTermEntry;

// Historical (no year 0) <-> astronomical year numbers.
inline int AstronomicalYear(int historical) { return historical < 0 ? historical + 1 : historical; }
inline int HistoricalYear(int astronomical) { return astronomical <= 0 ? astronomical - 1 : astronomical; }

// The grid picture: a canvas of its own size, shown as it is, with a hand
// cursor; mouse presses go to onMouseDown. The canvas has the density of the
// screen the picture is on (its device pixel ratio), so it is drawn in the
// picture's own pixels and shown sharp.
class CalendarPicture : public QWidget {
 public:
  CalendarPicture(int width, int height, QWidget* parent);
  QImage& Canvas() { return canvas_; }
  const QImage& Canvas() const { return canvas_; }
  // Gives the canvas the screen's density before it is drawn.
  void MatchScreen();
  std::function<void(Qt::MouseButton, int x, int y)> onMouseDown;
  // The picture came onto a screen of another density: draw it again.
  std::function<void()> onDensityChange;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  QImage canvas_;
};

// The marker over the selected day's cell: a green fill and a dashed
// 3-pixel border, both masked into the picture below, so the cell turns
// dark green with its texts in black.
class DayMarker : public QWidget {
 public:
  DayMarker(const CalendarPicture* picture, QWidget* parent);
  // What the marker shows where it stands now (also what it paints).
  QImage Composed() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  const CalendarPicture* picture_;
};

// What DrawMonth wrote into one day cell.
struct GridCell {
  QPoint at;            // top left corner of the cell in the picture
  QString dayLabel;     // "15" or "4 立春"
  int dayPoints = 0;    // font size of the day label, points
  QString lunarLabel;   // "闰十一月廿九"
  int lunarPoints = 0;
  double lunarScale = 1;  // its width, condensed where it would not fit the cell
  QColor colour;        // of both labels
};

class TFrmWnl : public QWidget {
  Q_OBJECT
 public:
  explicit TFrmWnl(QWidget* owner = nullptr);
  ~TFrmWnl() override;

  // ---- controls
  QLineEdit* labxiao = nullptr;    // era names and the year's animal
  QLabel* labtitle = nullptr;      // "%d年%d月"
  QToolButton* BitBtn2 = nullptr;  // 上一月
  QToolButton* BitBtn1 = nullptr;  // 下一月
  QToolButton* sbtnnow = nullptr;  // 当前时间
  QLineEdit* EdtYear = nullptr;    // historical year
  UpDown* UdYear = nullptr;        // astronomical year, -4712 .. 9999
  QComboBox* cbom = nullptr;       // 1月 .. 12月
  QComboBox* cbod = nullptr;       // 1日 .. 31日
  QComboBox* cbos = nullptr;       // 0时 .. 23时
  QComboBox* cbomin = nullptr;     // 0分 .. 59分
  CalendarPicture* Img1 = nullptr;  // the month grid, 450 x 330
  DayMarker* Shape1 = nullptr;     // over the selected day's cell
  QPlainTextEdit* memjie1 = nullptr;  // the month's solar terms
  QPlainTextEdit* memgz = nullptr;    // the four pillars

  // ---- operations
  // Shows a date whose year is historical; a day that does not exist is
  // shown as the 15th.
  void ShowDate(const DateTime& date);
  // The solar terms of the year in the year box.
  void LoadYearTerms();
  // Reads and checks the controls, draws the grid and the term list,
  // places the marker and shows the pillars.
  void DrawMonth();
  // Title, era line and pillar memo of the selected moment.
  void ShowPillars();
  // The length of the month (astronomical year) when the day exists in it,
  // else 0; October 1582 has 21 days, 5 to 14 do not exist.
  int DaysInMonth(const DateTime& t);

  // ---- event handlers
  void UdYearClick();
  void BitBtn2Click();
  void BitBtn1Click();
  void sbtnnowClick();
  void EdtYearKeyPress(int key);
  void cbomChange();
  void cbodChange();
  void cbosChange();
  void cbominChange();
  void Img1MouseDown(Qt::MouseButton button, int x, int y);
  void FormClose();

  // ---- state
  DateTime selected{};       // astronomical year, taken from the controls
  DateTime cellLunar{};      // lunar date of the cell being drawn
  int16_t daysInMonth = 0;   // existing days of the selected month
  int16_t firstColumn = 0;   // column (0 Monday .. 6 Sunday) of the 1st
  SolarTermEntry monthTerms[3]{};    // the month's terms; day -100 when unused
  std::vector<SolarTermEntry> yearTerms;  // ends with the year -5000 entry
  std::vector<GridCell> drawnCells;       // the cells of the last drawing, in order

  // The computer's local date and time ("当前时间"); tests replace it.
  std::function<QDateTime()> clock = [] { return QDateTime::currentDateTime(); };

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  // The month, day, hour and minute lists.
  void FillLists();
  // True for a year the window can show; otherwise the message.
  bool CheckYear(int historical);
  // Selects list positions without running their change handlers.
  static void SetListPosition(QComboBox* list, int position);
  // The year box as a number; `fallback` when it holds none.
  int YearBoxValue(int fallback) const;
  // Sets the year box and the up-down control to a historical year.
  void SetYear(int historical);
  // Steps the month by one with the year turning at either end.
  void StepMonth(bool forward);
  // Gives the term box a font in which every line of it fits its width:
  // the window's own, or that font narrowed.
  void FitTermBox();

  int termsYear_ = 0;  // astronomical year of yearTerms
  bool termsLoaded_ = false;
  bool centred_ = false;
};

// The main window's "万年历": makes the calendar window when `holder` holds
// none, shows it on `date` (historical year) without waiting and returns
// it. The window deletes itself when closed, which empties the holder.
TFrmWnl* ShowCalendarWindow(QWidget* owner, QPointer<QWidget>& holder, const DateTime& date);

}  // namespace lumtar
