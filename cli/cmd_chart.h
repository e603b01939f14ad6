// The chart options of lumtar-cli and the chart as JSON, shared by the
// commands that compute a natal chart.
#pragma once

#include <nlohmann/json.hpp>

#include <optional>
#include <string>
#include <vector>

#include "clicommon.h"
#include "placesearch.h"
#include "vovirer.h"

namespace lumtar::cli {

struct ChartOptions {
  std::string name;
  bool female = false;
  std::string date;
  std::string time;
  bool lunar = false;
  bool leap = false;
  std::string era;           // the date is then era year, lunar month and day
  std::optional<int> zone;  // time-zone list position 0..23; none: 8, or the zone of --city
  std::string tz;           // an IANA zone whose clock the time is; excludes zone
  std::string dst = "auto";  // auto, on or off: how a repeated hour of tz is read
  std::string city;          // a place of the place lists, by name
  std::string lon;           // "D:M"; empty: that of --city, else 116:25
  std::string lat;           // "D:M"; empty: that of --city, else 39:54
  std::string place;         // empty: that of --city, else 未知地
  std::string settings;
  bool json = false;
  std::string png, jpg, svg;  // picture files to write
  int scale = 1;              // resolution of --png and --jpg, 1..4 times 880 x 700
  std::string pdf;            // the PDF report: the chart page and the analysis
  std::string analysis;       // the analysis text of the natal chart (UTF-8)
};

// --name, --female, --date, --time, --lunar, --leap, --era, --zone, --tz,
// --dst, --city, --lon, --lat, --place, --settings, --json, --png, --jpg,
// --svg, --scale, --pdf,
// --analysis and --program-dir.
void AddChartOptions(CLI::App* cmd, ChartOptions& options);

// The request the options describe. Throws UsageError for malformed text and
// CommandError (with the system's message) for values out of range, an
// unknown zone, and a --city that names no place or several.
ChartRequest RequestOf(const ChartOptions& options);

// The options of the annual moment: --at, --at-zone and --at-tz.
struct AnnualOptions {
  std::vector<std::string> at;        // date and time
  int zone = 0;
  CLI::Option* zoneOption = nullptr;  // neither given: the chart's own zone
  std::string tz;                     // an IANA zone whose clock --at is
};
void AddAnnualOptions(CLI::App* cmd, AnnualOptions& annual);

// What `chart` and `annual` compute and write (the analysis and picture
// files), before their output. `batch` runs the very same for each of its
// lines, on one engine: whatever an option means belongs in these functions
// (and those they call), not in a command's callback.
void RunChart(CVoVirer& engine, const ChartOptions& options);
void RunAnnual(CVoVirer& engine, const ChartOptions& options, const AnnualOptions& annual);
// What `annual --json` prints: the chart JSON with the overlay as "annual".
nlohmann::ordered_json AnnualChartJson(CVoVirer& engine, const ChartOptions& options);

// The places of the program folder's lists, read once. Throws CommandError
// saying why when a list cannot be read.
const PlaceIndex& ProgramPlaces();
// A place as `places search` prints it: name, country, region, latitude,
// longitude, time zone and population, TAB-separated.
std::string PlaceLine(const Place& place);

// The clock of the chart JSON: timeZone (null for a whole-hour zone), the
// standard offset, the daylight-saving part and the UTC offset in minutes,
// and whether the local time happened twice.
nlohmann::ordered_json ClockJson(const BirthClock& clock);

// A settings file that cannot be read is warned of once while it is among
// the last kRememberedSettingsWarnings files named; how many are remembered.
inline constexpr std::size_t kRememberedSettingsWarnings = 16;
std::size_t RememberedSettingsWarnings();

// Computes the natal chart of the options (with its analysis text when
// --analysis or --pdf names a file); throws CommandError with the engine's message
// when it fails.
void ComputeChart(CVoVirer& engine, const ChartOptions& options);

// Writes the analysis text of the natal chart to the file --analysis names.
// Throws CommandError when the file cannot be written.
void WriteAnalysis(const CVoVirer& engine, const ChartOptions& options);

// Writes the engine's current picture and the PDF report to the files the
// options name.
// Throws CommandError when a file cannot be written.
void WriteChartPictures(CVoVirer& engine, const ChartOptions& options);

// The chart model of the engine's current chart as one JSON object.
nlohmann::ordered_json NatalChartJson(CVoVirer& engine, const ChartRequest& entered);

}  // namespace lumtar::cli
