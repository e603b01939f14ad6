#include "analysisreport.h"

#include "charttables.h"
#include "mastrocalc.h"
#include "script.h"
#include "versecatalogue.h"

namespace lumtar {

namespace {

constexpr const char* kCrLf = "\r\n";
constexpr int kHouseCount = 12;
constexpr int kFirstPlainHouse = 1;  // 财帛; 命宫 is covered by section 1
constexpr int kLastPlainHouse = 9;   // 官禄; 福德 and 相貌 have no 飞 verses

// Marks of the aspect classes of AspectOf; classes 1 (30°), 6, 7 and 8 and
// −1 write nothing.
const char* AspectMark(int aspect) {
  switch (aspect) {
    case 0: return "守、";
    case 2: return "辅、";
    case 3: return "关、";
    case 4: return "拱、";
    case 5: return "对、";
    default: return nullptr;
  }
}

constexpr const char* kAspectLegend = "(30度=守,60度=辅,90度=关,120度=拱,180度=对)\r\n\r\n";

void AppendHeading(std::string& text, const char* heading) {
  text += InScript(heading);
  text += "：";
  text += kCrLf;
}

// Branches and houses read from the model are taken into 0..11 and mansions
// into 0..27, so that a damaged model can only pick a wrong text, never read
// outside a table.
int BranchOf(const BodyPlace& p) { return p.branch % kBranchCount; }
int HouseOf(const BodyPlace& p) { return p.palaceNumber % kHouseCount; }
int MansionOf(const BodyPlace& p) { return p.mansion % kMansionCount; }

// Section 1.
void AppendAscendantSection(const ChartModel& m, std::string& text) {
  const BodyPlace* places = m.places;
  const BodyPlace& ascendant = places[kAscendantPlace];
  const int a = BranchOf(ascendant);

  const int mansionLord = MansionLordOf(MansionOf(ascendant));
  text += InScript("★命度主：");
  text += VerseText(MansionVerseBase(mansionLord) + MansionOf(places[mansionLord]));
  text += "\r\n\r\n";

  const int palaceLord = PalaceLordOf(a);
  text += InScript("★命宫主：");
  text += VerseText(KeepVerseId(palaceLord, BranchOf(places[palaceLord])));
  text += "\r\n\r\n";

  text += "★";
  text += VerseText(PortraitVerseId(a));
  text += kCrLf;
  text += VerseText(MaskVerseId(a));
  text += "\r\n\r\n\r\n";

  for (int body = 0; body < kVerseBodyCount; ++body) {
    if (BranchOf(places[body]) != a) continue;
    text += "★";
    text += VerseText(FlyVerseId(body, 0));
    text += kCrLf;
  }

  std::string verses;
  AppendBodyVerses(m, verses);
  text += kCrLf;
  text += verses;
  text += "\r\n\r\n";
}

// Section 2: the 飞 verses of the bodies in 财帛 to 官禄, a blank line after
// each house that holds any.
void AppendHouseSection(const ChartModel& m, std::string& text) {
  for (int h = kFirstPlainHouse; h <= kLastPlainHouse; ++h) {
    std::string house;
    for (int body = 0; body < kVerseBodyCount; ++body) {
      if (HouseOf(m.places[body]) != h) continue;
      house += "★";
      house += VerseText(FlyVerseId(body, h));
      house += kCrLf;
    }
    if (house.empty()) continue;
    text += house;
    text += kCrLf;
  }
}

// Section 3: for each house in order, the governors standing there, and for
// each of their domiciles the text of that domicile's house lord flying into
// this house. Every governor stands somewhere, so there are always twelve.
void AppendLordSection(const ChartModel& m, std::string& text) {
  const int a = BranchOf(m.places[kAscendantPlace]);
  std::string buffer;
  for (int h = 0; h < kHouseCount; ++h)
    for (int g = 0; g < kGovernorCount; ++g) {
      if (HouseOf(m.places[g]) != h) continue;
      int domiciles[2];
      const int count = DomicileBranches(g, domiciles);
      for (int k = 0; k < count; ++k) {
        const int ruled = (a - domiciles[k] + kHouseCount) % kHouseCount;
        buffer += "★";
        buffer += VerseText(LordFliesVerseId(h, ruled));
        buffer += "\r\n\r\n";
      }
    }
  buffer += "\r\n\r\n";
  text += buffer;
}

// Section 4: one line per body with its partners in aspect. Each aspect
// shows on both bodies' lines.
void AppendAspectSection(const ChartModel& m, std::string& text) {
  std::string buffer;
  for (int x = 0; x < kChartBodyCount; ++x) {
    buffer += InScript(astro::kChartBodyNames[x]);
    buffer += "：";
    for (int y = 0; y < kChartBodyCount; ++y) {
      if (y == x) continue;
      const char* mark = AspectMark(AspectOf(m.places[x].longitude, m.places[y].longitude, m.settings.aspectOrb));
      if (!mark) continue;
      buffer += InScript("与");
      buffer += InScript(astro::kChartBodyShortNames[y]);
      buffer += InScript(mark);
    }
    buffer += kCrLf;
  }
  buffer += InScript(kAspectLegend);
  text += buffer;
}

}  // namespace

void AppendBodyVerses(const ChartModel& m, std::string& out) {
  out.clear();
  const BodyPlace* places = m.places;
  for (int g = 0; g < kGovernorCount; ++g) {
    out += LordMansionVerse(g, MansionLordOf(MansionOf(places[g])));
    out += LordPalaceVerse(g, PalaceLordOf(BranchOf(places[g])));
  }
  for (int body = kGovernorCount; body < kVerseBodyCount; ++body)
    out += LordPalaceVerse(body, PalaceLordOf(BranchOf(places[body])));
  for (int a = 0; a < kGovernorCount; ++a)
    for (int b = a + 1; b < kVerseBodyCount; ++b)
      if (BranchOf(places[a]) == BranchOf(places[b])) out += ConjunctionVerse(a, b);
}

std::string AnalysisReport(const ChartModel& m) {
  std::string text;
  AppendHeading(text, kAnalysisHeadings[0]);
  AppendAscendantSection(m, text);
  AppendHeading(text, kAnalysisHeadings[1]);
  AppendHouseSection(m, text);
  AppendHeading(text, kAnalysisHeadings[2]);
  AppendLordSection(m, text);
  AppendHeading(text, kAnalysisHeadings[3]);
  AppendAspectSection(m, text);
  return text;
}

void BuildAnalysis(CVoVirer& engine) { engine.analysisText = AnalysisReport(engine.model); }

}  // namespace lumtar
