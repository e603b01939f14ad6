// The calendar of a case's lunar date in the record's formerly reserved
// bytes 64 (a rival court's calendar) and 65 (which of two months named
// alike): written with the case, read back into the same chart, and zero
// (or anything a check byte does not vouch for) reading as before.
#include <gtest/gtest.h>

#include "casefixture.h"
#include "vovirer.h"

using namespace lumtar;
using namespace lumtar::test;

namespace {

ChartRequest LunarRequest(int year, int month, int day, bool leap, uint8_t calendar, uint8_t occurrence) {
  ChartRequest q;
  q.SetName("李四");
  q.year = static_cast<int16_t>(year);
  q.month = static_cast<int16_t>(month);
  q.day = static_cast<int16_t>(day);
  q.hour = 12;
  q.isLunar = 1;
  q.isLeapMonth = leap ? 1 : 0;
  q.longitude = 116.4167f;
  q.latitude = 39.9f;
  q.SetPlaceName("北京-北京");
  q.lunarCalendar = calendar;
  q.monthOccurrence = occurrence;
  return q;
}

std::string ChartedDay(const ChartRequest& q) {
  CVoVirer engine;
  if (!engine.ComputeNatal(q)) return engine.lastError;
  const DateTime& b = engine.model.beijingMoment;
  return std::to_string(b.year) + "-" + std::to_string(b.month) + "-" + std::to_string(b.day);
}

class CaseCalendarStore : public StoreTest {};

// Each case saved, read back from the store and charted again gives the
// day it was charted on; the bytes say which calendar.
TEST_F(CaseCalendarStore, ACaseKeepsTheCalendarOfItsLunarDate) {
  const struct {
    int year, month, day;
    bool leap;
    uint8_t calendar, occurrence;
    const char* charted;
  } cases[] = {
      {985, 9, 25, false, 1, 0, "985-11-10"},    // 辽 统和三年九月廿五日
      {985, 8, 1, true, 1, 0, "985-9-17"},       // 辽's 闰八月, which the central year lacks
      {1648, 4, 1, false, 2, 0, "1648-5-22"},    // 南明 永历二年四月初一
      {985, 9, 25, false, 0, 0, "985-10-11"},    // the central calendar, as always
      {690, 1, 1, false, 0, 1, "689-12-18"},     // 武周 天授元年正月 (the 子 month)
      {690, 1, 1, false, 0, 2, "690-2-15"},      // and its 一月 (the 寅 month)
      {762, 4, 1, false, 0, 2, "762-4-29"},      // 宝应元年 建巳月, named 四月 again
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.charted);
    const ChartRequest q = LunarRequest(c.year, c.month, c.day, c.leap, c.calendar, c.occurrence);
    ASSERT_EQ(ChartedDay(q), c.charted);
    CaseRecord r;
    CopyRequestToCase(q, &r);
    const int slot = db.AppendRecord(&r);
    ASSERT_GE(slot, 0);
    CaseRecord back;
    ASSERT_TRUE(db.ReadRecord(slot, &back));
    const std::string bytes =
        FileBytes(StoreFile()).substr(static_cast<size_t>(slot) * kCaseRecordSize, kCaseRecordSize);
    EXPECT_EQ(static_cast<uint8_t>(bytes[64]), c.calendar);
    EXPECT_EQ(static_cast<uint8_t>(bytes[65]), c.occurrence);
    EXPECT_EQ(static_cast<uint8_t>(bytes[66]), 0);
    EXPECT_EQ(bytes[67] != 0, c.calendar != 0 || c.occurrence != 0);
    ChartRequest again = LunarRequest(back.year, back.month, back.day, back.isLeapMonth != 0, 0, 0);
    CopyCaseClockToRequest(back, &again);
    EXPECT_EQ(again.lunarCalendar, c.calendar);
    EXPECT_EQ(again.monthOccurrence, c.occurrence);
    EXPECT_EQ(ChartedDay(again), c.charted);
  }
}

// A lunar case written before the calendars were kept (zero in bytes 64-67)
// is read on the central calendar, and saved back unchanged byte for byte.
TEST_F(CaseCalendarStore, ACaseWrittenBeforeReadsAsBefore) {
  // 李四, 农历 985-9-25 12:00, 东八区, 北京-北京, as the program wrote it.
  std::string raw(kCaseRecordSize, '\0');
  auto put = [&raw](int offset, const std::string& bytes) { raw.replace(offset, bytes.size(), bytes); };
  put(5, "\xc0\xee\xcb\xc4");
  put(30, std::string("\xd9\x03\x09\x00\x19\x00\x0c\x00\x00\x00\x01\x00\x01\x00\x00\x00\x00\x00\x08\x00", 20));
  put(52, std::string("\x00\xd5\xe8\x42\x9a\x99\x1f\x42", 8));
  put(68, "\xb1\xb1\xbe\xa9-\xb1\xb1\xbe\xa9");
  ASSERT_TRUE(WriteWholeFileAtomic(StoreFile(), raw));
  CaseRecord r;
  ASSERT_TRUE(db.ReadRecord(0, &r));
  ASSERT_EQ(r.year, 985);
  ASSERT_EQ(r.isLunar, 1);
  ChartRequest q = LunarRequest(r.year, r.month, r.day, false, 2, 2);
  CopyCaseClockToRequest(r, &q);
  EXPECT_EQ(q.lunarCalendar, 0);
  EXPECT_EQ(q.monthOccurrence, 0);
  EXPECT_EQ(ChartedDay(q), "985-10-11");
  db.WriteRecord(KeyOf(r), r);
  EXPECT_EQ(FileBytes(StoreFile()), raw);
}

// Bytes a check byte does not vouch for, values no calendar has, or a
// calendar on a civil date, read as the central calendar.
TEST(CaseCalendar, ForeignBytesReadAsBefore) {
  CaseRecord r;
  CopyRequestToCase(LunarRequest(985, 9, 25, false, 1, 0), &r);
  ASSERT_EQ(CaseCalendarOf(r).lunarCalendar, 1);
  CaseRecord unchecked = r;
  unchecked.clockCheck ^= 0x55;
  CaseRecord unknown = r;
  unknown.lunarCalendar = 3;
  unknown.clockCheck = ClockCheckOf(unknown);
  CaseRecord third = r;
  third.monthOccurrence = 3;
  third.clockCheck = ClockCheckOf(third);
  CaseRecord civil = r;
  civil.isLunar = 0;
  for (const CaseRecord* f : {&unchecked, &unknown, &third, &civil}) {
    EXPECT_EQ(CaseCalendarOf(*f).lunarCalendar, 0);
    EXPECT_EQ(CaseCalendarOf(*f).monthOccurrence, 0);
  }
  // A civil date never writes them.
  ChartRequest q = LunarRequest(985, 9, 25, false, 1, 2);
  q.isLunar = 0;
  CaseRecord plain;
  CopyRequestToCase(q, &plain);
  EXPECT_EQ(plain.lunarCalendar, 0);
  EXPECT_EQ(plain.monthOccurrence, 0);
  EXPECT_EQ(plain.clockCheck, 0);
}

}  // namespace
