#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>

#include "gbk.h"
#include "versecatalogue.h"

using namespace lumtar;

namespace {

constexpr std::string_view kBodies[] = {"日", "月", "水", "金", "火", "木", "土", "罗", "计", "气", "孛"};
constexpr std::string_view kMansions[] = {"轸", "角", "亢", "氐", "房", "心", "尾", "箕", "斗", "牛",
                                          "女", "虚", "危", "室", "壁", "奎", "娄", "胃", "昴", "毕",
                                          "觜", "参", "井", "鬼", "柳", "星", "张", "翼"};
constexpr std::string_view kBranches[] = {"亥", "子", "丑", "寅", "卯", "辰", "巳", "午", "未", "申", "酉", "戌"};
constexpr std::string_view kFlyHouses[] = {"命宫", "财帛宫", "兄弟宫", "田宅宫", "男女宫",
                                           "奴仆宫", "夫妻宫", "疾厄宫", "迁移宫", "官禄宫"};
constexpr std::string_view kLordHouses[] = {"命", "财帛", "兄弟", "田宅", "子女", "奴仆",
                                            "配偶", "疾厄", "迁移", "官禄", "福德", "心相"};

bool StartsWith(const std::string& s, std::string_view prefix) { return s.compare(0, prefix.size(), prefix) == 0; }
bool EndsWith(const std::string& s, std::string_view suffix) {
  return s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}
std::string Str(std::string_view a, std::string_view b = {}, std::string_view c = {}, std::string_view d = {}) {
  return std::string(a) + std::string(b) + std::string(c) + std::string(d);
}

}  // namespace

TEST(VerseCatalogue, HoldsEveryTextOfBothStores) {
  EXPECT_EQ(VerseCount(), 718u);
  EXPECT_EQ(BodyLordVerseCount(), 174u);
}

TEST(VerseCatalogue, SampleRowsComeOutByteForByte) {
  struct Case {
    int id;
    const char* text;
  } cases[] = {
      {100, "日躔轸宿号天阶、年少功名自鼎来、端洁为人须大量、定须九棘与三槐。"},
      {131, "月躔角宿号天贵、学问渊源须大智、多才慈惠更温良、夜里生人最为利。"},
      {760, "日飞田宅宫，田宅宫中有太阳、须知安位最高强、膏腴万顷连阡陌、荣祖荣宗福禄昌。"},
      {880, "日飞官禄宫，太阳若在十宫居、抱负宏才仰大儒、或有水金相辅佐、官高职重掌机枢。"},
  };
  for (const auto& c : cases) EXPECT_EQ(VerseText(c.id), c.text) << c.id;
  EXPECT_TRUE(StartsWith(VerseText(1001), "财帛主飞入命:1.对于钱财事务比较在意，"));
  EXPECT_TRUE(StartsWith(VerseText(1132), "命主飞入心相:1."));

  EXPECT_EQ(LordMansionVerse(3, 3), "★金入金度：主有兵权之贵，好色欲，有好子女。\r\n");
  EXPECT_EQ(LordPalaceVerse(8, 1), "★计入月宫：主有心机，作事明敏。\r\n");
  EXPECT_EQ(ConjunctionVerse(2, 10), "★水孛同宫：主贫贱。\r\n");
  EXPECT_EQ(ConjunctionVerse(6, 10), "★土孛同宫：主官至三品。\r\n");
  EXPECT_EQ(ConjunctionVerse(5, 8), "★木计同宫：主进退不定。\r\n");
}

TEST(VerseCatalogue, GapsAndTitleOnlyRows) {
  for (int id : {99, 128, 129, 158, 188, 199, 228, 458, 499, 632, 711, 719, 731, 871, 891, 900, 930, 999, 1144, 1199,
                 1224, -1, 100000})
    EXPECT_EQ(VerseText(id), "") << id;
  struct Case {
    int id;
    const char* text;
  } titleOnly[] = {
      {322, "土躔井宿。"},   {720, "日飞财帛宫"}, {721, "月飞财帛宫"}, {722, "水飞财帛宫"},
      {725, "木飞财帛宫"},   {726, "土飞财帛宫"}, {730, "孛飞疾厄宫"}, {843, "金飞疾厄宫"},
      {846, "土飞疾厄宫"},   {847, "罗飞疾厄宫"}, {848, "计飞疾厄宫"},
  };
  for (const auto& c : titleOnly) EXPECT_EQ(VerseText(c.id), c.text) << c.id;
}

// Each row opens with its own title, so a text under the wrong key shows.
TEST(VerseCatalogue, EveryRowCarriesTheTitleOfItsKey) {
  for (int b = 0; b < kVerseBodyCount; ++b) {
    ASSERT_EQ(MansionVerseBase(b), kMansionVerseBase[b]);
    for (int m = 0; m < 28; ++m) {
      int id = MansionVerseBase(b) + m;
      if (id == 322) continue;
      std::string title = id == 440 ? "孛躔女度" : Str(kBodies[b], "躔", kMansions[m], "宿");
      EXPECT_TRUE(StartsWith(VerseText(id), title)) << id;
      EXPECT_TRUE(EndsWith(VerseText(id), "。")) << id;
    }
    for (int br = 0; br < 12; ++br) {
      int id = KeepVerseId(b, br);
      std::string title = id == 511 ? "日守戍宫：" : Str(kBodies[b], "守", kBranches[br], "宫：");
      EXPECT_TRUE(StartsWith(VerseText(id), title)) << id;
      EXPECT_NE(VerseText(id).find("；"), std::string::npos) << id;
    }
    for (int h = 0; h < 10; ++h) {
      int id = FlyVerseId(b, h);
      std::string_view house = id == 730 ? "疾厄宫" : kFlyHouses[h];
      EXPECT_TRUE(StartsWith(VerseText(id), Str(kBodies[b], "飞", house))) << id;
    }
  }
  EXPECT_EQ(KeepVerseId(10, 11), 631);
  EXPECT_TRUE(StartsWith(VerseText(631), "孛守戌宫："));
  EXPECT_EQ(FlyVerseId(10, 9), 890);
  EXPECT_TRUE(StartsWith(VerseText(890), "孛飞官禄宫，"));
  EXPECT_TRUE(StartsWith(VerseText(130), "月躔轸宿"));
  for (int stand = 0; stand < 12; ++stand)
    for (int ruled = 0; ruled < 12; ++ruled) {
      int id = LordFliesVerseId(stand, ruled);
      std::string title = Str(kLordHouses[ruled], "主飞入", kLordHouses[stand], ":");
      std::string_view first = id == 1010 ? "." : "1.";
      EXPECT_TRUE(StartsWith(VerseText(id), title + std::string(first))) << id;
    }
  for (int a = 0; a < 12; ++a) {
    std::string title = Str("立命", kBranches[a], "宫：");
    EXPECT_TRUE(StartsWith(VerseText(PortraitVerseId(a)), title + "\r\n\r\n　　　外型：")) << a;
    EXPECT_TRUE(StartsWith(VerseText(MaskVerseId(a)), title + "你出生时所配戴的面具是「")) << a;
  }
}

TEST(VerseCatalogue, BodyAndLordEntriesCarryTheirOwnMarks) {
  int count = 0;
  for (int body = 0; body < kVerseBodyCount; ++body)
    for (int lord = 0; lord < kGovernorCount; ++lord) {
      const std::string& palace = LordPalaceVerse(body, lord);
      EXPECT_TRUE(StartsWith(palace, Str("★", kBodies[body], "入", kBodies[lord]) + "宫：")) << body << lord;
      EXPECT_TRUE(EndsWith(palace, "\r\n"));
      count += !palace.empty();
      if (body >= kGovernorCount) continue;
      const std::string& mansion = LordMansionVerse(body, lord);
      if (body == 5 && lord == 0) {
        EXPECT_EQ(mansion, "");  // 木 in a mansion of 日 has no text
        continue;
      }
      EXPECT_TRUE(StartsWith(mansion, Str("★", kBodies[body], "入", kBodies[lord]) + "度：")) << body << lord;
      EXPECT_TRUE(EndsWith(mansion, "\r\n"));
      count += !mansion.empty();
    }
  for (int a = 0; a < kGovernorCount; ++a)
    for (int b = a + 1; b < kVerseBodyCount; ++b) {
      std::string_view partner = b == 9 ? "紫" : kBodies[b];
      const std::string& shared = ConjunctionVerse(a, b);
      EXPECT_TRUE(StartsWith(shared, Str("★", kBodies[a], partner, "同宫："))) << a << b;
      EXPECT_TRUE(EndsWith(shared, "\r\n"));
      count += !shared.empty();
    }
  EXPECT_EQ(count, 174);
  EXPECT_TRUE(StartsWith(LordMansionVerse(5, 1), "★木入月度："));
}

// Slips of the simplified edition and of the conversion from traditional
// characters (員 written for 圓 becomes 员) read as the sense requires.
TEST(VerseCatalogue, SlipsOfTheSourcesAreMended) {
  struct Case {
    const char* key;
    const std::string& text;
    const char* mended;
    const char* slip;
  } cases[] = {
      {"125", VerseText(125), "富贵荣华", "柴华"},
      {"133", VerseText(133), "又乖劣", "乘劣"},
      {"246", VerseText(246), "渊源学问", "学向"},
      {"281", VerseText(281), "户口邦畿", "拜畿"},
      {"321", VerseText(321), "男女犹如", "尤如"},
      {"701", VerseText(701), "若能圆夜照", "员夜"},
      {"829", VerseText(829), "方袍圆顶", "员顶"},
      {"日入日度", LordMansionVerse(0, 0), "面圆耳耸", "面员"},
      {"火入月度", LordMansionVerse(4, 1), "亦短夭", "短天"},
      {"日火同宫", ConjunctionVerse(0, 4), "作事方圆", "方员"},
      {"584", VerseText(584), "乾宫", "干宫"},
      {"631", VerseText(631), "此曜七强", "匕强"},
  };
  for (const auto& c : cases) {
    EXPECT_NE(c.text.find(c.mended), std::string::npos) << c.key;
    EXPECT_EQ(c.text.find(c.slip), std::string::npos) << c.key;
  }
}

namespace {

// Characters of UTF-8 text (lead bytes only).
size_t CharacterCount(const std::string& text) {
  size_t n = 0;
  for (unsigned char c : text) n += (c & 0xC0) != 0x80;
  return n;
}

}  // namespace

// The judgements stand whole where they fit: 日水同宫 ends with its last
// clause, and no entry runs past 112 characters between its ★ and its line
// break.
TEST(VerseCatalogue, JudgementsAreWholeWithinTheirLength) {
  EXPECT_TRUE(EndsWith(ConjunctionVerse(0, 2), "好音律；若是日主在本宫，昼生大富，夜生微贵。\r\n"));
  size_t longest = 0;
  for (int a = 0; a < kVerseBodyCount; ++a)
    for (int b = 0; b < kVerseBodyCount; ++b)
      for (const std::string* t : {&LordMansionVerse(a, b), &LordPalaceVerse(a, b), &ConjunctionVerse(a, b)})
        if (!t->empty()) longest = std::max(longest, CharacterCount(*t) - 3);  // ★, CR, LF
  EXPECT_LE(longest, 112u);
}

TEST(VerseCatalogue, KeysOutsideTheTablesGiveEmptyTexts) {
  EXPECT_EQ(LordMansionVerse(7, 0), "");  // 罗 has no mansion judgement
  EXPECT_EQ(LordMansionVerse(0, 7), "");
  EXPECT_EQ(LordPalaceVerse(11, 0), "");
  EXPECT_EQ(LordPalaceVerse(0, 8), "");
  EXPECT_EQ(LordPalaceVerse(-1, 0), "");
  EXPECT_EQ(ConjunctionVerse(7, 8), "");   // two of 罗 计 气 孛
  EXPECT_EQ(ConjunctionVerse(10, 9), "");
  EXPECT_EQ(ConjunctionVerse(10, 2), "");  // reversed pair
  EXPECT_EQ(ConjunctionVerse(3, 3), "");
  EXPECT_EQ(ConjunctionVerse(0, 11), "");
  EXPECT_EQ(MansionVerseBase(11), 0);
}

TEST(VerseCatalogue, DomicilesInTheReportsOrder) {
  struct Case {
    int governor, count, first, second;
  } cases[] = {
      {0, 1, 7, -1}, {1, 1, 8, -1}, {2, 2, 9, 6}, {3, 2, 10, 5}, {4, 2, 11, 4}, {5, 2, 0, 3}, {6, 2, 2, 1},
  };
  for (const auto& c : cases) {
    int branches[2] = {-1, -1};
    ASSERT_EQ(DomicileBranches(c.governor, branches), c.count) << c.governor;
    EXPECT_EQ(branches[0], c.first) << c.governor;
    if (c.count == 2) {
      EXPECT_EQ(branches[1], c.second) << c.governor;
    }
  }
  int branches[2];
  EXPECT_EQ(DomicileBranches(7, branches), 0);
  EXPECT_EQ(DomicileTable(2), 609);
}

// The texts are written out as GBK by the analysis page; every character
// must have a GBK code.
TEST(VerseCatalogue, EveryTextIsRepresentableInGbk) {
  auto check = [](const std::string& t, const std::string& key) {
    if (!t.empty()) {
      EXPECT_EQ(GbkToUtf8(Utf8ToGbk(t)), t) << key;
    }
  };
  for (int id = 100; id <= 1223; ++id) check(VerseText(id), std::to_string(id));
  for (int a = 0; a < kVerseBodyCount; ++a)
    for (int b = 0; b < kVerseBodyCount; ++b) {
      check(LordMansionVerse(a, b), "D");
      check(LordPalaceVerse(a, b), "G");
      check(ConjunctionVerse(a, b), "T");
    }
}
