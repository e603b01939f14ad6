// lumtar-cli chart: a natal chart from the command line, as the header text
// or, with --json, as the whole chart model.
#include "cmd_chart.h"

#include <iostream>
#include <limits>
#include <memory>

#include "analysisreport.h"
#include "chartheader.h"
#include "chartstars.h"
#include "files.h"

namespace lumtar::cli {

namespace {

using json = nlohmann::ordered_json;

json MomentJson(const DateTime& t) {
  return json{{"year", t.year}, {"month", t.month}, {"day", t.day}, {"hour", t.hour}, {"minute", t.minute}};
}

json PillarJson(int index) { return json{{"index", index}, {"name", calendar::SexagenaryName(index)}}; }

std::string PlaceName(int i) {
  if (i == kAscendantPlace) return "命宫";
  if (i == kBodyPalacePlace) return "身宫";
  return astro::kChartBodyNames[i];
}

int16_t Int16OrOutOfRange(int v) {
  if (v < std::numeric_limits<int16_t>::min() || v > std::numeric_limits<int16_t>::max())
    throw CommandError(kYearOutOfRange);
  return static_cast<int16_t>(v);
}

// "D:M" with minutes 0..59, as the coordinate box takes it.
float Coordinate(const std::string& text) {
  const double value = ParseDegreesMinutes(text);  // checks the form
  const auto colon = text.find(':');
  if (colon != std::string::npos && std::stoi(text.substr(colon + 1)) > 59) throw CommandError("分数在0-59");
  return static_cast<float>(value);
}

}  // namespace

void AddChartOptions(CLI::App* cmd, ChartOptions& o) {
  AddProgramDirOption(cmd);
  cmd->add_option("--name", o.name, "name (at most 10 bytes in GBK)");
  cmd->add_flag("--female", o.female, "female (default male)");
  cmd->add_option("--date", o.date, "birth date YYYY-MM-DD (lunar with --lunar)")->required();
  cmd->add_option("--time", o.time, "birth time HH:MM in the zone of --zone")->required();
  cmd->add_flag("--lunar", o.lunar, "the date is a Chinese lunar date");
  cmd->add_flag("--leap", o.leap, "the lunar month is the leap month");
  cmd->add_option("--zone", o.zone, "time-zone list position 0..23 (default 8, UTC+8)");
  cmd->add_option("--lon", o.lon, "longitude D:M, east positive (default 116:25)");
  cmd->add_option("--lat", o.lat, "latitude D:M, north positive (default 39:54)");
  cmd->add_option("--place", o.place, "place name (default 未知地)");
  cmd->add_option("--settings", o.settings, "a set.ini (default: the program folder's dat/set.ini)");
  cmd->add_flag("--json", o.json, "the chart model as JSON");
}

ChartRequest RequestOf(const ChartOptions& o) {
  const Date d = ParseDate(o.date);
  const Time t = ParseTime(o.time);
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
  if (o.zone < 0 || o.zone >= kTimeZoneCount) throw CommandError(kBadTimeZone);
  r.timeZoneIndex = static_cast<int8_t>(o.zone);
  r.longitude = Coordinate(o.lon);
  r.latitude = Coordinate(o.lat);
  r.SetPlaceName(o.place.empty() ? "未知地" : o.place);
  return r;
}

void ComputeChart(CVoVirer& engine, const ChartOptions& o) {
  if (!o.settings.empty()) engine.SetSettingsPath(o.settings);
  if (!engine.ComputeNatal(RequestOf(o))) throw CommandError(engine.lastError);
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
                      {"timeZoneIndex", entered.timeZoneIndex},
                      {"hoursEast", m.request.timeZoneIndex},
                      {"timeZone", TimeZoneText(entered.timeZoneIndex)},
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
  j["beijingMoment"] = MomentJson(m.beijingMoment);
  j["pillarMoment"] = MomentJson(m.pillarMoment);
  json lunar = MomentJson(m.lunarDate);
  lunar["leap"] = m.request.isLeapMonth != 0;
  j["lunarDate"] = lunar;
  j["pillars"] = json{{"year", PillarJson(m.yearPillar)},
                      {"month", PillarJson(m.monthPillar)},
                      {"day", PillarJson(m.dayPillar)},
                      {"hour", PillarJson(m.hourPillar)}};
  j["nayinElement"] = m.nayinElement;
  j["nayinElementName"] = ElementName(m.nayinElement);
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
                          {"branchName", calendar::kBranchNames[p.branch]},
                          {"palaceNumber", p.palaceNumber},
                          {"palaceName", PalaceName(p.palaceNumber, m.request.isMale != 0)},
                          {"mansion", p.mansion},
                          {"mansionName", MansionName(p.mansion)},
                          {"degreeInSign", p.degreeInSign},
                          {"degreeInMansion", p.degreeInMansion},
                          {"motion", p.motion}});
  }
  j["places"] = places;
  j["ageOffset"] = m.ageOffset;
  json dignities = json::array();
  for (int k = 0; k < kRatedBodyCount; ++k)
    dignities.push_back(json{{"index", k}, {"name", astro::kChartBodyShortNames[k]}, {"text", engine.DignityText(k)}});
  j["dignities"] = dignities;
  j["benefactor"] = engine.BenefactorText();
  json stars = json::object();
  for (const ChartStar& s : ChartStars(m.yearPillar, m.nayinElement, m.places[kAscendantPlace].branch))
    stars[std::string(s.title)] = BodyChar(s.body);
  j["chartStars"] = stars;
  SpiritCounters counters{};
  json spirits = json::array();
  for (const SpiritLabel& l : PlaceSpirits(m.yearPillar, m.nayinElement, counters))
    spirits.push_back(json{{"branch", l.branch},
                           {"branchName", calendar::kBranchNames[l.branch]},
                           {"text", l.text},
                           {"shown", l.shown()},
                           {"position", l.position}});
  j["spirits"] = spirits;
  json header = json::array();
  for (const HeaderLine& l : HeaderLines(engine)) header.push_back(l.text);
  j["header"] = header;
  return j;
}

namespace {

const RegisterCommands registerChart([](CLI::App& app) {
  auto options = std::make_shared<ChartOptions>();
  auto analysisFile = std::make_shared<std::string>();
  CLI::App* chart = app.add_subcommand("chart", "a natal chart: the header text, or the chart model with --json");
  AddChartOptions(chart, *options);
  chart->add_option("--analysis", *analysisFile, "write the analysis text (UTF-8) to FILE");
  chart->callback([options, analysisFile] {
    CVoVirer engine;
    if (!analysisFile->empty()) engine.SetAnalysis([](CVoVirer& e) { BuildAnalysis(e); });
    ComputeChart(engine, *options);
    if (!analysisFile->empty() && !WriteWholeFileAtomic(*analysisFile, engine.analysisText))
      throw CommandError("cannot write " + *analysisFile);
    if (options->json) {
      std::cout << NatalChartJson(engine, RequestOf(*options)).dump() << '\n';
      return;
    }
    for (const HeaderLine& l : HeaderLines(engine)) std::cout << l.text << '\n';
  });
});

}  // namespace
}  // namespace lumtar::cli
