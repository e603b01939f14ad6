// The date and time inputs of a birth or annual moment, shared by the main
// window's input panel and the annual time dialog: the texts of the month,
// day, hour, minute and time-zone lists, an up-down control that stands
// beside the year edit without being attached to it, and the rules that set
// the controls from a date.
#pragma once

#include <QSpinBox>
#include <QStringList>

class QComboBox;
class QDateTime;
class QLineEdit;

namespace lumtar {

// "1月" … "12月".
QStringList MonthItems();
// "1日" … "31日".
QStringList DayItems();
// The months as a lunar calendar names them: "正月", "二月" … "十月", "冬月",
// "腊月"; a leap month with 闰 before it ("闰四月").
QStringList LunarMonthItems(bool leap);
// The days of a lunar month: "初一" … "初十", "十一" … "二十", "廿一" … "廿九",
// "三十".
QStringList LunarDayItems();
// "0时子", "1时丑", "2时丑", "3时寅" … "21时亥", "22时亥", "23时子": the hour and
// its earthly branch.
QStringList HourItems();
// "0分" … "59分".
QStringList MinuteItems();
// "零时区", "东一区" … "东十一区", "中十二区", "西一区" … "西十一区".
QStringList TimeZoneItems();

// The year an edit holds: its text read as a decimal integer, 0 when it is
// no integer.
int YearOfText(const QString& text);

// Years the inputs take (a chart's years: from 619, the first year of the
// calendars in use that the lunar calendar follows); the current date of a
// later year shows the last. The message of a year outside them.
inline constexpr int kInputFirstYear = 619;
inline constexpr int kInputLastYear = 2100;
inline constexpr const char* kInputYearMessage = "年份最大范围619-2100";
// True when a chart may be asked for the year: 619..2100, and also the
// lunar year 618, whose 十二月 from its eleventh day lies in 619 (武德元年;
// the chart refuses the days before 619-01-01).
inline bool InputYearTakes(int year, bool lunar) {
  return (year >= kInputFirstYear || (lunar && year == kInputFirstYear - 1)) && year <= kInputLastYear;
}

// An up-down control: the arrows of a spin box without its text, stepping a
// position within a range, without wrapping, and reporting each click. The
// year edit beside it is set by its owner from the position.
class UpDown : public QSpinBox {
  Q_OBJECT
 public:
  explicit UpDown(QWidget* parent = nullptr);

  int position() const { return value(); }
  void setPosition(int position) { setValue(position); }  // brought into the range

  // A click on an arrow (+1 up, -1 down), also at a limit.
  void stepBy(int steps) override;

 signals:
  void clicked();

 protected:
  StepEnabled stepEnabled() const override { return StepUpEnabled | StepDownEnabled; }
};

// The controls of one moment. Any of them may be null.
struct DateInputs {
  QLineEdit* year = nullptr;
  UpDown* yearUpDown = nullptr;  // position = year - kInputFirstYear
  QComboBox* month = nullptr;
  QComboBox* day = nullptr;
  QComboBox* hour = nullptr;
  QComboBox* minute = nullptr;
};

// Fills the four lists with their items.
void FillDateLists(const DateInputs& inputs);
// Names the months and days of the month and day lists as the calendar of
// the date does: numbered (1月, 1日) for a civil date, in the lunar
// calendar's words for a lunar one (闰四月, 初一), in the chosen script. Only
// the texts change: each entry keeps its position, which is what is read,
// and the 31st day (no lunar month has one) stays listed, not offered.
void ShowCalendarOfLists(QComboBox* month, QComboBox* day, bool lunar, bool leap);
// Sets the controls to a date: the year edit and the up-down (year - kInputFirstYear),
// the lists to month, day, hour and minute.
void ShowDate(const DateInputs& inputs, int year, int month, int day, int hour, int minute);
// Sets the controls to a local date and time, a year after 2100 shown as 2100.
void ShowLocalTime(const DateInputs& inputs, const QDateTime& now);
// ShowLocalTime with the computer's current local date and time.
void ShowCurrentTime(const DateInputs& inputs);

}  // namespace lumtar
