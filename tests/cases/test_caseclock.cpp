// The birth clock in a case record's formerly reserved bytes: its layout,
// stores written before it or elsewhere, and the store operations that
// must carry it along.
#include <gtest/gtest.h>

#include <algorithm>

#include "birthclock.h"
#include "casefixture.h"

using namespace lumtar;
using namespace lumtar::test;

namespace {

std::string Hex(const std::string& hex) {
  std::string out;
  for (size_t i = 0; i + 1 < hex.size();) {
    if (hex[i] == ' ') {
      ++i;
      continue;
    }
    out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    i += 2;
  }
  return out;
}

ChartRequest SingaporeRequest() {
  ChartRequest q;
  q.SetName("张三");
  q.year = 1970;
  q.month = 3;
  q.day = 1;
  q.hour = 12;
  q.timeZoneIndex = 8;  // the whole-hour zone nearest to UTC+7:30
  q.provinceIndex = 34;
  q.longitude = 103.85f;
  q.latitude = 1.29f;
  q.SetPlaceName("新加坡-Singapore");
  q.SetTimeZoneName("Asia/Singapore");
  q.dstChoice = static_cast<uint8_t>(DstChoice::Standard);
  q.placeId = 1880252;
  return q;
}

class CaseClockStore : public StoreTest {};

TEST_F(CaseClockStore, AClockIsWrittenInTheReservedBytes) {
  CaseRecord r;
  CopyRequestToCase(SingaporeRequest(), &r);
  r.SetClassName("朋友");
  ASSERT_EQ(db.AppendRecord(&r), 0);
  const std::string bytes = FileBytes(StoreFile());
  ASSERT_EQ(bytes.size(), static_cast<size_t>(kCaseRecordSize));
  EXPECT_EQ(bytes.substr(43, 1), Hex("02"));                       // the standard reading
  EXPECT_EQ(bytes.substr(48, 2), Hex("08 00"));                    // 东八区 for other readers
  EXPECT_EQ(bytes.substr(50, 2), Hex("3a 01"));                    // zone 314, Asia/Singapore
  EXPECT_EQ(bytes.substr(60, 8), Hex("bc b0 1c 00 00 00 00 59"));  // GeoNames 1880252, check byte
  CaseRecord back;
  ASSERT_TRUE(db.ReadRecord(0, &back));
  const CaseClock c = CaseClockOf(back);
  EXPECT_EQ(c.timeZone, "Asia/Singapore");
  EXPECT_EQ(c.dstChoice, 2);
  EXPECT_EQ(c.placeId, 1880252);
  ChartRequest q;
  CopyCaseClockToRequest(back, &q);
  EXPECT_EQ(q.TimeZoneName(), "Asia/Singapore");
  EXPECT_EQ(q.placeId, 1880252);
}

// A store written before the clock existed: zero there, read as before.
TEST_F(CaseClockStore, AStoreWrittenBeforeReadsAsBefore) {
  // 张三, 公历 1990-3-7 8:05, 东八区, 北京-北京: a record as the program
  // wrote it before (reserved bytes zero).
  std::string raw(kCaseRecordSize, '\0');
  auto put = [&raw](int offset, const std::string& bytes) { raw.replace(offset, bytes.size(), bytes); };
  put(5, Hex("d5 c5 c8 fd"));
  put(16, Hex("c5 f3 d3 d1"));
  put(30, Hex("c6 07 03 00 07 00 08 00 05 00 00 00 01 00 00 00 00 00 08 00"));
  put(52, Hex("00 d5 e8 42 9a 99 1f 42"));  // 116.4167, 39.9
  put(68, Hex("b1 b1 be a9 2d b1 b1 be a9"));
  ASSERT_TRUE(WriteWholeFileAtomic(StoreFile(), raw));
  CaseRecord r;
  ASSERT_TRUE(db.ReadRecord(0, &r));
  const CaseClock c = CaseClockOf(r);
  EXPECT_EQ(c.timeZone, "");
  EXPECT_EQ(c.dstChoice, 0);
  EXPECT_EQ(c.placeId, 0);
  EXPECT_EQ(r.timeZoneIndex, 8);
  // Saving it back unchanged keeps every byte.
  ChartRequest q;
  q.SetTimeZoneName("Asia/Shanghai");
  CopyCaseClockToRequest(r, &q);
  EXPECT_EQ(q.TimeZoneName(), "");
  db.WriteRecord(KeyOf(r), r);
  EXPECT_EQ(FileBytes(StoreFile()), raw);
}

// Records written elsewhere may hold anything in reserved bytes: without
// the check byte agreeing, with a zone beyond the list or a DST choice no
// reader knows, they read as before.
TEST(CaseClock, ForeignBytesReadAsBefore) {
  CaseRecord r;
  CopyRequestToCase(SingaporeRequest(), &r);
  ASSERT_EQ(CaseClockOf(r).timeZone, "Asia/Singapore");
  for (int filler : {0x00, 0xCC, 0xFF, 0x71, 0x20}) {
    SCOPED_TRACE(filler);
    CaseRecord f = r;
    auto* bytes = reinterpret_cast<uint8_t*>(&f);
    bytes[43] = bytes[50] = bytes[51] = static_cast<uint8_t>(filler);
    for (int i = 60; i < 68; ++i) bytes[i] = static_cast<uint8_t>(filler);
    EXPECT_EQ(CaseClockOf(f).timeZone, "");
    EXPECT_EQ(CaseClockOf(f).placeId, 0);
  }
  CaseRecord far = r;
  far.zoneNumber = static_cast<uint16_t>(ZoneCount() + 1);
  far.clockCheck = ClockCheckOf(far);
  EXPECT_EQ(CaseClockOf(far).timeZone, "");
  CaseRecord odd = r;
  odd.dstChoice = 3;
  odd.clockCheck = ClockCheckOf(odd);
  EXPECT_EQ(CaseClockOf(odd).timeZone, "");
  // A whole-hour chart at an atlas place keeps the place only.
  ChartRequest q = SingaporeRequest();
  q.SetTimeZoneName("");
  CaseRecord placeOnly;
  CopyRequestToCase(q, &placeOnly);
  EXPECT_EQ(placeOnly.zoneNumber, 0);
  EXPECT_EQ(placeOnly.dstChoice, 0);
  EXPECT_EQ(CaseClockOf(placeOnly).placeId, 1880252);
  // A request without clock writes zeros, as before.
  CaseRecord plain;
  auto* bytes = reinterpret_cast<uint8_t*>(&plain);
  std::fill(bytes, bytes + sizeof plain, uint8_t{0x5A});
  CopyRequestToCase(ChartRequest{}, &plain);
  for (int i : {43, 50, 51, 60, 61, 62, 63, 64, 65, 66, 67}) EXPECT_EQ(bytes[i], 0) << i;
}

class CaseClockOps : public StoreTest {};

// Export, import and compaction carry the clock along.
TEST_F(CaseClockOps, ExportImportAndCompactionKeepTheClock) {
  std::vector<CaseRecord> recs;
  for (int i = 0; i < 2000; ++i) {
    CaseRecord r = MakeCase("例" + std::to_string(i), "朋友", 1970);
    if (i % 3 == 0) SetCaseClock(SingaporeRequest(), &r);
    r.isDeleted = i % 4 == 1 ? 1 : 0;
    recs.push_back(r);
  }
  WriteRawStore(StoreFile(), recs);
  const std::filesystem::path exported = dir / "out/";
  ASSERT_TRUE(CreateDirectories(exported));
  ASSERT_TRUE(db.ExportStore(exported.string()));
  EXPECT_EQ(FileBytes(exported / "Lumtar.dat"), FileBytes(StoreFile()));

  ASSERT_TRUE(db.CompactStore());
  ASSERT_EQ(db.RecordCount(), 1500);
  int withClock = 0;
  for (int slot = 0; slot < 1500; ++slot) {
    CaseRecord r;
    ASSERT_TRUE(db.ReadRecord(slot, &r));
    const int source = std::stoi(r.NameUtf8().substr(std::string("例").size()));
    const CaseClock c = CaseClockOf(r);
    EXPECT_EQ(c.timeZone, source % 3 == 0 ? "Asia/Singapore" : "");
    withClock += !c.timeZone.empty();
  }
  EXPECT_EQ(withClock, 501);

  ASSERT_TRUE(CreateDirectories(exported / "Lumtar_f"));
  ASSERT_TRUE(db.ImportStore(exported.string()));
  CaseRecord first;
  ASSERT_TRUE(db.ReadRecord(0, &first));
  EXPECT_EQ(CaseClockOf(first).placeId, 1880252);
  EXPECT_EQ(FileBytes(StoreFile()), FileBytes(exported / "Lumtar.dat"));
}

}  // namespace
