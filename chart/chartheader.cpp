#include "chartheader.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>

#include "eras.h"
#include "rivalcalendars.h"
#include "script.h"
#include "vovirer.h"

namespace lumtar {

namespace {

std::string Format(const char* format, ...) {
  char buf[256];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buf, sizeof buf, format, args);
  va_end(args);
  return buf;
}

// A name of the engine's vocabulary as shown, in the chosen script.
std::string Str(std::string_view v) { return std::string(InScript(v)); }

const char* Stem(int sexagenary) { return InScript(calendar::kStemNames[calendar::StemOf(sexagenary)]); }
const char* Branch(int b) { return InScript(calendar::kBranchNames[((b % 12) + 12) % 12]); }

// Whole degrees and whole minutes of a chart value.
std::string DegMin(const char* format, const char* name, double v) {
  const int d = static_cast<int>(std::trunc(v));
  const int m = static_cast<int>(std::trunc((v - d) * 60));
  return name ? Format(format, name, d, m) : Format(format, d, m);
}

// "公历:1711年9月25日10时30分", a date before 1582-10-15 marked as Julian.
std::string MomentText(const DateTime& t) {
  return Format(InScript("公历:%d年%d月%d日%d时%d分"), t.year, t.month, t.day, t.hour, t.minute) +
         (IsJulianCalendarDate(t.year, t.month, t.day) ? InScript(kJulianMark) : "");
}

// "命宫:" and "身宫:": mansion and degree, the mansion's lord, the sign's lord.
std::string PalaceLine(const char* title, const BodyPlace& p) {
  return InScript(title) + DegMin("%s%02d:%02d ", Str(MansionName(p.mansion)).c_str(), p.degreeInMansion) +
         InScript("度主:") + Str(BodyChar(MansionLordOf(p.mansion))) + InScript(" 宫主:") +
         Str(BodyChar(PalaceLordOf(p.branch)));
}

}  // namespace

DegreesMinutes CoordinateDegreesMinutes(double value) {
  const double a = std::fabs(value);
  DegreesMinutes dm;
  dm.degrees = static_cast<int>(std::trunc(a));
  dm.minutes = static_cast<int>(std::ceil((a - dm.degrees) * 60 - 0.5));
  if (dm.minutes >= 60) {  // 25.9999° is 26:0, not 25:60
    dm.degrees += 1;
    dm.minutes -= 60;
  }
  return dm;
}

int VoidBranchOf(int g) {
  const int d = (((g - 1) % 60 + 60) % 60) / 10;
  return ((g % 2 != 0 ? 11 - 2 * d : 12 - 2 * d) % 12 + 12) % 12;
}

std::vector<HeaderLine> HeaderLines(CVoVirer& engine) {
  const ChartModel& m = engine.model;
  const ChartRequest& r = m.request;
  std::vector<HeaderLine> lines;
  auto add = [&](HeaderBlock block, std::string text) { lines.push_back({block, std::move(text)}); };

  add(HeaderBlock::Title, "Lumtar");
  add(HeaderBlock::Title, InScript(kMakerLine));
  add(HeaderBlock::Title, InScript(m.chartMode == 0 ? "本命盘" : "流年盘"));

  add(HeaderBlock::Birth, InScript(m.settings.frame == 0 ? "星图:黄道制" : "星图:赤道制"));
  const int z = r.timeZoneIndex;  // hours east
  // A whole-hour zone of the list as the list names it; a place's clock by
  // its zone, its standard offset and the daylight-saving time taken off.
  add(HeaderBlock::Birth,
      InScript("时区:") + (m.clock.zone.empty() ? TimeZoneText(z >= 0 ? z : 12 - z) : ClockText(m.clock)));
  const DegreesMinutes lon = CoordinateDegreesMinutes(r.longitude), lat = CoordinateDegreesMinutes(r.latitude);
  add(HeaderBlock::Birth, std::string(InScript(r.longitude >= 0 ? "东经:" : "西经:")) +
                              Format("%d:%d ", lon.degrees, lon.minutes) +
                              InScript(r.latitude >= 0 ? "北纬:" : "南纬:") +
                              Format("%d:%d ", lat.degrees, lat.minutes));
  add(HeaderBlock::Birth, InScript("地名:") + PlaceNameInScript(r.PlaceNameUtf8()));
  DateTime input;
  engine.dateService.DateTimeOf(m.inputJd, input);
  add(HeaderBlock::Birth, MomentText(input) + InScript("(输入时间)"));
  static const char* const kPillarTimes[3] = {"(北京时间)", "(真太阳时)", "(地方时)"};
  std::string pillarTime = InScript(kPillarTimes[m.settings.pillarTime % 3]);
  // With 北京时间 a birth on another clock has the pillars of that clock's
  // standard time: the header says which.
  if (m.settings.pillarTime == 0 && m.clock.standardOffset != 8 * 3600)
    pillarTime = m.clock.zone.empty()   ? InScript("(") + TimeZoneText(z >= 0 ? z : 12 - z) + InScript(")")
                 : m.clock.localMeanTime ? std::string(InScript("(地方平时)"))
                                         : std::string(InScript("(当地标准时)"));
  add(HeaderBlock::Birth, MomentText(m.pillarMoment) + pillarTime);

  std::string lunar = InScript("农历:");
  lunar += engine.dateService.ChineseNumeral(m.lunarDate.year);
  lunar += InScript("年");
  std::string month = m.lunarDate.month == 1
                          ? std::string(InScript(" 正月 "))
                          : " " + std::string(engine.dateService.ChineseNumeral(m.lunarDate.month)) + InScript("月 ");
  if (r.isLeapMonth) month = InScript(" 闰") + month.substr(month.find_first_not_of(' '));
  // The months of 武周 and of 762 as their calendar named them (一月, 腊月).
  const std::string named = calendar::MonthNameOfDay(static_cast<calendar::LunarCalendar>(m.lunarCalendar),
                                                     m.lunarDate.year, m.lunarDayNumber);
  if (!named.empty()) month = " " + TextInScript(named) + " ";
  lunar += month;
  if (m.lunarDate.day <= 10) lunar += InScript("初");
  lunar += engine.dateService.ChineseNumeral(m.lunarDate.day);
  lunar += InScript("日");
  int h = m.lunarDate.hour;
  if (h % 2 != 0) h += 1;
  lunar += Format(InScript(" %s时"), Branch(h / 2 + 1));
  add(HeaderBlock::Birth, lunar);
  // Before 1912 the lunar date as it was written then, by the era names.
  // On a rival court's calendar, by that court's era.
  const std::string era =
      calendar::EraDateTextOn(static_cast<calendar::LunarCalendar>(m.lunarCalendar), m.lunarDate.year,
                              m.lunarDate.month, r.isLeapMonth != 0, m.lunarDate.day, named);
  if (!era.empty()) add(HeaderBlock::Birth, InScript("年号:") + era);

  add(HeaderBlock::Pillars, InScript("姓名:") + r.NameUtf8());
  const int pillars[4] = {m.yearPillar, m.monthPillar, m.dayPillar, m.hourPillar};
  std::string p = InScript(r.isMale ? "乾造:" : "坤造:");
  p += Format("%s%s", Stem(pillars[0]), Branch(pillars[0])) +
       Format("(%s) ", Str(ElementName(m.nayinElement)).c_str()) +
       Format("%s%s ", Stem(pillars[1]), Branch(pillars[1])) + Format("%s%s ", Stem(pillars[2]), Branch(pillars[2])) +
       Format("%s%s", Stem(pillars[3]), Branch(pillars[3]));
  add(HeaderBlock::Pillars, p);
  std::string voids = InScript("空亡:");
  for (int i = 0; i < 4; ++i) {
    voids += Format("(%s) ", Branch(VoidBranchOf(pillars[i])));
    if (i == 0) voids += "    ";
  }
  add(HeaderBlock::Pillars, voids);

  add(HeaderBlock::Places, PalaceLine("命宫:", m.places[kAscendantPlace]));
  add(HeaderBlock::Places, PalaceLine("身宫:", m.places[kBodyPalacePlace]));
  add(HeaderBlock::Places, engine.BenefactorText());
  static const char* const kMotionMarks[3] = {"  ", "+ ", "- "};
  for (int k = 0; k < kChartBodyCount; ++k) {
    const BodyPlace& b = m.places[k];
    std::string line = Str(BodyChar(k)) + ":";
    line += DegMin("%s%02d:%02d ", Str(MansionName(b.mansion)).c_str(), b.degreeInMansion);
    line += DegMin("%s%02d:%02d ", Branch(b.branch), b.degreeInSign);
    line += DegMin("%03d:%02d ", nullptr, b.longitude);
    line += kMotionMarks[(b.motion >= 0 && b.motion <= 2) ? b.motion : 0];
    if (k < kRatedBodyCount) line += engine.DignityText(k);
    add(HeaderBlock::Places, line);
  }

  const std::vector<ChartStar> stars = ChartStars(m.yearPillar, m.nayinElement, m.places[kAscendantPlace].branch);
  for (size_t i = 0; i < stars.size(); ++i) {
    if (i < 3)
      add(HeaderBlock::StarLines, Str(stars[i].title) + ":" + Str(BodyChar(stars[i].body)));
    else
      add(HeaderBlock::StarColumns, Str(stars[i].title) + Str(BodyChar(stars[i].body)));
  }
  return lines;
}

std::vector<std::string> AnnualLines(const AnnualChart& a) {
  std::vector<std::string> lines;
  // A whole-hour zone's moment as UTC+8 civil time; a place's clock's on
  // its standard time.
  const DateTime& t = a.clock.zone.empty() ? a.moment : a.clockMoment;
  lines.push_back(InScript("流盘:") + Format("%d-%d-%d %d:%d", t.year, t.month, t.day, t.hour, t.minute) + " " +
                  (a.clock.zone.empty() ? TimeZoneText(a.timeZoneIndex) : ClockText(a.clock)));
  lines.push_back(Format("%s%s(%s)  ", Stem(a.yearPillar), Branch(a.yearPillar),
                         Str(BodyChar(HuayaoBody(calendar::StemOf(a.yearPillar)))).c_str()) +
                  Format(InScript("%d岁[内盘]"), a.age));
  auto mark = [](const PeriodMark& p, const char* tail) {
    return Format("%s%02d%s%02d", Str(MansionName(p.mansion)).c_str(), p.degreeInMansion, Branch(p.branch),
                  p.degreeInSign) +
           tail;
  };
  lines.push_back(InScript("行限:") + mark(a.period.start, "--") + mark(a.period.next, " "));
  return lines;
}

}  // namespace lumtar
