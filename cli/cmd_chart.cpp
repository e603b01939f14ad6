// lumtar-cli chart: a natal chart from the command line, as the header text
// or, with --json, as the whole chart model.
#include "cmd_chart.h"

#include <QFont>
#include <QGuiApplication>
#include <QPainter>
#include <QTextDocument>
#include <QtGlobal>

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <iostream>
#include <limits>
#include <memory>

#include "analysisreport.h"
#include "analysisview.h"
#include "chartdraw.h"
#include "chartheader.h"
#include "chartstars.h"
#include "chartlayout.h"
#include "eras.h"
#include "rivalcalendars.h"
#include "files.h"
#include "inifile.h"
#include "jpeg.h"
#include "places.h"
#include "report.h"
#include "script.h"
#include "widgets.h"

namespace lumtar::cli {

namespace {

using json = nlohmann::ordered_json;

json MomentJson(const DateTime& t) {
  return json{{"year", t.year}, {"month", t.month}, {"day", t.day}, {"hour", t.hour}, {"minute", t.minute}};
}

// A name of the engine's vocabulary in the chosen script (--traditional).
std::string Named(std::string_view name) { return std::string(InScript(name)); }

json PillarJson(int index) { return json{{"index", index}, {"name", calendar::SexagenaryName(index)}}; }

std::string PlaceName(int i) {
  if (i == kAscendantPlace) return Named("命宫");
  if (i == kBodyPalacePlace) return Named("身宫");
  return Named(astro::kChartBodyNames[i]);
}

int16_t Int16OrOutOfRange(int v) {
  if (v < std::numeric_limits<int16_t>::min() || v > std::numeric_limits<int16_t>::max())
    throw CommandError(kYearOutOfRange);
  return static_cast<int16_t>(v);
}

// One spirit pass in placement order: branch, text, whether and where shown.
json SpiritsJson(int yearPillar, int nayinElement) {
  SpiritCounters counters{};
  json spirits = json::array();
  for (const SpiritLabel& l : PlaceSpirits(yearPillar, nayinElement, counters))
    spirits.push_back(json{{"branch", l.branch},
                           {"branchName", Named(calendar::kBranchNames[l.branch])},
                           {"text", Named(l.text)},
                           {"shown", l.shown()},
                           {"position", l.position}});
  return spirits;
}

// "D:M" with minutes 0..59, as the coordinate box takes it.
float Coordinate(const std::string& text) {
  const double value = ParseDegreesMinutes(text);  // checks the form
  const auto colon = text.find(':');
  if (colon != std::string::npos && std::stoi(text.substr(colon + 1)) > 59) throw CommandError("分数在0-59");
  return static_cast<float>(value);
}

// The pictures need Qt's fonts, which come with a GUI application; the tool
// never opens a window, so it runs on the offscreen platform unless told
// otherwise.
void EnsureGuiApplication() {
  if (QGuiApplication::instance()) return;
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  // Qt's notes about the environment (no runtime folder and the like) are
  // not the tool's output.
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) std::cerr << message.toStdString() << '\n';
  });
  static int argc = 1;
  static char name[] = "lumtar-cli";
  static char* argv[] = {name, nullptr};
  new QGuiApplication(argc, argv);  // lives as long as the tool
}

// The PDF report: the chart page, then the analysis in the analysis page's
// font of the program folder's dat/xminit.ini, as the program writes it.
std::string ReportBytes(CVoVirer& engine) {
  InstallFontSubstitutions();
  const IniFile ini(ProgramPath("dat/xminit.ini"));
  int points = ini.ReadInteger("minggao", "fsize", 12);
  if (points < 1 || points > 1638) points = 12;
  QFont font(QString::fromStdString(ini.ReadString("minggao", "fname", "宋体")));
  font.setPixelSize(std::clamp((points * 96 + 36) / 72, 1, 400));
  QTextDocument analysis;
  analysis.setDefaultFont(font);
  WriteAnalysisDocument(engine.analysisText, &analysis);

  ChartReport report;
  report.header = ReportHeader(engine);
  report.title = report.header.value(0);
  report.subject = report.header.value(1);
  report.chart = [&engine](QPainter& p) { PaintCurrentChart(p, QSize(kChartImageWidth, kChartImageHeight), engine); };
  report.analysis = &analysis;
  return ReportPdf(report).toStdString();
}

}  // namespace

void AddChartOptions(CLI::App* cmd, ChartOptions& o) {
  AddProgramDirOption(cmd);
  cmd->add_option("--name", o.name, "name (at most 10 bytes in GBK)");
  cmd->add_flag("--female", o.female, "female (default male)");
  cmd->add_option("--date", o.date, "birth date YYYY-MM-DD (lunar with --lunar)")->required();
  cmd->add_option("--time", o.time, "birth time HH:MM on the clock of --zone or --tz")->required();
  cmd->add_flag("--lunar", o.lunar, "the date is a Chinese lunar date");
  cmd->add_flag("--leap", o.leap, "the lunar month is the leap month");
  cmd->add_option("--era", o.era,
                  "--date is ERA-YEAR-MONTH-DAY of this era, a lunar date: ERA or DYNASTY:ERA (康熙, 唐:天宝)");
  CLI::Option* zone = cmd->add_option_function<int>(
      "--zone", [&o](const int& v) { o.zone = v; }, "time-zone list position 0..23 (default 8, UTC+8)");
  CLI::Option* tz = cmd->add_option("--tz", o.tz,
                                    "an IANA time zone (Asia/Singapore, America/New_York ...) whose clock the time is; "
                                    "offsets and daylight-saving time from the time-zone database");
  zone->excludes(tz);
  cmd->add_option("--dst", o.dst, "with --tz or --city: auto, on or off, the reading of a repeated hour (default auto)")
      ->check(CLI::IsMember({"auto", "on", "off"}));
  cmd->add_option("--city", o.city,
                  "a place of the place lists by its Chinese or Latin name, or COUNTRY/NAME, PROVINCE/NAME "
                  "(sets longitude, latitude, place name and time zone unless given)");
  cmd->add_option("--lon", o.lon, "longitude D:M, east positive (default 116:25)");
  cmd->add_option("--lat", o.lat, "latitude D:M, north positive (default 39:54)");
  cmd->add_option("--place", o.place, "place name (default 未知地)");
  cmd->add_option("--settings", o.settings, "a set.ini (default: the program folder's dat/set.ini)");
  cmd->add_flag("--json", o.json, "the chart model as JSON");
  cmd->add_option("--png", o.png, "write the chart picture (880 x 700) as PNG");
  cmd->add_option("--jpg", o.jpg, "write the chart picture as JPEG");
  cmd->add_option("--svg", o.svg, "write the chart picture as SVG");
  cmd->add_option("--scale", o.scale, "draw --png and --jpg at N times the resolution (1..4, default 1)")
      ->check(CLI::Range(1, kMaxChartScale));
  cmd->add_option("--pdf", o.pdf, "write the PDF report: the chart page, then the analysis");
  cmd->add_option("--analysis", o.analysis, "write the analysis text of the natal chart (UTF-8) to FILE");
}

void WriteChartPictures(CVoVirer& engine, const ChartOptions& o) {
  if (o.png.empty() && o.jpg.empty() && o.svg.empty() && o.pdf.empty()) return;
  EnsureGuiApplication();
  // Each file is made whole in memory, then written.
  std::string bytes;
  auto made = [&](const std::string& path, bool ok) {
    if (!ok || bytes.empty()) throw CommandError("cannot write " + Shown(path) + ": it could not be made");
  };
  if (!o.png.empty()) {
    made(o.png, ChartPngBytes(engine, o.scale, &bytes));
    WriteOutputFile(o.png, bytes);
  }
  if (!o.jpg.empty()) {
    made(o.jpg, EncodeJpeg(RenderChart(engine, o.scale), &bytes));
    WriteOutputFile(o.jpg, bytes);
  }
  if (!o.svg.empty()) {
    made(o.svg, ChartSvgBytes(engine, &bytes));
    WriteOutputFile(o.svg, bytes);
  }
  if (!o.pdf.empty()) {
    bytes = ReportBytes(engine);
    made(o.pdf, true);
    WriteOutputFile(o.pdf, bytes);
  }
}

const PlaceIndex& ProgramPlaces() {
  static std::unique_ptr<PlaceIndex> places;
  static std::string folder;
  if (!places || folder != ProgramDir()) {
    folder = ProgramDir();
    places = PlaceIndex::OfProgramFolder();
  }
  // A list that cannot be read would make every place unknown.
  if (!places->Problem().empty()) throw CommandError(places->Problem());
  return *places;
}

std::string PlaceLine(const Place& p) {
  return Tsv({p.name, p.country, p.region, Fixed(p.latitude, 4), Fixed(p.longitude, 4), p.timeZone,
              std::to_string(p.population)});
}

ChartRequest RequestOf(const ChartOptions& o) {
  const Date d = ParseDate(o.date);
  const Time t = ParseTime(o.time);
  if (o.zone && !o.tz.empty()) throw UsageError("--tz and --zone exclude each other");
  if (o.dst != "auto" && o.dst != "on" && o.dst != "off") throw UsageError("--dst takes auto, on or off");
  ChartRequest r;
  r.SetName(o.name);
  r.isMale = o.female ? 0 : 1;
  r.year = Int16OrOutOfRange(d.year);
  r.month = static_cast<int16_t>(d.month);
  r.day = static_cast<int16_t>(d.day);
  r.hour = static_cast<int16_t>(t.hour);
  r.minute = static_cast<int16_t>(t.minute);
  r.isLunar = o.lunar ? 1 : 0;
  r.isLeapMonth = o.lunar && o.leap ? 1 : 0;
  if (!o.era.empty()) {
    // 康熙 50-8-13: the era's fiftieth year, a lunar date.
    const calendar::EraLookup era = calendar::LookUpEra(o.era, d.year);
    if (era.result != calendar::EraLookup::kFound) throw CommandError(calendar::EraLookupMessage(Shown(o.era), d.year, era));
    r.year = Int16OrOutOfRange(era.era->LunarYear(d.year));
    r.isLunar = 1;
    r.isLeapMonth = o.leap ? 1 : 0;
    // A rival court's era reads the date on that court's calendar.
    r.lunarCalendar = static_cast<uint8_t>(calendar::CalendarOfEra(*era.era, r.year));
  }

  std::optional<Place> city;
  if (!o.city.empty()) {
    std::vector<Place> candidates;
    city = ProgramPlaces().Find(o.city, &candidates);
    if (!city) {
      std::string message = (candidates.empty() ? "没有这个地名：" : "地名不止一个：") + Shown(o.city);
      for (const Place& p : candidates) message += "\n" + PlaceLine(p);
      throw CommandError(message);
    }
  }
  const int zone = o.zone.value_or(kDefaultTimeZoneIndex);
  if (zone < 0 || zone >= kTimeZoneCount) throw CommandError(kBadTimeZone);
  r.timeZoneIndex = static_cast<int8_t>(zone);
  const std::string tz = !o.tz.empty() ? o.tz : (city && !o.zone) ? city->timeZone : std::string();
  if (!tz.empty()) {
    if (!IsKnownZone(tz) || tz.size() >= sizeof r.timeZone) throw CommandError(kUnknownTimeZone + std::string("：") + Shown(tz));
    r.SetTimeZoneName(tz);
    r.dstChoice = static_cast<uint8_t>(o.dst == "on" ? DstChoice::Daylight
                                       : o.dst == "off" ? DstChoice::Standard
                                                        : DstChoice::Auto);
  }
  r.longitude = !o.lon.empty() ? Coordinate(o.lon) : city ? static_cast<float>(city->longitude) : Coordinate("116:25");
  r.latitude = !o.lat.empty() ? Coordinate(o.lat) : city ? static_cast<float>(city->latitude) : Coordinate("39:54");
  // The ends themselves are refused (a pole, the date line): the message
  // says so, as the chart checks them.
  if (!(r.longitude > -180 && r.longitude < 180 && r.latitude > -90 && r.latitude < 90))
    throw CommandError(std::string(kBadCoordinates) + "（不含两端：经度-180:00、180:00与纬度-90:00、90:00都不可用）");
  r.SetPlaceName(!o.place.empty() ? o.place : city ? city->PlaceName() : std::string(kUnknownPlaceName));
  if (city && city->source == Place::Source::China) {
    r.provinceIndex = static_cast<int16_t>(city->province);
    r.cityIndex = static_cast<int16_t>(city->city);
  } else if (city) {
    r.provinceIndex = kUnknownProvinceIndex;
    r.placeId = city->id;
  }
  return r;
}

// The IANA id of the clock's zone: the zone named, or for a whole-hour zone
// of the list the fixed zone of that offset ("Etc/GMT-8" is UTC+8).
std::string ZoneId(const BirthClock& c) {
  if (!c.zone.empty()) return c.zone;
  const int hours = c.standardOffset / 3600;
  if (hours == 0) return "Etc/GMT";
  return (hours > 0 ? "Etc/GMT-" : "Etc/GMT+") + std::to_string(std::abs(hours));
}

json ClockJson(const BirthClock& c) {
  // Offsets in minutes; the few clocks of seconds (local mean times) keep
  // them as a fraction.
  auto minutes = [](int seconds) -> json {
    if (seconds % 60 == 0) return seconds / 60;
    return seconds / 60.0;
  };
  return json{{"timeZone", c.zone.empty() ? json(nullptr) : json(c.zone)},
              {"standardOffsetMinutes", minutes(c.standardOffset)},
              {"dstMinutes", minutes(c.dstOffset)},
              {"utcOffsetMinutes", minutes(c.UtcOffset())},
              {"ambiguous", c.ambiguous}};
}

namespace {

// The settings files warned of lately, the latest first. A batch may name a
// new file on each of its lines: only these few are remembered, so that its
// memory stays flat.
std::deque<std::string>& WarnedSettings() {
  static std::deque<std::string> warned;
  return warned;
}

}  // namespace

std::size_t RememberedSettingsWarnings() { return WarnedSettings().size(); }

// A settings file named but not read is said on standard error: the chart
// is then computed with the default settings, as the program does.
void WarnOfUnreadSettings(const std::string& path) {
  // Once a file while it is among the files named lately, however many
  // charts a batch computes with it.
  std::deque<std::string>& warned = WarnedSettings();
  const auto seen = std::find(warned.begin(), warned.end(), path);
  if (seen != warned.end()) {
    std::rotate(warned.begin(), seen, seen + 1);
    return;
  }
  warned.push_front(path);
  if (warned.size() > kRememberedSettingsWarnings) warned.pop_back();
  std::string bytes;
  const char* why = nullptr;
  switch (ReadFile(path, &bytes, kIniMaxBytes)) {
    case ReadResult::Read: return;
    case ReadResult::Missing: why = "not found"; break;
    case ReadResult::NotAFile: why = "not a file"; break;
    case ReadResult::TooLarge: why = "larger than a settings file can be"; break;
    case ReadResult::Failed: why = "cannot be read"; break;
  }
  std::cerr << "lumtar-cli: settings file " << Shown(path) << " " << why << "; using the default settings\n";
}

void ComputeChart(CVoVirer& engine, const ChartOptions& o) {
  // Set on every chart: an engine that serves many requests (batch) takes
  // nothing over from the request before.
  if (!o.settings.empty()) WarnOfUnreadSettings(o.settings);
  engine.SetSettingsPath(o.settings);
  engine.SetAnalysis(o.analysis.empty() && o.pdf.empty() ? std::function<void(CVoVirer&)>()
                                                         : [](CVoVirer& e) { BuildAnalysis(e); });
  if (!engine.ComputeNatal(RequestOf(o))) throw CommandError(engine.lastError);
}

void WriteAnalysis(const CVoVirer& engine, const ChartOptions& o) {
  if (!o.analysis.empty()) WriteOutputFile(o.analysis, engine.analysisText);
}

json NatalChartJson(CVoVirer& engine, const ChartRequest& entered) {
  const ChartModel& m = engine.model;
  json j;
  j["request"] = json{{"name", entered.NameUtf8()},
                      {"isMale", entered.isMale != 0},
                      {"isLunar", entered.isLunar != 0},
                      {"isLeapMonth", entered.isLeapMonth != 0},
                      {"year", entered.year},
                      {"month", entered.month},
                      {"day", entered.day},
                      {"hour", entered.hour},
                      {"minute", entered.minute},
                      {"timeZoneIndex", entered.TimeZoneName().empty()
                                            ? entered.timeZoneIndex
                                            : NearestWholeHourZone(m.clock.UtcOffset())},
                      {"hoursEast", m.request.timeZoneIndex},
                      {"timeZone", ZoneId(m.clock)},
                      {"timeZoneText", ClockText(m.clock)},
                      {"longitude", entered.longitude},
                      {"latitude", entered.latitude},
                      {"provinceIndex", entered.provinceIndex},
                      {"cityIndex", entered.cityIndex},
                      {"placeName", entered.PlaceNameUtf8()}};
  j["settings"] = json{{"frame", m.settings.frame},
                       {"backgroundColour", m.settings.backgroundColour},
                       {"nodeConvention", m.settings.nodeConvention},
                       {"aspectOrb", m.settings.aspectOrb},
                       {"ascendantMethod", m.settings.ascendantMethod},
                       {"pillarTime", m.settings.pillarTime}};
  j["chartMode"] = m.chartMode;
  j["inputJd"] = m.inputJd;
  j["birthJd"] = m.birthJd;
  j["clock"] = ClockJson(m.clock);
  j["beijingMoment"] = MomentJson(m.beijingMoment);
  j["pillarMoment"] = MomentJson(m.pillarMoment);
  // The calendar of each civil date: Julian before 1582-10-15; the request's
  // is null when it is a lunar date.
  const auto calendarOf = [](int year, int month, int day) {
    return IsJulianCalendarDate(year, month, day) ? "julian" : "gregorian";
  };
  j["civilCalendar"] =
      json{{"request", entered.isLunar != 0 ? json(nullptr) : json(calendarOf(entered.year, entered.month, entered.day))},
           {"beijingMoment", calendarOf(m.beijingMoment.year, m.beijingMoment.month, m.beijingMoment.day)},
           {"pillarMoment", calendarOf(m.pillarMoment.year, m.pillarMoment.month, m.pillarMoment.day)}};
  json lunar = MomentJson(m.lunarDate);
  lunar["leap"] = m.request.isLeapMonth != 0;
  // A date read on a rival court's calendar says which.
  if (m.lunarCalendar != 0)
    lunar["calendar"] = calendar::LunarCalendarName(static_cast<calendar::LunarCalendar>(m.lunarCalendar));
  j["lunarDate"] = lunar;
  j["pillars"] = json{{"year", PillarJson(m.yearPillar)},
                      {"month", PillarJson(m.monthPillar)},
                      {"day", PillarJson(m.dayPillar)},
                      {"hour", PillarJson(m.hourPillar)}};
  j["nayinElement"] = m.nayinElement;
  j["nayinElementName"] = Named(ElementName(m.nayinElement));
  j["mansionOrigin"] = m.mansionOrigin;
  j["ascendantLongitude"] = m.ascendantLongitude;
  json places = json::array();
  for (int i = 0; i < kPlaceCount; ++i) {
    const BodyPlace& p = m.places[i];
    places.push_back(json{{"index", i},
                          {"name", PlaceName(i)},
                          {"longitude", p.longitude},
                          {"latitude", p.latitude},
                          {"branch", p.branch},
                          {"branchName", Named(calendar::kBranchNames[p.branch])},
                          {"palaceNumber", p.palaceNumber},
                          {"palaceName", Named(PalaceName(p.palaceNumber, m.request.isMale != 0))},
                          {"mansion", p.mansion},
                          {"mansionName", Named(MansionName(p.mansion))},
                          {"degreeInSign", p.degreeInSign},
                          {"degreeInMansion", p.degreeInMansion},
                          {"motion", p.motion}});
  }
  j["places"] = places;
  j["ageOffset"] = m.ageOffset;
  json dignities = json::array();
  for (int k = 0; k < kRatedBodyCount; ++k)
    dignities.push_back(json{{"index", k}, {"name", Named(astro::kChartBodyShortNames[k])}, {"text", engine.DignityText(k)}});
  j["dignities"] = dignities;
  j["benefactor"] = engine.BenefactorText();
  json stars = json::object();
  for (const ChartStar& s : ChartStars(m.yearPillar, m.nayinElement, m.places[kAscendantPlace].branch))
    stars[Named(s.title)] = Named(BodyChar(s.body));
  j["chartStars"] = stars;
  j["spirits"] = SpiritsJson(m.yearPillar, m.nayinElement);
  json header = json::array();
  for (const HeaderLine& l : HeaderLines(engine)) header.push_back(l.text);
  j["header"] = header;
  return j;
}

void RunChart(CVoVirer& engine, const ChartOptions& o) {
  ComputeChart(engine, o);
  WriteAnalysis(engine, o);
  WriteChartPictures(engine, o);
}

namespace {

const RegisterCommands registerChart([](CLI::App& app) {
  auto options = std::make_shared<ChartOptions>();
  CLI::App* chart = app.add_subcommand("chart", "a natal chart: the header text, or the chart model with --json");
  AddChartOptions(chart, *options);
  chart->callback([options] {
    CVoVirer engine;
    RunChart(engine, *options);
    if (options->json) {
      std::cout << NatalChartJson(engine, RequestOf(*options)).dump() << '\n';
      return;
    }
    for (const HeaderLine& l : HeaderLines(engine)) std::cout << l.text << '\n';
  });
});

json MarkJson(const PeriodMark& p) {
  return json{{"longitude", p.longitude},
              {"mansion", p.mansion},
              {"mansionName", Named(MansionName(p.mansion))},
              {"degreeInMansion", p.degreeInMansion},
              {"branch", p.branch},
              {"branchName", Named(calendar::kBranchNames[p.branch])},
              {"degreeInSign", p.degreeInSign}};
}

json AnnualJson(const CVoVirer& engine) {
  const AnnualChart& a = engine.annual;
  json j;
  j["timeZoneIndex"] = a.timeZoneIndex;
  j["hoursEast"] = a.hoursEast;
  j["timeZone"] = ZoneId(a.clock);
  j["timeZoneText"] = a.clock.zone.empty() ? TimeZoneText(a.timeZoneIndex) : ClockText(a.clock);
  j["clock"] = ClockJson(a.clock);
  j["jd"] = a.jd;
  j["jd8"] = a.jd8;
  j["moment"] = MomentJson(a.moment);
  j["year"] = a.year;
  j["yearPillar"] = PillarJson(a.yearPillar);
  j["age"] = a.age;
  j["period"] = json{{"index", a.period.period},
                     {"branch", LifePeriods(engine.model.places[kAscendantPlace].branch,
                                            engine.model.ageOffset)[static_cast<size_t>(a.period.period)]
                                    .branch},
                     {"elapsed", a.period.elapsed},
                     {"step", a.period.step},
                     {"point", MarkJson(a.period.start)},
                     {"next", MarkJson(a.period.next)},
                     {"lineAngle", a.period.lineAngle}};
  json bodies = json::array();
  for (int k = 0; k < kChartBodyCount; ++k)
    bodies.push_back(json{{"index", k},
                          {"name", Named(astro::kChartBodyNames[k])},
                          {"longitude", a.longitude[k]},
                          {"latitude", a.latitude[k]}});
  j["bodies"] = bodies;
  j["spirits"] = SpiritsJson(a.yearPillar, engine.model.nayinElement);
  json lines = json::array();
  for (const std::string& l : AnnualLines(a)) lines.push_back(l);
  j["lines"] = lines;
  return j;
}

// The annual moment of the options as the annual time dialog takes it: a
// year 619..2100 and a date that exists, as a civil time in its zone.
double AnnualMomentJd(CVoVirer& engine, const AnnualOptions& a) {
  if (a.at.size() != 2) throw UsageError("--at needs a date and a time: --at YYYY-MM-DD HH:MM");
  const Date d = ParseDate(a.at[0]);
  const Time t = ParseTime(a.at[1]);
  if (d.year < kFirstYear || d.year > kLastYear) throw CommandError("年份最大范围619-2100");
  // The dialog's lists hold hours 0..23 and minutes 0..59; 23:60 is no
  // way to write the next day.
  if (t.hour > 23 || t.minute > 59) throw CommandError(kNoSuchTime);
  const DateTime moment{static_cast<int16_t>(d.year), static_cast<int16_t>(d.month), static_cast<int16_t>(d.day),
                        static_cast<int16_t>(t.hour), static_cast<int16_t>(t.minute)};
  if (!engine.dateService.IsValidSolarDate(moment)) throw CommandError(kNoSuchAnnualDate);
  return engine.dateService.JulianDayOf(moment);
}

}  // namespace

void AddAnnualOptions(CLI::App* cmd, AnnualOptions& a) {
  cmd->add_option("--at", a.at, "the annual moment YYYY-MM-DD HH:MM, civil time in the zone of --at-zone")
      ->expected(2)
      ->required();
  a.zoneOption =
      cmd->add_option("--at-zone", a.zone, "time-zone list position 0..23 of --at (default: the chart's own zone)");
  a.zoneOption->excludes(
      cmd->add_option("--at-tz", a.tz, "an IANA time zone whose clock --at is (default: the chart's own zone)"));
}

void RunAnnual(CVoVirer& engine, const ChartOptions& o, const AnnualOptions& a) {
  ComputeChart(engine, o);
  // Neither --at-zone nor --at-tz: the chart's own zone or clock.
  int zone = a.zoneOption != nullptr && a.zoneOption->count() > 0 ? a.zone
             : engine.model.request.TimeZoneName().empty()        ? o.zone.value_or(kDefaultTimeZoneIndex)
                                                                  : kLocalTimeZoneIndex;
  if (!a.tz.empty()) {
    if (!IsKnownZone(a.tz)) throw CommandError(kUnknownTimeZone + std::string("：") + Shown(a.tz));
    zone = kLocalTimeZoneIndex;
  }
  if (zone != kLocalTimeZoneIndex && (zone < 0 || zone >= kTimeZoneCount)) throw CommandError(kBadTimeZone);
  if (!engine.ComputeAnnual(zone, AnnualMomentJd(engine, a), a.tz)) throw CommandError(engine.lastError);
  WriteAnalysis(engine, o);  // the natal chart's, which the overlay leaves as it was
  WriteChartPictures(engine, o);
}

json AnnualChartJson(CVoVirer& engine, const ChartOptions& o) {
  json j = NatalChartJson(engine, RequestOf(o));
  j["annual"] = AnnualJson(engine);
  return j;
}

namespace {

const RegisterCommands registerAnnual([](CLI::App& app) {
  auto options = std::make_shared<ChartOptions>();
  auto annual = std::make_shared<AnnualOptions>();
  CLI::App* cmd = app.add_subcommand(
      "annual", "a natal chart with its annual overlay: the header and the annual lines, or JSON with --json");
  AddChartOptions(cmd, *options);
  AddAnnualOptions(cmd, *annual);
  cmd->callback([options, annual] {
    CVoVirer engine;
    RunAnnual(engine, *options, *annual);
    if (options->json) {
      std::cout << AnnualChartJson(engine, *options).dump() << '\n';
      return;
    }
    for (const HeaderLine& l : HeaderLines(engine)) std::cout << l.text << '\n';
    for (const std::string& l : AnnualLines(engine.annual)) std::cout << l << '\n';
  });
});

}  // namespace
}  // namespace lumtar::cli
