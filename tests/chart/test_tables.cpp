#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <string>

#include "charttables.h"

using namespace lumtar;

TEST(MansionTable, WidthsAreSinglePrecisionAndCloseTheCircle) {
  double sum = 0;
  for (float w : kMansionWidths) sum += w;
  EXPECT_NEAR(sum, 360.0, 1e-4);
  EXPECT_EQ(kMansionWidths[22], 30.45f);  // 井
  EXPECT_NE(static_cast<double>(kMansionWidths[22]), 30.45);
  EXPECT_EQ(MansionName(0), "轸");
  EXPECT_EQ(MansionName(1), "角");
  EXPECT_EQ(MansionName(27), "翼");
}

TEST(Lords, PalaceAndMansionLords) {
  const char* palace = "木土土木火金水日月水金火";  // 亥 子 … 戌
  for (int b = 0; b < 12; ++b) EXPECT_EQ(BodyChar(PalaceLordOf(b)), std::string(palace + 3 * b, 3)) << b;
  const char* mansion = "水木金土日月火水木";  // 轸 角 亢 氐 房 心 尾 箕 斗
  for (int m = 0; m < 9; ++m) EXPECT_EQ(BodyChar(MansionLordOf(m)), std::string(mansion + 3 * m, 3)) << m;
  EXPECT_EQ(BodyChar(MansionLordOf(27)), "火");  // 翼 closes the seven-long cycle
}

TEST(FindMansion, WalksFromTheOriginWithoutWrapping) {
  // The chart of a year-2000 pillar moment: mansion 0 begins at 190.7664°,
  // so 角 begins at 203.5664°, and 190.0° lies near the end of 翼.
  const double origin = 189.37 + 100 * 50.27 / 3600;
  EXPECT_NEAR(origin, 190.7664, 1e-4);
  struct Case {
    double longitude;
    int mansion;
    double degree;
  } cases[] = {
      {190.0, 27, 17.2336},      // 翼 ends at the origin
      {190.7664, 0, 0.0},        // 轸 begins
      {203.5664, 1, 0.0},        // 角 begins
      {203.5663, 0, 12.7999},    // still 轸
      {10.0, 13, 16.5036},       // past 0°, in 室
  };
  for (const Case& c : cases) {
    MansionPlace p = FindMansion(c.longitude, origin);
    EXPECT_EQ(p.mansion, c.mansion) << c.longitude;
    EXPECT_NEAR(p.degree, c.degree, 1e-3) << c.longitude;
  }
  // Every longitude finds a mansion, and consecutive ones never go backward
  // except when the walk passes the origin.
  int last = 0;
  for (int i = 0; i < 3600; ++i) {
    double lon = std::fmod(origin + i * 0.1, 360.0);
    MansionPlace p = FindMansion(lon, origin);
    EXPECT_GE(p.mansion, last) << lon;
    EXPECT_LT(p.degree, kMansionWidths[p.mansion]);
    last = p.mansion;
  }
}

TEST(NayinElement, ThePairsOfTheCycle) {
  // 甲子乙丑 海中金, 丙寅丁卯 炉中火, 戊辰己巳 大林木, 庚午辛未 路旁土, 壬申癸酉 剑锋金,
  // 丙子丁丑 涧下水, 壬戌癸亥 大海水, 庚子辛丑 壁上土.
  struct Case {
    int index, element;
  } cases[] = {{1, kMetal}, {2, kMetal}, {3, kFire},  {4, kFire},  {5, kWood},  {6, kWood},
               {7, kEarth}, {8, kEarth}, {9, kMetal}, {10, kMetal}, {13, kWater}, {14, kWater},
               {59, kWater}, {0, kWater}, {37, kEarth}, {38, kEarth}};
  for (const Case& c : cases) EXPECT_EQ(NayinElementOf(c.index), c.element) << c.index;
  int count[5] = {};
  for (int g = 0; g < 60; ++g) ++count[NayinElementOf(g)];
  for (int e = 0; e < 5; ++e) EXPECT_EQ(count[e], 12) << e;
}

TEST(AspectOf, DefaultOrbBands) {
  struct Case {
    double a, b;
    int orb, aspect;
  } cases[] = {
      {0, 0, 3, 0},      {10, 12.99, 3, 0}, {0, 3, 3, -1},     {0, 27, 3, 1},    {0, 33, 3, -1},
      {0, 57, 3, 2},     {0, 93, 3, -1},    {0, 117, 3, 4},    {0, 42, 3, 6},    {0, 48, 3, 6},
      {0, 48.01, 3, -1}, {0, 138, 3, 7},    {0, 153, 3, 8},    {0, 177, 3, 5},   {0, 180, 3, 5},
      {350, 10, 3, -1},  {359, 1, 3, 0},    {10, 190, 3, 5},   {300, 90, 3, 8},
      // At orb 10 the order of the tests decides: 37° is 30°, not 45°.
      {0, 37, 10, 1},    {0, 40, 10, 6},    {0, 170, 10, 5},   {0, 140, 10, 7},  {0, 9.99, 10, 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(AspectOf(c.a, c.b, c.orb), c.aspect) << c.a << " " << c.b << " orb " << c.orb;
}

TEST(Ascendant, FormulaValues) {
  struct Case {
    double ramc, latitude, ascendant;
  } cases[] = {{0, 0, 90.0}, {0, 30, 102.934}, {180, 30, 257.066}, {0, -30, 77.066}};
  for (const Case& c : cases) EXPECT_NEAR(AscendantOf(c.ramc, c.latitude), c.ascendant, 5e-4);
}

TEST(Ascendant, DefinedEverywhereOnEarth) {
  // Rounding takes the arcsine's argument a hair past 1 at a RAMC of 90°, and
  // on the polar circle the ecliptic can lie in the horizon (0/0).
  for (double lat : {-89.99, -66.56, -30.0, 0.3, 45.0, 66.56, 80.0, 89.99})
    for (int r = 0; r < 360; ++r) {
      double asc = AscendantOf(r, lat);
      EXPECT_TRUE(std::isfinite(asc)) << r << " " << lat;
      EXPECT_GE(asc, 0);
      EXPECT_LT(asc, 360);
    }
}

TEST(EquatorialOf, RightAscensionQuadrants) {
  struct Case {
    double lon, lat, ra;
  } cases[] = {{0, 0, 0}, {90, 0, 90}, {180, 0, 180}, {270, 0, 270}, {30, 0, 27.9101}, {200, 0, 198.4659},
               {330, 0, 332.0899}};
  for (const Case& c : cases) EXPECT_NEAR(EquatorialOf(c.lon, c.lat), c.ra, 2e-3) << c.lon;
}

TEST(DignityText, PartsInOrder) {
  const int kShen = 9, kWu = 7, kWei = 8, kYin = 3, kXu = 11;
  // 水 in 申, in a mansion that 水 does not rule (角, ruled by 木).
  EXPECT_EQ(DignityText(astro::kChartMercury, kShen, 1), "垣旺乐");
  // ... and in 箕, which it rules.
  EXPECT_EQ(DignityText(astro::kChartMercury, kShen, 7), "垣殿旺乐");
  EXPECT_EQ(DignityText(astro::kChartSun, kWu, 4), "垣殿庙乐");
  EXPECT_EQ(DignityText(astro::kChartJupiter, kWei, 1), "殿旺喜");
  EXPECT_EQ(DignityText(astro::kChartJidu, kYin, 1), "旺");
  EXPECT_EQ(DignityText(astro::kChartZiqi, kXu, 1), "喜");
  EXPECT_EQ(DignityText(astro::kChartUranus, kShen, 1), "");
}

TEST(BenefactorText, ByTheLordOfTheAscendantMansion) {
  EXPECT_EQ(BenefactorText(astro::kChartSun), "恩:金 用:火 仇:土 难:木");
  EXPECT_EQ(BenefactorText(astro::kChartMoon), "恩:金 用:木 仇:火 难:土");
  EXPECT_EQ(BenefactorText(astro::kChartJupiter), "恩:水 用:火 仇:土 难:金");
  EXPECT_EQ(BenefactorText(astro::kChartMercury), "恩:金 用:木 仇:火 难:土");
  EXPECT_EQ(BenefactorText(astro::kChartSaturn), "恩:火 用:金 仇:水 难:木");
}

TEST(EquationOfTimeTable, KeepsItsIrregularEntries) {
  struct Case {
    int day;
    float minutes;
  } cases[] = {{0, -3.40f},   {169, -0.95f}, {189, -5.90f}, {238, -1.60f}, {252, 3.50f},
               {295, 15.26f}, {308, 16.26f}, {332, 12.52f}, {358, 0.00f}, {365, -2.80f}};
  for (const Case& c : cases) EXPECT_EQ(kEquationOfTimeMinutes[c.day], c.minutes) << c.day;
}
