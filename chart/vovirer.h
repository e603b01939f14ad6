// The chart engine CVoVirer: computes a person's natal chart from a chart
// request and keeps it (the chart model) until the next natal chart replaces
// it. The picture and the analysis page are filled through two seams that
// the program sets: a ChartPainter and an analysis callback; without them
// the engine computes the model and draws nothing.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "birthclock.h"
#include "chartlayout.h"
#include "chartrequest.h"
#include "chartstars.h"
#include "charttables.h"
#include "mastrocalc.h"
#include "yidateex.h"

namespace lumtar {

using astro::DateTime;

// One placed point of the chart.
struct BodyPlace {
  double longitude = 0;     // degrees, [0, 360), in the chart's frame
  double latitude = 0;      // ecliptic, degrees; 0 for 罗 计 气 孛 and 命宫
  uint8_t branch = 0;       // palace (sign) holding the point, 0 亥 … 11 戌
  uint8_t palaceNumber = 0; // counted from 命宫, 0..11
  uint8_t mansion = 0;      // 0 轸 … 27 翼
  double degreeInSign = 0;     // 0 ≤ value < 30
  double degreeInMansion = 0;  // degrees past the start of the mansion
  int8_t motion = 0;        // 1 direct, 2 retrograde, 0 neither
};

inline constexpr int kPlaceCount = 16;
inline constexpr int kAscendantPlace = 14;  // 命宫
inline constexpr int kBodyPalacePlace = 15; // 身宫

// Everything a natal computation produces. A computation fills a fresh model
// and the engine takes it over only when the computation succeeded.
struct ChartModel {
  ChartSettings settings;  // read at the start of the natal chart
  // The request as given, except that timeZoneIndex holds the hours east of
  // the zone (for a birth in an IANA zone: of the whole-hour zone nearest to
  // its clock) and isLeapMonth the leap flag of the computed lunar date.
  ChartRequest request;
  BirthClock clock;       // the clock the entered time was read on
  int8_t chartMode = -1;  // −1 no chart yet, 0 natal chart, 1 with an annual overlay
  double inputJd = 0;     // the entered moment in its own zone (civil time)
  double birthJd = 0;     // the birth moment as UTC+8 civil time
  DateTime beijingMoment; // the birth moment as UTC+8 civil time
  // The birth moment in the time kind of the pillars; with 北京时间 the
  // standard time of the birth's clock (UTC+8 civil time on a UTC+8 clock).
  DateTime pillarMoment;
  // Lunar date of the pillar moment (of the next civil day when the pillar
  // hour is 23); hour and minute copied.
  DateTime lunarDate;
  // The calendar the lunar date is on (calendar::LunarCalendar: a rival
  // court's when the date was entered with its era) and its day number.
  uint8_t lunarCalendar = 0;
  int32_t lunarDayNumber = 0;
  int16_t yearPillar = 0, monthPillar = 0, dayPillar = 0, hourPillar = 0;  // 1 甲子 … 0 癸亥
  int8_t nayinElement = 0;       // of the year pillar: 0 土 1 金 2 水 3 木 4 火
  double mansionOrigin = 0;      // where mansion 0 (轸) begins
  double ascendantLongitude = 0; // the computed ascendant (弧角计算)
  BodyPlace places[kPlaceCount] = {};  // 0..13 chart bodies, 14 命宫, 15 身宫
  uint8_t ageOffset = 0;         // age at which the life period after 命宫 begins
  SpiritCounters spiritCount{};  // stacking state of the spirit ring
};

class CVoVirer;

// An annual chart (流年盘) over the natal chart: the moment, its year, the
// person's age and life-period point, and the bodies of that moment. It
// changes nothing in the natal model but chartMode.
struct AnnualChart {
  int timeZoneIndex = 0;  // the zone the moment was entered in (list position, or kLocalTimeZoneIndex)
  int hoursEast = 0;      // of that zone, or of the whole-hour zone nearest to the clock
  BirthClock clock;       // the clock the moment was read on
  double jd = 0;          // the moment as civil time in that zone
  double jd8 = 0;         // the same moment as UTC+8 civil time
  DateTime moment;        // DateTimeOf(jd8)
  DateTime clockMoment;   // on a place's clock (kLocalTimeZoneIndex): the moment on its standard time
  int year = 0;           // the year counted from 立春
  int yearPillar = 0;     // sexagenary index of that year (1 甲子 … 0 癸亥)
  int age = 0;            // nominal age in that year
  PeriodPoint period;     // the life-period point of the age
  double longitude[kChartBodyCount] = {};  // the bodies at the moment, in the chart's frame
  double latitude[kChartBodyCount] = {};
};

// The chart picture's side of the engine. The engine calls PaintNatal once a
// natal chart is complete: the frame, the palace, mansion and body rings
// with the spirits (PlaceSpirits), and the header. PaintAnnual redraws all
// of that and the annual overlay on top.
class ChartPainter {
 public:
  virtual ~ChartPainter() = default;
  virtual void PaintNatal(CVoVirer& engine) = 0;
  virtual void PaintAnnual(CVoVirer& engine, const AnnualChart& annual) {
    (void)engine;
    (void)annual;
  }
};

// Messages of a failed natal computation.
inline constexpr const char* kNoSuchDate = "不存在这个日期";
inline constexpr const char* kYearOutOfRange = "时间越界，年份在619-2100之间";
inline constexpr const char* kNoSuchTime = "不存在这个时间";
inline constexpr const char* kBadTimeZone = "时区应在0-23之间";
inline constexpr const char* kUnknownTimeZone = "时区数据库中没有这个时区";
inline constexpr const char* kBadCoordinates = "经度在-180至180之间，纬度在-90至90之间";

// Messages of a refused annual chart.
inline constexpr const char* kNoNatalChart = "请先排一个本命盘。";
inline constexpr const char* kNoSuchAnnualDate = "不存在这个日期。";
inline constexpr const char* kAnnualBeforeBirth = "流年时间应大于出生时间。";
inline constexpr const char* kAgeBeyondPeriods = "只排十步运,岁数越界。";

// The years of a chart: from 619, the first year of the calendars in use
// that the lunar calendar follows, to 2100.
inline constexpr int kFirstYear = 619;
inline constexpr int kLastYear = 2100;

class CVoVirer {
 public:
  CVoVirer();
  CVoVirer(const CVoVirer&) = delete;
  CVoVirer& operator=(const CVoVirer&) = delete;

  // Computes the natal chart of the request. On success the model is
  // replaced, chartMode becomes 0, the painter paints it and the analysis
  // callback writes its text. On failure lastError says why and the model,
  // the picture and the analysis stay as they were.
  bool ComputeNatal(const ChartRequest& request);

  // Draws the annual chart of a moment over the natal chart: `jd` is the
  // moment as civil time in the zone of list position `timeZoneIndex`, or
  // with kLocalTimeZoneIndex in the clock of the IANA zone `timeZone` (when
  // empty, the natal chart's own zone). On success chartMode becomes 1,
  // `annual` holds the overlay and the painter redraws the picture with it;
  // on failure lastError says why and nothing changes.
  bool ComputeAnnual(int timeZoneIndex, double jd, const std::string& timeZone = {});

  // The clock the request's date and time were read on, without computing
  // a chart: the date converted as a natal chart converts it and the clock
  // of its zone at that moment. False with lastError when the date does not
  // exist, the zone is unknown or the clocks skipped that time.
  bool ReadBirthClock(const ChartRequest& request, BirthClock* clock);

  // Paints the current chart (and its annual overlay) again, as after a
  // change of the script its texts are shown in; nothing before a chart.
  void Repaint();
  // The hint over the picture at pixel (x, y); true over the branch, palace
  // and mansion rings, a single space anywhere else and before any chart.
  bool HoverHint(double x, double y, std::string& hint) const { return lumtar::HoverHint(model, x, y, hint); }

  // The birth moment as UTC+8 civil time (the first proposal for an annual
  // chart).
  double BirthJulianDay();

  // Lookups on the current chart.
  MansionPlace FindMansion(double longitude) const;
  int AspectOf(double a, double b) const;
  std::string DignityText(int body) const;
  std::string BenefactorText() const;
  static ChartBody PalaceLordOf(int branch) { return lumtar::PalaceLordOf(branch); }
  static ChartBody MansionLordOf(int mansion) { return lumtar::MansionLordOf(mansion); }

  // Where the settings are read from; empty (the default) means the program
  // folder's dat/set.ini.
  void SetSettingsPath(std::string path) { settingsPath_ = std::move(path); }
  // The seams to the picture and the analysis page; null/empty draws nothing.
  void SetPainter(ChartPainter* painter) { painter_ = painter; }
  void SetAnalysis(std::function<void(CVoVirer&)> analysis) { analysis_ = std::move(analysis); }

  calendar::MYiDateEx dateService;
  astro::MAstroCalc starService;
  ChartModel model;
  std::string lastError;     // message of the last failed computation
  std::string analysisText;  // working text of the analysis
  AnnualChart annual;        // the latest annual overlay (valid while chartMode is 1)

 private:
  bool Fail(const char* message);
  bool ConvertBirthMoment(const ChartRequest& request, ChartModel& m);
  bool EnteredSolarMoment(const ChartRequest& request, DateTime* solar);
  // With a longitude, a clock of the zone's mean-time days is that place's
  // own mean time.
  bool ReadClockAt(const std::string& zone, double localJd, DstChoice choice, BirthClock* clock,
                   const float* longitude = nullptr);
  void PlaceBodies(ChartModel& m);
  double ComputedAscendant(const ChartModel& m, double sunLongitude);

  std::string settingsPath_;
  ChartPainter* painter_ = nullptr;
  std::function<void(CVoVirer&)> analysis_;
};

}  // namespace lumtar
