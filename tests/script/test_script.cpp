// The engine's texts in traditional characters: the table written at build
// time, every text the chart, the analysis and the calendar show, and the
// verse catalogue with its round trip back to simplified characters.
#include <gtest/gtest.h>

#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "analysisreport.h"
#include "calnames.h"
#include "caserecord.h"
#include "chartheader.h"
#include "chartrequests.h"
#include "chartstars.h"
#include "database.h"
#include "lunar.h"
#include "script.h"
#include "scriptconvert.h"
#include "tempdir.h"
#include "versecatalogue.h"
#include "vovirer.h"
#include "yidateex.h"

using namespace lumtar;

namespace {

// Runs a test body under traditional characters and leaves simplified ones.
class Traditional : public ::testing::Test {
 protected:
  void SetUp() override { SetScript(Script::Traditional); }
  void TearDown() override { SetScript(Script::Simplified); }
};

const script::SimplifiedOnly& SimplifiedOnlyCharacters() {
  static const script::SimplifiedOnly chars(LUMTAR_OPENCC_DATA);
  return chars;
}

std::string Utf8(const std::u32string& s) {
  std::string out;
  for (char32_t c : s) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

// A shown text must not hold a character that only simplified writing uses.
void ExpectTraditional(const std::string& text, const std::string& where) {
  const std::u32string found = SimplifiedOnlyCharacters().In(text);
  EXPECT_TRUE(found.empty()) << where << ": " << Utf8(found) << " in " << text;
}

std::vector<script::Override> Overrides() {
  std::vector<script::Override> overrides;
  std::string error;
  EXPECT_TRUE(script::ReadOverrides(LUMTAR_SCRIPT_OVERRIDES, overrides, error)) << error;
  return overrides;
}

}  // namespace

TEST(ScriptTable, SimplifiedTextsStayAsTheyAre) {
  ASSERT_EQ(CurrentScript(), Script::Simplified);
  const char* literal = "罗睺";
  EXPECT_EQ(InScript(literal), literal);
  EXPECT_EQ(InScript(std::string_view(kMakerLine)).data(), kMakerLine);
  EXPECT_EQ(TimeZoneText(8), "东八区");
  EXPECT_EQ(VerseText(100), "日躔轸宿号天阶、年少功名自鼎来、端洁为人须大量、定须九棘与三槐。");
}

TEST_F(Traditional, VocabularyOfTheChart) {
  // The forms the overrides decide, and some OpenCC gives by itself.
  const struct {
    const char* simplified;
    const char* traditional;
  } cases[] = {{"罗喉", "羅睺"}, {"计都", "計都"}, {"紫气", "紫氣"}, {"月孛", "月孛"}, {"冥王星", "冥王星"},
               {"命宫", "命宮"}, {"斗", "斗"},     {"丑", "丑"},     {"咸池", "咸池"}, {"本命盘", "本命盤"},
               {"轸", "軫"},     {"参", "參"},     {"庙", "廟"},     {"乐", "樂"},     {"谷雨", "穀雨"},
               {"惊蛰", "驚蟄"}, {"闰", "閏"},     {"农历:", "農曆:"}};
  for (const auto& c : cases) {
    EXPECT_EQ(InScript(std::string_view(c.simplified)), c.traditional) << c.simplified;
    EXPECT_EQ(SimplifiedForm(c.traditional), c.simplified) << c.traditional;
  }
  EXPECT_STREQ(InScript(kMakerLine), "Lumtar 七政四餘星命");
  // A text outside the vocabulary, such as a name typed by a person, is
  // left alone.
  EXPECT_EQ(InScript(std::string_view("张三")), "张三");
  EXPECT_EQ(SimplifiedForm("張三"), "張三");
}

// Names typed in traditional characters are read back piece by piece, under
// either script; text already simplified, and Latin letters, stay.
TEST(SimplifiedTextTest, TypedNamesReadBack) {
  const struct {
    const char* typed;
    const char* simplified;
  } cases[] = {{"臺北", "台北"},     {"臺中市", "台中市"}, {"廣州", "广州"},     {"烏魯木齊", "乌鲁木齐"},
               {"臺灣/臺南", "台湾/台南"}, {"台北", "台北"}, {"乾隆", "乾隆"},     {"New York", "New York"},
               {"广州", "广州"},     {"", ""}};
  for (Script script : {Script::Simplified, Script::Traditional}) {
    SetScript(script);
    for (const auto& c : cases) EXPECT_EQ(SimplifiedText(c.typed), c.simplified) << c.typed;
  }
  SetScript(Script::Simplified);
}

TEST_F(Traditional, CalendarTexts) {
  for (int month = 1; month <= 12; ++month)
    for (bool leap : {false, true}) ExpectTraditional(calendar::LunarMonthText(month, leap), "month");
  EXPECT_EQ(calendar::LunarMonthText(4, true), "閏四月");
  for (int day = 1; day <= 30; ++day) ExpectTraditional(calendar::LunarDayText(day), "day");
  for (const char* term : calendar::kSolarTermNames) ExpectTraditional(InScript(term), term);
  for (const char* animal : calendar::kAnimalNames) ExpectTraditional(InScript(animal), animal);
  for (int i = 0; i < 60; ++i) ExpectTraditional(calendar::SexagenaryName(i), "pillar");
  for (int zone = 0; zone < kTimeZoneCount; ++zone) ExpectTraditional(TimeZoneText(zone), "zone");
  EXPECT_EQ(TimeZoneText(13), "西一區");
  // Every year of the era table.
  const calendar::obb_class eras;
  for (int year = -2069; year <= 2100; ++year) ExpectTraditional(eras.EraNamesOfYear(year), std::to_string(year));
  EXPECT_EQ(eras.EraNamesOfYear(1600), "[明] 明神宗 朱翊鈞 萬曆28年");
  EXPECT_NE(eras.EraNamesOfYear(360).find("升平"), std::string::npos);
  EXPECT_NE(eras.EraNamesOfYear(493).find("齊鬱林王"), std::string::npos);
  EXPECT_NE(eras.EraNamesOfYear(1851).find("咸豐"), std::string::npos);
  EXPECT_NE(eras.EraNamesOfYear(698).find("聖曆"), std::string::npos);
}

TEST_F(Traditional, CaseDatesAndPlaces) {
  CaseRecord r;
  r.year = 1990;
  r.month = 4;
  r.day = 1;
  r.isLunar = 1;
  r.isLeapMonth = 1;
  EXPECT_EQ(CaseDateText(r), "農閏1990-4-1");
  EXPECT_EQ(PlaceNameInScript("广东省-广州市"), "廣東省-廣州市");
  EXPECT_EQ(PlaceNameInScript("未知地"), "未知地");
  EXPECT_EQ(PlaceNameInScript("台湾省-台北市"), "臺灣省-臺北市");
  // A typed name stays as typed.
  EXPECT_EQ(PlaceNameInScript("某某-乡下"), "某某-乡下");
}

// Texts composed at run time are converted piece by piece: the longest text
// of the vocabulary at each place, so that a phrase which keeps a character
// (三台) is not taken character by character, and a character of several
// forms alone takes its usual one in our texts (历 曆); a character the
// vocabulary does not hold stays.
TEST_F(Traditional, ComposedTexts) {
  const struct {
    const char* simplified;
    const char* traditional;
  } cases[] = {{"America/New_York UTC-5 夏令时 已减1小时", "America/New_York UTC-5 夏令時 已減1小時"},
               {"公历1990年 闰四月", "公曆1990年 閏四月"},
               {"三台在命宫", "三台在命宮"},
               {"文件 D:/数据/甲.txt 已保存", "檔案 D:/資料/甲.txt 已保存"},
               {"abc", "abc"},
               {"", ""}};
  for (const auto& c : cases) EXPECT_EQ(TextInScript(c.simplified), c.traditional) << c.simplified;
  // The windows' words are Taiwan's (檔案 for 文件).
  EXPECT_EQ(WindowTextInScript("文件(&F)"), "檔案(&F)");
  // A text that keeps a character whose usual form alone differs (注 註 of
  // 注明) is taken whole, not character by character.
  EXPECT_EQ(WindowTextInScript("注意"), "注意");
  EXPECT_EQ(WindowTextInScript("注意了"), "注意了");
  EXPECT_EQ(WindowTextInScript("注明"), "註明");
  SetScript(Script::Simplified);
  for (const auto& c : cases) EXPECT_EQ(TextInScript(c.simplified), c.simplified);
}

// A name a person typed or a path, marked Verbatim inside a composed text,
// keeps its characters; the text around it is taken in the script.
TEST_F(Traditional, VerbatimPartsStayAsTheyAre) {
  const std::string unclosed = std::string("参数") + kVerbatimBegin + "参数";
  const struct {
    std::string text;
    const char* window;  // WindowTextInScript, marks taken out
    const char* engine;  // TextInScript, marks taken out
  } cases[] = {
      {"确定要删除“" + Verbatim("亲友数据") + "”这个类别吗？", "確定要刪除“亲友数据”這個類別嗎？",
       "確定要刪除“亲友数据”這個類別吗？"},  // 吗 is no word of the engine's
      {"文件 " + Verbatim("D:/数据/甲.txt") + " 已保存", "檔案 D:/数据/甲.txt 已保存", "檔案 D:/数据/甲.txt 已保存"},
      {Verbatim("张三") + Verbatim("参宿"), "张三参宿", "张三参宿"},
      {unclosed, "參數参数", "參數参数"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WithoutVerbatimMarks(WindowTextInScript(c.text)), c.window) << c.text;
    EXPECT_EQ(WithoutVerbatimMarks(TextInScript(c.text)), c.engine) << c.text;
  }
  SetScript(Script::Simplified);
  EXPECT_EQ(WithoutVerbatimMarks(WindowTextInScript(cases[0].text)), "确定要删除“亲友数据”这个类别吗？");
}

// The world atlas: countries by CLDR's traditional names, places by CLDR's
// names of the time zones' cities or character by character, keeping the
// plain character of a name written by its sound; the Chinese place list by
// its phrases, the overrides first.
TEST_F(Traditional, AtlasNames) {
  EXPECT_EQ(PlaceNameInScript("意大利-罗马"), "義大利-羅馬");
  EXPECT_EQ(PlaceNameInScript("新西兰-奥克兰"), "紐西蘭-奧克蘭");
  EXPECT_EQ(PlaceNameInScript("美国-纽约"), "美國-紐約");
  EXPECT_EQ(SimplifiedForm("義大利"), "意大利");
  const struct {
    const char* simplified;
    const char* traditional;
  } places[] = {{"俄罗斯-托木斯克", "俄羅斯-托木斯克"},   {"美国-丹伯里", "美國-丹伯里"},
                {"乌克兰-马里乌波尔", "烏克蘭-馬里烏波爾"}, {"美国-密苏里城", "美國-密蘇里城"},
                {"波兰-格利维采", "波蘭-格利維采"},     {"法国-布雷斯特", "法國-布雷斯特"},
                {"美国-列克星敦", "美國-列克星敦"},     {"英国-朴次茅斯", "英國-朴次茅斯"},
                {"乌兹别克斯坦-纳曼干", "烏茲別克-納曼干"}, {"墨西哥-夸察夸尔科斯", "墨西哥-夸察夸爾科斯"},
                {"坦桑尼亚-姆万扎", "坦尚尼亞-姆萬扎"},   {"阿塞拜疆-占贾", "亞塞拜然-占賈"},
                {"美国-小岩城", "美國-小岩城"},         {"日本-冲縄市", "日本-沖縄市"},
                {"日本-大曲", "日本-大曲"},             {"日本-千叶市", "日本-千葉市"},
                {"澳大利亚-悉尼", "澳洲-雪梨"},         {"云南省-个旧市", "雲南省-個舊市"}};
  for (const auto& p : places) EXPECT_EQ(PlaceNameInScript(p.simplified), p.traditional) << p.simplified;
}

namespace lumtar::detail {
extern const ScriptPair kScriptPairs[];
extern const std::size_t kScriptPairCount;
extern const ScriptPair kWindowPairs[];
extern const std::size_t kWindowPairCount;
}  // namespace lumtar::detail

// Texts composed at run time never take another word's characters: a
// character alone keeps one of its own forms in both tables (参数 is 參數,
// but 参 alone is never 引, 据 never 料), and the stems stay 干.
TEST_F(Traditional, CharactersAloneTakeTheirOwnForms) {
  const script::CharacterForms forms(LUMTAR_OPENCC_DATA);
  using Table = std::pair<const detail::ScriptPair*, std::size_t>;
  for (const auto& [pairs, count] : {Table{detail::kScriptPairs, detail::kScriptPairCount},
                                     Table{detail::kWindowPairs, detail::kWindowPairCount}})
    for (std::size_t i = 0; i < count; ++i) {
      const std::string s = pairs[i].simplified;
      const unsigned char lead = s.empty() ? 0 : static_cast<unsigned char>(s[0]);
      const std::size_t one = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
      if (s.size() != one || lead < 0x80) continue;
      EXPECT_TRUE(forms.IsFormOf(s, pairs[i].traditional)) << s << " alone becomes " << pairs[i].traditional;
    }
  const struct {
    const char* simplified;
    const char* traditional;
  } cases[] = {{"参宿", "參宿"},     {"参", "參"},         {"据", "據"},       {"根据", "根據"},
               {"干支", "干支"},     {"天干", "天干"},     {"参数", "參數"},   {"导出数据", "匯出資料"},
               {"软件设置", "軟體設定"}, {"程序", "程式"},   {"钟表", "鐘錶"},   {"经纬度设置", "經緯度設定"}};
  for (const auto& c : cases) {
    EXPECT_EQ(TextInScript(c.simplified), c.traditional) << c.simplified;
    EXPECT_EQ(WindowTextInScript(c.simplified), c.traditional) << c.simplified;
  }
  // The export folder is named as it is on disk.
  EXPECT_STREQ(kNamesOnDisk[0], kExportFolderName);
  EXPECT_EQ(WindowTextInScript("“Lumtar_导出数据”文件夹"), "“Lumtar_导出数据”資料夾");
  EXPECT_EQ(TextInScript("已导出到 /tmp/Lumtar_导出数据/"), "已匯出到 /tmp/Lumtar_导出数据/");
}

namespace {

// Every text the engine shows for one chart: the header, the annual lines,
// the analysis, the spirits and stars as drawn and the hints.
void ExpectChartInTraditional(CVoVirer& engine, const std::string& where) {
  for (const HeaderLine& l : HeaderLines(engine)) ExpectTraditional(l.text, where + " header");
  if (engine.model.chartMode == 1)
    for (const std::string& l : AnnualLines(engine.annual)) ExpectTraditional(l, where + " annual");
  ExpectTraditional(AnalysisReport(engine.model), where + " analysis");
  const ChartModel& m = engine.model;
  SpiritCounters counters{};
  for (const SpiritLabel& l : PlaceSpirits(m.yearPillar, m.nayinElement, counters))
    ExpectTraditional(std::string(InScript(l.text)), where + " spirit");
  for (const ChartStar& s : ChartStars(m.yearPillar, m.nayinElement, m.places[kAscendantPlace].branch))
    ExpectTraditional(std::string(InScript(s.title)), where + " star");
  for (int palace = 0; palace < 12; ++palace)
    for (bool male : {true, false}) ExpectTraditional(std::string(InScript(PalaceName(palace, male))), "palace");
  for (int mansion = 0; mansion < kMansionCount; ++mansion)
    ExpectTraditional(std::string(InScript(MansionName(mansion))), "mansion");
  for (int body = 0; body < kChartBodyCount; ++body) {
    ExpectTraditional(std::string(InScript(BodyChar(body))), "body");
    ExpectTraditional(InScript(astro::kChartBodyNames[body]), "body");
  }
  ExpectTraditional(AscendantCentreText(m), where + " centre");
  std::string hint;
  for (int y = 0; y < 700; y += 7)
    for (int x = 0; x < 880; x += 7) {
      engine.HoverHint(x, y, hint);
      ExpectTraditional(hint, where + " hint");
    }
}

}  // namespace

TEST_F(Traditional, ChartsShowNoSimplifiedCharacter) {
  test::TempDir dir;
  const std::string settings = (dir / "set.ini").string();
  struct Birth {
    int y, mo, d, h, mi, zone;
    bool lunar, leap, male;
    int frame, pillarTime;
  } births[] = {{1990, 3, 7, 8, 5, 8, false, false, true, 0, 0},  {1984, 10, 25, 23, 30, 8, true, true, false, 1, 1},
                {2000, 6, 1, 4, 0, 12, false, false, false, 0, 2}, {1600, 2, 3, 12, 0, 17, false, false, true, 1, 0},
                {2099, 12, 30, 1, 59, 0, false, false, true, 0, 1}};
  for (const Birth& b : births) {
    ChartSettings s;
    s.frame = static_cast<uint8_t>(b.frame);
    s.pillarTime = static_cast<uint8_t>(b.pillarTime);
    ASSERT_TRUE(SaveChartSettings(settings, s));
    CVoVirer engine;
    engine.SetSettingsPath(settings);
    ChartRequest r = test::MakeRequest(b.y, b.mo, b.d, b.h, b.mi, b.zone, 121.5f, 25.0f, b.lunar, b.leap);
    r.isMale = b.male ? 1 : 0;
    r.SetPlaceName("台湾省-台北市");
    r.SetName("陳美玲");  // a name is shown as typed
    const std::string where = std::to_string(b.y) + "-" + std::to_string(b.mo);
    ASSERT_TRUE(engine.ComputeNatal(r)) << where << engine.lastError;
    ExpectChartInTraditional(engine, where);
    if (b.y < 2090) {
      ASSERT_TRUE(engine.ComputeAnnual(8, engine.BirthJulianDay() + 365.25 * 30)) << engine.lastError;
      ExpectChartInTraditional(engine, where + " annual");
    }
  }
}

TEST_F(Traditional, MessagesOfTheEngine) {
  CVoVirer engine;
  EXPECT_FALSE(engine.ComputeAnnual(8, 2451545));
  EXPECT_EQ(engine.lastError, "請先排一個本命盤。");
  ChartRequest r = test::MakeRequest(1990, 2, 30, 8, 0);
  EXPECT_FALSE(engine.ComputeNatal(r));
  EXPECT_EQ(engine.lastError, "不存在這個日期");
  for (const char* m : {kNoSuchDate, kYearOutOfRange, kNoSuchTime, kBadTimeZone, kBadCoordinates, kNoNatalChart,
                        kNoSuchAnnualDate, kAnnualBeforeBirth, kAgeBeyondPeriods, calendar::kNoSuchLunarDate})
    ExpectTraditional(InScript(m), m);
}

// The traditional catalogue is the simplified one converted, text by text,
// and converting each back gives the simplified text again. The texts where
// OpenCC's own way back fails are those the overrides' last section cares
// for; they are counted here.
TEST(CatalogueRoundTrip, EveryTextComesBack) {
  const std::vector<script::Override> overrides = Overrides();
  const script::Converter forward(LUMTAR_OPENCC_DATA, script::Profile::Taiwan, overrides);
  const script::Converter back(LUMTAR_OPENCC_DATA, script::Profile::Taiwan, overrides, true);
  const script::Converter plainBack(LUMTAR_OPENCC_DATA, script::Profile::Taiwan, {}, true);
  struct Text {
    std::string key, simplified, traditional;
  };
  std::vector<Text> texts;
  auto both = [&](const std::string& key, auto lookup) {
    SetScript(Script::Simplified);
    std::string s = lookup();
    SetScript(Script::Traditional);
    std::string t = lookup();
    SetScript(Script::Simplified);
    EXPECT_EQ(s.empty(), t.empty()) << key;
    if (!s.empty()) texts.push_back({key, s, t});
  };
  for (int id = 0; id <= 1300; ++id) both(std::to_string(id), [id] { return VerseText(id); });
  for (int a = 0; a < kVerseBodyCount; ++a)
    for (int b = 0; b < kVerseBodyCount; ++b) {
      const std::string k = std::to_string(a) + " " + std::to_string(b);
      both("D " + k, [a, b] { return LordMansionVerse(a, b); });
      both("G " + k, [a, b] { return LordPalaceVerse(a, b); });
      both("T " + k, [a, b] { return ConjunctionVerse(a, b); });
    }
  ASSERT_EQ(texts.size(), 718u + 174u);
  int cared = 0;
  std::string caredKeys;
  for (const Text& t : texts) {
    EXPECT_EQ(t.traditional, forward.Convert(t.simplified)) << t.key;
    ExpectTraditional(t.traditional, "verse " + t.key);
    // The node has one form, 羅睺; its way back is the program's name 罗喉.
    std::string simplified = t.simplified;
    for (auto at = simplified.find("罗睺"); at != std::string::npos; at = simplified.find("罗睺", at))
      simplified.replace(at, std::string("罗睺").size(), "罗喉");
    EXPECT_EQ(back.Convert(t.traditional), simplified) << t.key;
    if (plainBack.Convert(t.traditional) != t.simplified) {
      ++cared;
      caredKeys += " " + t.key;
    }
  }
  std::cout << "texts whose way back needed the overrides: " << cared << " of " << texts.size() << ":" << caredKeys
            << "\n";
  RecordProperty("way_back_overrides", cared);
}

// Every override states a form another conversion can reach back.
TEST(Overrides, FileIsWellFormed) {
  const std::vector<script::Override> overrides = Overrides();
  EXPECT_GT(overrides.size(), 10u);
  const script::Converter forward(LUMTAR_OPENCC_DATA, script::Profile::Taiwan, overrides);
  for (const script::Override& o : overrides) {
    EXPECT_EQ(forward.Convert(o.simplified), o.traditional) << "line " << o.line;
    ExpectTraditional(o.traditional, "line " + std::to_string(o.line));
  }
}

// Where OpenCC's phrases split a verse wrongly, and the words the catalogue
// writes in one form throughout, as traditional editions print them. An
// override wins over any longer phrase of OpenCC it overlaps (个旧 in
// 个旧市, 游魂 in 上游魂).
TEST(Overrides, WinOverThePhrasesTheyOverlap) {
  const script::Converter forward(LUMTAR_OPENCC_DATA, script::Profile::Taiwan, Overrides());
  const struct {
    const char* simplified;
    const char* traditional;
  } cases[] = {
      {"孛星须是要安和、亥上游魂福最多", "孛星須是要安和、亥上遊魂福最多"},
      {"容貌端严冠众伦、落纸烟云挥彩笔", "容貌端嚴冠眾倫、落紙煙雲揮彩筆"},
      {"若遇蚀神兼月孛、主须生长在寒微", "若遇蝕神兼月孛、主須生長在寒微"},
      {"肥厚身材更有须", "肥厚身材更有鬚"},
      {"家风与出身深深刻在性格里", "家風與出身深深刻在性格裡"},
      {"只有自己知道里面的波澜", "只有自己知道裡面的波瀾"},
      {"男人漂荡他乡里", "男人漂盪他鄉裡"},
      {"或逢凶星冲照，则", "或逢凶星沖照，則"},
      {"或逢孛计冲犯，则", "或逢孛計沖犯，則"},
      {"宫中怕太冲、其星", "宮中怕太衝、其星"},
      {"位登台省必高崇", "位登臺省必高崇"},
      {"威望从来台宪任", "威望從來臺憲任"},
      {"犯休妻女克夫、若", "犯休妻女克夫、若"},
      {"英俊无刑克、此星刑克最为凶", "英俊無刑克、此星刑克最為凶"},
      {"曜若来相克陷、火相克则死", "曜若來相克陷、火相克則死"},
      {"罗喉临命、罗睺子上", "羅睺臨命、羅睺子上"},
      {"福荫双亲保", "福蔭雙親保"},
      {"想象力丰富", "想像力豐富"},
      {"在外置产要了解当地", "在外置產要瞭解當地"},
      {"东晋 晋穆帝 司马聃 升平", "東晉 晉穆帝 司馬聃 升平"},
      {"南齐 齐郁林王 萧昭业", "南齊 齊鬱林王 蕭昭業"},
      {"个旧市", "個舊市"},
      {"唐戊寅历、麟德历、大衍历", "唐戊寅曆、麟德曆、大衍曆"},
      {"当时实际行用的历法", "當時實際行用的曆法"},
  };
  for (const auto& c : cases) EXPECT_EQ(forward.Convert(c.simplified), c.traditional) << c.simplified;
  // A single character's override still gives way to OpenCC's phrases.
  EXPECT_EQ(forward.Convert("斗争"), "鬥爭");
  EXPECT_EQ(forward.Convert("南斗"), "南斗");
}

// One form of each of these words across the whole traditional catalogue.
TEST(CatalogueForms, OneFormForOneWord) {
  std::string all;
  SetScript(Script::Traditional);
  for (int id = 0; id <= 1300; ++id) all += VerseText(id);
  for (int a = 0; a < kVerseBodyCount; ++a)
    for (int b = 0; b < kVerseBodyCount; ++b)
      all += LordMansionVerse(a, b) + LordPalaceVerse(a, b) + ConjunctionVerse(a, b);
  SetScript(Script::Simplified);
  for (const char* never : {"剋", "衝照", "衝犯", "太沖", "台省", "台憲", "羅喉", "福廕", "想象力", "了解", "菸雲", "主鬚"})
    EXPECT_EQ(all.find(never), std::string::npos) << never;
}
