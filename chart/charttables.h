// The constant tables of the chart and the pure computations on them:
// mansions, palace and mansion lords, palace names, elements, 纳音,
// dignities (垣 殿 庙 旺 喜 乐), benefactor elements, aspects, the ascendant
// formula, the equation-of-time table and ecliptic-to-equatorial conversion.
//
// Numberings used throughout the chart engine:
//  - branches 0 亥, 1 子, 2 丑 … 11 戌; a longitude λ lies in the sign of
//    branch 11 − ⌊λ/30⌋, and the sign of branch b begins at (11 − b)·30;
//  - mansions 0 轸, 1 角 … 27 翼, mansion 0 beginning at the chart's mansion
//    origin;
//  - chart bodies 0..13 in the order 日 月 水 金 火 木 土 罗 计 气 孛 天 海 冥;
//  - elements 0 土, 1 金, 2 水, 3 木, 4 火.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "mastrocalc.h"

namespace lumtar {

using astro::ChartBody;
using astro::kChartBodyCount;

inline constexpr int kBranchCount = 12;
inline constexpr int kMansionCount = 28;
// Bodies that have dignities, lords' verses and the like: 日 .. 孛.
inline constexpr int kRatedBodyCount = 11;
inline constexpr int kSevenGovernors = 7;

enum Element : int { kEarth = 0, kMetal = 1, kWater = 2, kWood = 3, kFire = 4 };

// Mansion widths in degrees, single precision; they add up to 360.
extern const float kMansionWidths[kMansionCount];
// "轸", "角" … "翼".
std::string_view MansionName(int mansion);
// One-character name of a chart body ("日" … "冥"); empty out of range.
std::string_view BodyChar(int body);
// "土", "金", "水", "木", "火".
std::string_view ElementName(int element);
// Palace names by palace number (0 命 … 11 相), male or female list.
std::string_view PalaceName(int palaceNumber, bool male);

// Lord of the palace (sign) of a branch, one of the seven governors.
ChartBody PalaceLordOf(int branch);
// Lord of a mansion: 木 金 土 日 月 火 水 from 角 on, so 轸 is 水.
ChartBody MansionLordOf(int mansion);

// Branch of the sign that holds a longitude (0 ≤ λ < 360).
int BranchOfLongitude(double longitude);
// Longitude where the sign of a branch begins.
inline double SignStart(int branch) { return (11 - branch) * 30.0; }
// A value brought into [0, 360); anything not finite becomes 0.
double NormalizeDegrees(double v);

// The 纳音 element of a sexagenary index (1 甲子 … 59 壬戌, 0 癸亥).
int NayinElementOf(int sexagenary);

struct MansionPlace {
  uint8_t mansion = 0;
  double degree = 0;  // degrees past the start of the mansion
};
// The mansion holding a longitude when mansion 0 begins at `origin`; (0, 0)
// when none matches (the single-precision widths can leave a hair's gap).
MansionPlace FindMansion(double longitude, double origin);

// Obliquity used by the chart's own formulas, radians (23.44°).
inline constexpr double kChartObliquity = 0.40910518;
// Right ascension (degrees, [0, 360)) of an ecliptic longitude and latitude.
double EquatorialOf(double longitude, double latitude);

// Aspect class of two longitudes with an orb in whole degrees: 0 together,
// 1 30°, 2 60°, 3 90°, 4 120°, 5 180°, 6 45°, 7 135°, 8 150°, −1 none. The
// order of the tests decides overlaps at large orbs.
int AspectOf(double a, double b, int orb);

// Equation of time, apparent minus mean solar time, in minutes, by the day of
// the year from 0 (1 January); 366 entries, day 365 for leap years.
inline constexpr int kEquationOfTimeDays = 366;
extern const float kEquationOfTimeMinutes[kEquationOfTimeDays];

// The ascendant (degrees, [0, 360)) for a local sidereal angle (RAMC) and a
// geographic latitude, both in degrees.
double AscendantOf(double ramc, double latitude);
// The Sun's right ascension from its ecliptic longitude by the chart's short
// formula, degrees.
double SunRightAscension(double sunLongitude);

// Dignity text of body 0..10 standing in `branch` and `mansion`: the parts
// 垣 殿 庙 旺 喜 乐 that hold, in this order, without separators, in the chosen
// script. Empty for the outer planets.
std::string DignityText(int body, int branch, int mansion);

// "恩:%s 用:%s 仇:%s 难:%s" for the lord of the ascendant's mansion, in the
// chosen script.
std::string BenefactorText(int mansionLord);

}  // namespace lumtar
