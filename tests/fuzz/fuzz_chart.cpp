// Any chart request, as raw bytes of the record, with any settings: the
// natal computation either gives a chart whose places are in range or a
// message, and a failed one leaves the previous chart untouched.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include <unistd.h>

#include "chartheader.h"
#include "chartstars.h"
#include "vovirer.h"

using namespace lumtar;

namespace {

std::string SettingsFile(uint8_t selector) {
  static const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("lumtar-fuzz-chart-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const std::string path = (dir / ("set" + std::to_string(selector) + ".ini")).string();
  if (!std::filesystem::exists(path)) {
    ChartSettings s;
    s.frame = selector & 1;
    s.nodeConvention = (selector >> 1) & 1;
    s.ascendantMethod = (selector >> 2) & 1;
    s.pillarTime = static_cast<uint8_t>(((selector >> 3) & 3) % 3);
    s.aspectOrb = static_cast<uint8_t>(1 + (selector >> 5) % 10);
    SaveChartSettings(path, s);
  }
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  static CVoVirer engine;
  engine.SetSettingsPath(SettingsFile(data[0]));
  ChartRequest r;
  std::memcpy(&r, data + 1, std::min(size - 1, sizeof r));
  const ChartModel before = engine.model;
  if (!engine.ComputeNatal(r)) {
    if (engine.lastError.empty()) std::abort();
    if (engine.model.birthJd != before.birthJd || engine.model.chartMode != before.chartMode) std::abort();
    return 0;
  }
  for (const BodyPlace& p : engine.model.places)
    if (!(p.longitude >= 0 && p.longitude < 360) || p.branch > 11 || p.mansion > 27 || p.palaceNumber > 11 ||
        !(p.degreeInSign > -1e-9 && p.degreeInSign < 30 + 1e-9))
      std::abort();
  SpiritCounters counters{};
  PlaceSpirits(engine.model.yearPillar, engine.model.nayinElement, counters);
  HeaderLines(engine);
  return 0;
}
