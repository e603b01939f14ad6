#include "vovirer.h"

#include <cmath>

#include "rivalcalendars.h"
#include "script.h"

namespace lumtar {

namespace {

bool YearInRange(int year) { return year >= kFirstYear && year <= kLastYear; }

// The calendar a request's lunar date is read on; a number no calendar has
// (a record written elsewhere) reads as the central calendar.
calendar::LunarCalendar CalendarOf(const ChartRequest& request) {
  return request.isLunar && request.lunarCalendar < calendar::kLunarCalendarCount
             ? static_cast<calendar::LunarCalendar>(request.lunarCalendar)
             : calendar::LunarCalendar::kCentral;
}

// Fills a place from its longitude: sign, degree in the sign, palace number
// counted from the ascendant's branch and mansion.
void LocatePlace(BodyPlace& p, int ascendantBranch, double mansionOrigin) {
  p.longitude = NormalizeDegrees(p.longitude);
  p.branch = static_cast<uint8_t>(BranchOfLongitude(p.longitude));
  p.degreeInSign = p.longitude - SignStart(p.branch);
  p.palaceNumber = static_cast<uint8_t>(((ascendantBranch - p.branch) % 12 + 12) % 12);
  MansionPlace mp = lumtar::FindMansion(p.longitude, mansionOrigin);
  p.mansion = mp.mansion;
  p.degreeInMansion = mp.degree;
}

}  // namespace

CVoVirer::CVoVirer() = default;

bool CVoVirer::Fail(const char* message) {
  lastError = InScript(message);
  return false;
}

void CVoVirer::Repaint() {
  if (!painter_ || model.chartMode < 0) return;
  if (model.chartMode == 1)
    painter_->PaintAnnual(*this, annual);
  else
    painter_->PaintNatal(*this);
}

bool CVoVirer::ComputeNatal(const ChartRequest& request) {
  lastError.clear();
  ChartModel m;
  m.settings = settingsPath_.empty() ? LoadChartSettings() : LoadChartSettings(settingsPath_);
  m.request = request;
  m.request.name[sizeof m.request.name - 1] = '\0';
  m.request.placeName[sizeof m.request.placeName - 1] = '\0';
  m.request.timeZone[sizeof m.request.timeZone - 1] = '\0';

  const bool wholeHour = m.request.TimeZoneName().empty();
  if (wholeHour && (request.timeZoneIndex < 0 || request.timeZoneIndex >= kTimeZoneCount))
    return Fail(kBadTimeZone);
  if (wholeHour) m.request.timeZoneIndex = static_cast<int8_t>(HoursEastOfZone(request.timeZoneIndex));
  if (request.hour < 0 || request.hour > 23 || request.minute < 0 || request.minute > 59) return Fail(kNoSuchTime);
  if (!(request.longitude > -180 && request.longitude < 180 && request.latitude > -90 && request.latitude < 90))
    return Fail(kBadCoordinates);
  if (!ConvertBirthMoment(m.request, m)) return false;

  PlaceBodies(m);

  model = m;
  model.chartMode = 0;
  if (painter_) painter_->PaintNatal(*this);
  if (analysis_) analysis_(*this);
  return true;
}

bool CVoVirer::EnteredSolarMoment(const ChartRequest& request, DateTime* solar) {
  DateTime entered{request.year, request.month, request.day, request.hour, request.minute};
  if (request.isLunar) {
    // A lunar year's last months fall into the next civil year, so the
    // civil range 619..2100 begins in lunar year 618.
    if (request.year < kFirstYear - 1 || request.year > kLastYear) return Fail(kYearOutOfRange);
    if (request.month < 1 || request.month > 12 || request.day < 1 || request.day > 30)
      return Fail(calendar::kNoSuchLunarDate);
    const calendar::LunarCalendar on = CalendarOf(request);
    const int occurrence = request.monthOccurrence <= 2 ? request.monthOccurrence : 0;
    if (on != calendar::LunarCalendar::kCentral || occurrence != 0) {
      // On a rival court's calendar, or one of two months named alike.
      int dayNumber = 0;
      if (!calendar::DayOfLunarDate(on, request.year, request.month, request.isLeapMonth != 0, request.day,
                                    occurrence, &dayNumber))
        return Fail(calendar::kNoSuchLunarDate);
      dateService.DateTimeOf(dayNumber + astro::kJ2000, *solar);
      solar->hour = request.hour;
      solar->minute = request.minute;
    } else {
      std::string message;
      if (!dateService.LunarToSolar(entered, request.isLeapMonth != 0, *solar, message))
        return Fail(message.empty() ? calendar::kNoSuchLunarDate : message.c_str());
    }
  } else {
    if (request.month < 1 || request.month > 12 || request.day < 1 || !dateService.IsValidSolarDate(entered))
      return Fail(kNoSuchDate);
    *solar = entered;
  }
  if (!YearInRange(solar->year)) return Fail(kYearOutOfRange);
  return true;
}

bool CVoVirer::ReadClockAt(const std::string& zone, double localJd, DstChoice choice, BirthClock* clock,
                           const float* longitude) {
  int skipped = 0;
  switch (ReadClock(zone, localJd, choice, clock, &skipped)) {
    case ClockStatus::Ok:
      if (longitude) UsePlaceMeanTime(clock, *longitude);
      return true;
    case ClockStatus::UnknownZone:
      return Fail(kUnknownTimeZone);
    case ClockStatus::Skipped:
      lastError = "当地时钟在这时拨快了" + DurationText(skipped) + "，不存在这个时间";
      return false;
  }
  return Fail(kUnknownTimeZone);
}

bool CVoVirer::ReadBirthClock(const ChartRequest& request, BirthClock* clock) {
  lastError.clear();
  const std::string zone = request.TimeZoneName();
  if (zone.empty()) {
    if (request.timeZoneIndex < 0 || request.timeZoneIndex >= kTimeZoneCount) return Fail(kBadTimeZone);
    *clock = WholeHourClock(request.timeZoneIndex);
    return true;
  }
  if (request.hour < 0 || request.hour > 23 || request.minute < 0 || request.minute > 59) return Fail(kNoSuchTime);
  DateTime solar;
  if (!EnteredSolarMoment(request, &solar)) return false;
  return ReadClockAt(zone, dateService.JulianDayOf(solar), static_cast<DstChoice>(request.dstChoice), clock,
                     &request.longitude);
}

// `request` is the model's copy: for a whole-hour zone its timeZoneIndex
// already holds the hours east.
bool CVoVirer::ConvertBirthMoment(const ChartRequest& request, ChartModel& m) {
  DateTime solar;
  if (!EnteredSolarMoment(request, &solar)) return false;

  m.inputJd = dateService.JulianDayOf(solar);
  const std::string zone = request.TimeZoneName();
  if (zone.empty()) {
    m.clock = BirthClock{};
    m.clock.standardOffset = m.request.timeZoneIndex * 3600;
    m.birthJd = m.inputJd + (8 - m.request.timeZoneIndex) / 24.0;
  } else {
    if (!ReadClockAt(zone, m.inputJd, static_cast<DstChoice>(request.dstChoice), &m.clock, &request.longitude))
      return false;
    m.request.timeZoneIndex = static_cast<int8_t>(HoursEastOfZone(NearestWholeHourZone(m.clock.UtcOffset())));
    m.birthJd = m.inputJd + (8 * 3600 - m.clock.UtcOffset()) / 86400.0;
  }
  dateService.DateTimeOf(m.birthJd, m.beijingMoment);
  m.pillarMoment = m.beijingMoment;
  if (m.settings.pillarTime != 0)
    dateService.ApplyPillarTime(request.longitude, m.pillarMoment, m.settings.pillarTime);
  else if (m.clock.standardOffset != 8 * 3600)
    // The pillars of a birth on another clock than UTC+8 are those of its
    // own clock's standard time (before standard time: its mean time).
    dateService.DateTimeOf(m.inputJd - m.clock.dstOffset / 86400.0, m.pillarMoment);

  // The day changes at 23:00: the lunar date is that of the next civil day.
  DateTime day = m.pillarMoment;
  if (day.hour == 23) dateService.AddOneDay(day);
  if (!YearInRange(day.year)) return Fail(kYearOutOfRange);
  m.request.isLeapMonth = dateService.SolarToLunar(day, m.lunarDate) ? 1 : 0;
  m.lunarDayNumber = dateService.LastDayNumber();
  // A date entered on a rival court's calendar is shown on it.
  m.lunarCalendar = 0;
  if (request.isLunar) {
    const calendar::LunarCalendar on = CalendarOf(request);
    int y = 0, month = 0, d = 0;
    bool leap = false;
    if (calendar::RivalLunarDateOfDay(on, m.lunarDayNumber, &y, &month, &leap, &d)) {
      m.lunarDate.year = static_cast<int16_t>(y);
      m.lunarDate.month = static_cast<int16_t>(month);
      m.lunarDate.day = static_cast<int16_t>(d);
      m.request.isLeapMonth = leap ? 1 : 0;
      m.lunarCalendar = static_cast<uint8_t>(on);
    }
  }
  return true;
}

double CVoVirer::ComputedAscendant(const ChartModel& m, double sunLongitude) {
  const DateTime& b = m.beijingMoment;
  // Apparent solar time at 120°E from the equation-of-time table, by the day
  // of the year and interpolated over the hours.
  const int n = static_cast<int>(std::floor(astro::JulianDayOfCalendar(b.year, b.month, b.day + 0.5)) -
                                 std::floor(astro::JulianDayOfCalendar(b.year, 1, 1.5)));
  const int day = n < 0 ? 0 : (n >= kEquationOfTimeDays ? kEquationOfTimeDays - 1 : n);
  const double e0 = kEquationOfTimeMinutes[day];
  const double e1 = kEquationOfTimeMinutes[(day + 1) % kEquationOfTimeDays];
  const double seconds = e0 * 60 + (e1 - e0) * 60 * b.hour / 24;
  DateTime apparent;
  dateService.DateTimeOf(m.birthJd + seconds / 86400, apparent);

  double t = 15.0 * apparent.hour + 0.25 * apparent.minute - (120.0 - m.request.longitude);
  if (t <= 0) t += 360;
  const double ramc = NormalizeDegrees(SunRightAscension(sunLongitude) + 180 + t);
  return AscendantOf(ramc, m.request.latitude);
}

void CVoVirer::PlaceBodies(ChartModel& m) {
  const ChartSettings& s = m.settings;
  m.mansionOrigin = 189.37 + (m.pillarMoment.year - 1900) * 50.27 / 3600;

  const astro::BodyPositionSet set = starService.ChartPositions(m.beijingMoment, s.nodeConvention, true);
  for (int k = 0; k < kChartBodyCount; ++k) {
    m.places[k].longitude = set.body[k].longitude;
    m.places[k].latitude = set.body[k].latitude;
    m.places[k].motion = static_cast<int8_t>(set.body[k].motion);
  }
  for (int k = astro::kChartLuohou; k <= astro::kChartYuebei; ++k) m.places[k].latitude = 0;

  m.ascendantLongitude = ComputedAscendant(m, m.places[astro::kChartSun].longitude);

  if (s.frame == static_cast<uint8_t>(ChartFrame::Equatorial)) {
    m.mansionOrigin = EquatorialOf(m.mansionOrigin, 0);
    m.ascendantLongitude = EquatorialOf(m.ascendantLongitude, 0);
    for (int k = 0; k < kChartBodyCount; ++k)
      m.places[k].longitude = EquatorialOf(m.places[k].longitude, m.places[k].latitude);
  }

  const calendar::FourPillarIndexes pillars = dateService.FourPillars(m.beijingMoment, m.pillarMoment);
  m.yearPillar = pillars.year;
  m.monthPillar = pillars.month;
  m.dayPillar = pillars.day;
  m.hourPillar = pillars.hour;

  // 命宫: the computed ascendant, or counted from the Sun's sign by the hour
  // branch (the 卯 hour keeps the Sun's own sign and degree).
  BodyPlace& asc = m.places[kAscendantPlace];
  asc = BodyPlace{};
  if (s.ascendantMethod == static_cast<uint8_t>(AscendantMethod::Computed)) {
    asc.longitude = m.ascendantLongitude;
  } else {
    const double sun = NormalizeDegrees(m.places[astro::kChartSun].longitude);
    const int sunBranch = BranchOfLongitude(sun);
    const int hourBranch = m.hourPillar % 12;
    const int b = (sunBranch + ((4 - hourBranch) % 12 + 12) % 12) % 12;
    asc.longitude = SignStart(b) + (sun - 30 * std::floor(sun / 30));
  }
  LocatePlace(asc, BranchOfLongitude(asc.longitude), m.mansionOrigin);
  asc.palaceNumber = 0;
  const int ascendantBranch = asc.branch;

  for (int k = 0; k < kChartBodyCount; ++k) LocatePlace(m.places[k], ascendantBranch, m.mansionOrigin);

  m.places[kBodyPalacePlace] = m.places[astro::kChartMoon];
  m.places[kBodyPalacePlace].motion = 0;

  // The first life period after 命宫 begins after ten years plus three days
  // per degree the Sun has gone in its sign.
  const double y = m.places[astro::kChartSun].degreeInSign / 3;
  const int years = static_cast<int>(std::trunc(y));
  const int days = static_cast<int>(std::trunc((y - years) * 365.25));
  DateTime offset;
  dateService.DateTimeOf(m.birthJd + (years + 10) * 365.2421 + days, offset);
  m.ageOffset = static_cast<uint8_t>(offset.year - m.pillarMoment.year);

  m.nayinElement = static_cast<int8_t>(NayinElementOf(m.yearPillar));
}

bool CVoVirer::ComputeAnnual(int timeZoneIndex, double jd, const std::string& timeZone) {
  lastError.clear();
  if (model.chartMode == -1) return Fail(kNoNatalChart);
  const bool local = timeZoneIndex == kLocalTimeZoneIndex;
  if (!local && (timeZoneIndex < 0 || timeZoneIndex >= kTimeZoneCount)) return Fail(kBadTimeZone);
  const std::string zone = !local ? std::string() : !timeZone.empty() ? timeZone : model.request.TimeZoneName();
  // Without a zone of its own the position is just beyond the list.
  if (local && zone.empty()) return Fail(kBadTimeZone);
  // Julian days of the years 1 to 9999: beyond them no date exists.
  if (!(jd >= 1721423.5 && jd < 5373484.5)) return Fail(kNoSuchAnnualDate);
  DateTime entered;
  dateService.DateTimeOf(jd, entered);
  if (!dateService.IsValidSolarDate(entered)) return Fail(kNoSuchAnnualDate);

  AnnualChart a;
  a.timeZoneIndex = timeZoneIndex;
  a.jd = jd;
  if (local) {
    // On the birth's own clock the birth place's mean time, before the
    // zone's standard time.
    const bool ownClock = timeZone.empty() || timeZone == model.request.TimeZoneName();
    if (!ReadClockAt(zone, jd, DstChoice::Auto, &a.clock, ownClock ? &model.request.longitude : nullptr))
      return false;
    a.hoursEast = HoursEastOfZone(NearestWholeHourZone(a.clock.UtcOffset()));
    a.jd8 = jd + (8 * 3600 - a.clock.UtcOffset()) / 86400.0;
  } else {
    a.clock = WholeHourClock(timeZoneIndex);
    a.hoursEast = HoursEastOfZone(timeZoneIndex);
    a.jd8 = jd + (8 - a.hoursEast) / 24.0;
  }
  if (a.jd8 < model.birthJd) return Fail(kAnnualBeforeBirth);

  dateService.DateTimeOf(a.jd8, a.moment);
  // On a place's clock the moment is stated on its standard time.
  if (local) dateService.DateTimeOf(jd - a.clock.dstOffset / 86400.0, a.clockMoment);
  const int pillarYear = model.pillarMoment.year;
  // Even counted from the previous year's 立春 the age would lie past the
  // ten periods: refuse before asking the calendar about a far year.
  if ((a.moment.year - 1) - pillarYear + 1 - model.ageOffset >= 74) return Fail(kAgeBeyondPeriods);
  a.year = a.moment.year;
  DateTime lichun;
  dateService.SolarTermMoment(static_cast<int16_t>(a.year), 2, true, lichun);
  if (a.jd8 < dateService.JulianDayOf(lichun)) --a.year;
  a.yearPillar = ((a.year + 6897) % 60 + 60) % 60;
  a.age = a.year - pillarYear + 1;
  if (a.age - model.ageOffset >= 74) return Fail(kAgeBeyondPeriods);

  const astro::BodyPositionSet set = starService.ChartPositions(a.moment, model.settings.nodeConvention, false);
  for (int k = 0; k < kChartBodyCount; ++k) {
    a.longitude[k] = set.body[k].longitude;
    a.latitude[k] = k >= astro::kChartLuohou && k <= astro::kChartYuebei ? 0 : set.body[k].latitude;
    if (model.settings.frame == static_cast<uint8_t>(ChartFrame::Equatorial))
      a.longitude[k] = EquatorialOf(a.longitude[k], a.latitude[k]);
    a.longitude[k] = NormalizeDegrees(a.longitude[k]);
  }
  a.period = PeriodPointOf(model.places[kAscendantPlace].branch, model.ageOffset, a.age, model.mansionOrigin);

  annual = a;
  model.chartMode = 1;
  if (painter_) painter_->PaintAnnual(*this, annual);
  return true;
}

double CVoVirer::BirthJulianDay() { return dateService.JulianDayOf(model.beijingMoment); }

MansionPlace CVoVirer::FindMansion(double longitude) const {
  return lumtar::FindMansion(longitude, model.mansionOrigin);
}

int CVoVirer::AspectOf(double a, double b) const { return lumtar::AspectOf(a, b, model.settings.aspectOrb); }

std::string CVoVirer::DignityText(int body) const {
  if (body < 0 || body >= kRatedBodyCount) return {};
  const BodyPlace& p = model.places[body];
  return lumtar::DignityText(body, p.branch, p.mansion);
}

std::string CVoVirer::BenefactorText() const {
  return lumtar::BenefactorText(MansionLordOf(model.places[kAscendantPlace].mansion));
}

}  // namespace lumtar
