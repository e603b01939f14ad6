// The shared calendar vocabulary: the names of the ten stems, the twelve
// branches, the zodiac animals and the 24 solar terms, and the sexagenary
// numbering of the sixty-day (and sixty-year) cycle.
//
// Sexagenary index i in 0..59: stem i mod 10, branch i mod 12, so that
// 1 is 甲子, 2 乙丑, ..., 59 壬戌 and 0 癸亥 (the sixtieth).
// Stem index: 0 癸, 1 甲, ..., 9 壬. Branch index: 0 亥, 1 子, ..., 11 戌.
// Solar term index k in 0..23: 0 小寒 ... 23 冬至, at solar longitude
// (285° + 15° k) mod 360°; even indexes are the 节 that open the solar months.
#pragma once

#include <string>

#include "script.h"

namespace lumtar::calendar {

inline constexpr const char* kStemNames[10] = {"癸", "甲", "乙", "丙", "丁", "戊", "己", "庚", "辛", "壬"};
inline constexpr const char* kBranchNames[12] = {"亥", "子", "丑", "寅", "卯", "辰",
                                                 "巳", "午", "未", "申", "酉", "戌"};
inline constexpr const char* kAnimalNames[12] = {"猪", "鼠", "牛", "虎", "兔", "龙",
                                                 "蛇", "马", "羊", "猴", "鸡", "狗"};
inline constexpr const char* kSolarTermNames[24] = {
    "小寒", "大寒", "立春", "雨水", "惊蛰", "春分", "清明", "谷雨", "立夏", "小满", "芒种", "夏至",
    "小暑", "大暑", "立秋", "处暑", "白露", "秋分", "寒露", "霜降", "立冬", "小雪", "大雪", "冬至"};

// Stem and branch of a sexagenary index (any integer; reduced mod 60 first).
inline int StemOf(int index) { return ((index % 60 + 60) % 60) % 10; }
inline int BranchOf(int index) { return ((index % 60 + 60) % 60) % 12; }

// The two-character name of a sexagenary index as shown, e.g. 1 -> 甲子,
// 0 -> 癸亥, in the chosen script.
inline std::string SexagenaryName(int index) {
  return std::string(InScript(kStemNames[StemOf(index)])) + InScript(kBranchNames[BranchOf(index)]);
}

}  // namespace lumtar::calendar
