// Shared pieces of the case-store tests: a program folder with an open store
// and quick ways to make records and raw store files.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "caserecord.h"
#include "database.h"
#include "files.h"
#include "tempdir.h"

namespace lumtar::test {

inline CaseRecord MakeCase(const std::string& name, const std::string& className, int year,
                           bool male = true, int province = 0) {
  CaseRecord r;
  r.SetName(name);
  r.SetClassName(className);
  r.year = static_cast<int16_t>(year);
  r.month = 3;
  r.day = 7;
  r.hour = 8;
  r.minute = 5;
  r.isMale = male ? 1 : 0;
  r.provinceIndex = static_cast<int16_t>(province);
  r.timeZoneIndex = 8;
  r.SetPlaceName("北京-北京");
  return r;
}

inline std::string RecordBytes(const CaseRecord& r) {
  return std::string(reinterpret_cast<const char*>(&r), sizeof r);
}

// Writes records as they are (slot fields numbered in order) without going
// through the store, for large or unusual fixtures.
inline void WriteRawStore(const std::filesystem::path& path, std::vector<CaseRecord> records,
                          const std::string& tail = {}) {
  std::string bytes;
  for (std::size_t i = 0; i < records.size(); ++i) {
    records[i].slot = static_cast<int32_t>(i);
    bytes += RecordBytes(records[i]);
  }
  ASSERT_TRUE(WriteWholeFileAtomic(path, bytes + tail));
}

// The key of the record in a slot as the store delivers it now (a slot out
// of range gives a key no record has).
inline CaseKey KeyAt(const MDataBase& db, int slot) {
  CaseRecord r;
  r.slot = slot;
  db.ReadRecord(slot, &r);
  return db.RecordCount() > slot && slot >= 0 ? KeyOf(r) : CaseKey{slot, 0};
}

inline std::string FileBytes(const std::filesystem::path& path) {
  std::string bytes;
  EXPECT_TRUE(ReadWholeFile(path, &bytes)) << path;
  return bytes;
}

class StoreTest : public ::testing::Test {
 protected:
  void SetUp() override { db.Open(dir.str(), 0); }
  std::filesystem::path StoreFile() const { return dir / "dat/Lumtar.dat"; }
  std::filesystem::path Doc(const std::string& name) const { return dir / ("Lumtar_f/" + name); }

  TempDir dir;
  MDataBase db;
};

}  // namespace lumtar::test
