// The chart options of lumtar-cli and the chart as JSON, shared by the
// commands that compute a natal chart.
#pragma once

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

#include "clicommon.h"
#include "vovirer.h"

namespace lumtar::cli {

struct ChartOptions {
  std::string name;
  bool female = false;
  std::string date;
  std::string time;
  bool lunar = false;
  bool leap = false;
  int zone = kDefaultTimeZoneIndex;
  std::string lon = "116:25";
  std::string lat = "39:54";
  std::string place;
  std::string settings;
  bool json = false;
  std::string png, jpg, svg;  // picture files to write
  int scale = 1;              // resolution of --png and --jpg, 1..4 times 880 x 700
  std::string pdf;            // the PDF report: the chart page and the analysis
  std::string analysis;       // the analysis text of the natal chart (UTF-8)
};

// --name, --female, --date, --time, --lunar, --leap, --zone, --lon, --lat,
// --place, --settings, --json, --png, --jpg, --svg, --scale, --pdf,
// --analysis and --program-dir.
void AddChartOptions(CLI::App* cmd, ChartOptions& options);

// The request the options describe. Throws UsageError for malformed text and
// CommandError (with the system's message) for values out of range.
ChartRequest RequestOf(const ChartOptions& options);

// The options of the annual moment: --at and --at-zone.
struct AnnualOptions {
  std::vector<std::string> at;        // date and time
  int zone = 0;
  CLI::Option* zoneOption = nullptr;  // not given: the chart's own zone
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
