#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "casefixture.h"
#include "gbk.h"

using namespace lumtar;
using namespace lumtar::test;

namespace {

std::string Hex(const std::string& spaced) {
  std::string out;
  for (std::size_t i = 0; i + 1 < spaced.size() + 1; i += 3)
    out += static_cast<char>(std::stoi(spaced.substr(i, 2), nullptr, 16));
  return out;
}

}  // namespace

using CaseRecordStore = StoreTest;

// A case saved by us is the documented layout byte for byte: little-endian
// fields at their offsets, GBK texts, zeros everywhere else.
TEST_F(CaseRecordStore, SavedCaseIsTheDocumentedLayoutByteForByte) {
  ChartRequest q;
  q.SetName("张三");
  q.year = 1990;
  q.month = 3;
  q.day = 7;
  q.hour = 8;
  q.minute = 5;
  q.timeZoneIndex = 13;
  q.isLunar = 1;
  q.isLeapMonth = 1;
  q.isMale = 1;
  q.provinceIndex = 34;
  q.cityIndex = 300;
  q.longitude = -73.5f;
  q.latitude = 40.75f;
  q.SetPlaceName("未知地");

  CaseRecord r;
  CopyRequestToCase(q, &r);
  r.SetClassName("朋友");
  ASSERT_TRUE(db.ChooseCommentName(&r));
  ASSERT_EQ(db.AppendRecord(&r), 0);

  struct Field {
    int offset;
    const char* hex;
  } fields[] = {
      {5, "d5 c5 c8 fd"},                                               // name 张三
      {16, "c5 f3 d3 d1"},                                              // class 朋友
      {30, "c6 07 03 00 07 00 08 00 05 00"},                            // 1990-3-7 8:05
      {40, "01 01 01"},                                                 // lunar, leap, male
      {44, "22 00 2c 01 0d 00"},                                        // province, city, zone
      {52, "00 00 93 c2 00 00 23 42"},                                  // -73.5, 40.75
      {68, "ce b4 d6 aa b5 d8"},                                        // 未知地
      {119, "d5 c5 c8 fd 5f 31 39 39 30 30 33 30 37 30 38 30 35"},     // 张三_199003070805
  };
  std::string expected(kCaseRecordSize, '\0');
  for (const Field& f : fields) {
    std::string b = Hex(f.hex);
    expected.replace(f.offset, b.size(), b);
  }
  EXPECT_EQ(FileBytes(StoreFile()), expected);
  EXPECT_EQ(CaseText(r), "张三  农闰1990-3-7|0");
}

// A record written elsewhere: texts followed by leftovers of the writer's
// buffer, a slot field that disagrees with its position, garbage in the
// reserved bytes.
TEST_F(CaseRecordStore, ForeignRecordReadsCorrectlyAndKeepsItsBytes) {
  std::string raw(kCaseRecordSize, '\xCC');
  auto put = [&raw](int offset, const std::string& bytes) { raw.replace(offset, bytes.size(), bytes); };
  put(0, Hex("63 00 00 00 00"));               // slot field 99, live
  put(5, Hex("d5 c5 c8 fd 00 b1 b1 be"));      // 张三 then garbage
  put(16, Hex("c5 f3 d3 d1 00 41 42"));        // 朋友 then garbage
  put(30, Hex("c6 07 0c 00 1f 00 17 00 3b 00 00 00 00"));
  put(68, Hex("b1 b1 be a9 00"));
  put(119, Hex("d5 c5 c8 fd 5f 31 00"));
  CaseRecord first = MakeCase("李四", "同事", 1980);
  ASSERT_TRUE(WriteWholeFileAtomic(StoreFile(), RecordBytes(first) + raw));

  CaseRecord r;
  ASSERT_TRUE(db.ReadRecord(1, &r));
  EXPECT_EQ(r.NameUtf8(), "张三");
  EXPECT_EQ(r.ClassNameUtf8(), "朋友");
  EXPECT_EQ(r.PlaceNameUtf8(), "北京");
  EXPECT_EQ(r.CommentNameUtf8(), "张三_1");
  // The tree finds the record by the number after '|': its position.
  EXPECT_EQ(CaseText(r), "张三  公1990-12-31|1");

  SearchCriteria c;
  c.SetNamePattern("张三");
  c.nameMode = 2;
  std::vector<int> slots;
  ASSERT_TRUE(db.SearchRecords(c, &slots));
  EXPECT_EQ(slots, std::vector<int>{1});

  // Deleting changes the flag and nothing else.
  ASSERT_TRUE(db.MarkDeleted(KeyAt(db, 1)));
  std::string after = FileBytes(StoreFile()).substr(kCaseRecordSize);
  std::string expected = raw;
  expected[4] = 1;
  EXPECT_EQ(after, expected);
}

TEST(CaseRecord, CaseTextAsTheTreeShowsIt) {
  struct Case {
    int year;
    uint8_t lunar, leap;
    int slot;
    const char* text;
  } cases[] = {
      {1990, 0, 0, 17, "张三  公1990-3-7|17"},
      {1990, 0, 1, 17, "张三  公1990-3-7|17"},  // leap only counts with a lunar date
      {1990, 1, 0, 0, "张三  农1990-3-7|0"},
      {1990, 1, 1, 5, "张三  农闰1990-3-7|5"},
      {0, 0, 0, 2, "张三  公-1-3-7|2"},          // 1 BC
      {-119, 0, 0, 3, "张三  公-120-3-7|3"},
  };
  for (const Case& c : cases) {
    CaseRecord r = MakeCase("张三", "朋友", c.year);
    r.isLunar = c.lunar;
    r.isLeapMonth = c.leap;
    r.slot = c.slot;
    EXPECT_EQ(CaseText(r), c.text);
  }
}

TEST(CaseRecord, RequestCopyCutsAtAWholeCharacterAndKeepsStoreFields) {
  ChartRequest q;
  // 11 bytes in the request's 12-byte field; the case holds at most 10.
  std::memcpy(q.name, Utf8ToGbk("欧阳娜娜娜").c_str(), 10);
  q.name[10] = 'x';
  q.SetPlaceName("内蒙古自治区-呼伦贝尔市满洲里市扎赉诺尔区某某街道办事处");
  CaseRecord r = MakeCase("旧名", "朋友", 1990);
  r.slot = 4;
  r.SetCommentName("旧名_199003070805");
  CopyRequestToCase(q, &r);
  EXPECT_EQ(r.NameUtf8(), "欧阳娜娜娜");
  EXPECT_EQ(r.name[10], '\0');
  EXPECT_LE(std::strlen(r.placeName), 50u);
  EXPECT_EQ(r.placeName[50], '\0');
  EXPECT_EQ(r.slot, 4);
  EXPECT_EQ(r.ClassNameUtf8(), "朋友");
  EXPECT_EQ(r.CommentNameUtf8(), "旧名_199003070805");
}

TEST(CommentName, NamingRuleWithCounter) {
  struct Case {
    const char* name;
    std::set<std::string> taken;  // UTF-8 base names with a document
    const char* expected;
  } cases[] = {
      {"张三", {}, "张三_199003070805"},
      {"张三", {"张三_199003070805"}, "张三_199003070805_0"},
      {"张三", {"张三_199003070805", "张三_199003070805_0"}, "张三_199003070805_1"},
      {"张三", {"张三_199003070805", "张三_199003070805_1"}, "张三_199003070805_0"},
      // Names that would climb out of the folder or that no file system takes.
      {"../x", {}, ".._x_199003070805"},
      {"..\\..", {}, ".._.._199003070805"},
      {"a/b:c*", {}, "a_b_c__199003070805"},
      {"tab\tx", {}, "tab_x_199003070805"},
      {"", {}, "_199003070805"},
  };
  for (const Case& c : cases) {
    CaseRecord r = MakeCase(c.name, "朋友", 1990);
    std::string got = ChooseCommentName(r, [&c](const std::string& gbk) {
      return c.taken.count(GbkToUtf8(gbk)) > 0;
    });
    EXPECT_EQ(GbkToUtf8(got), c.expected) << c.name;
    EXPECT_TRUE(IsSafeCommentName(GbkToUtf8(got))) << c.name;
  }
}

TEST(CommentName, NeverHandsOutATakenName) {
  CaseRecord r = MakeCase("张三", "朋友", 1990);
  int asked = 0;
  std::string got = ChooseCommentName(r, [&asked](const std::string&) {
    ++asked;
    return true;
  });
  EXPECT_EQ(got, "");
  EXPECT_EQ(asked, 1 + 100000);  // the base and the counters 0 … 99999
}

TEST(CommentName, FieldsOutOfRangeStillGiveANameThatFits) {
  CaseRecord r = MakeCase("欧阳娜娜娜", "朋友", -32768);
  r.month = -32768;
  r.day = 12345;
  std::string got = ChooseCommentName(r, [](const std::string& gbk) { return gbk.size() < 30; });
  EXPECT_LE(got.size(), 32u);
  EXPECT_TRUE(IsSafeCommentName(GbkToUtf8(got)));
}

TEST(CommentName, SafeNames) {
  struct Case {
    const char* name;
    bool safe;
  } cases[] = {
      {"张三_199003070805", true}, {"a.b", true},   {"", false},         {"..", false},
      {"../../x", false},           {"/etc/x", false}, {"..\\..\\x", false}, {"a\x01", false},
      {"a\nb", false},              {"a..b", true},   {"x\x7f", false},
      {".", false},                 {"...", true},
  };
  for (const Case& c : cases) EXPECT_EQ(IsSafeCommentName(c.name), c.safe) << c.name;
}
