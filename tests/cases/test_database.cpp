#include <gtest/gtest.h>

#include "casefixture.h"

using namespace lumtar;
using namespace lumtar::test;

using Store = StoreTest;

TEST(StoreOpen, CreatesMissingFoldersAndAnEmptyStore) {
  TempDir dir;
  MDataBase db;
  db.Open(dir.path().string(), 0);  // no trailing '/'
  EXPECT_EQ(db.Folder(), dir.str());
  EXPECT_TRUE(DirectoryExists(dir / "dat"));
  EXPECT_TRUE(DirectoryExists(dir / "Lumtar_f"));
  ASSERT_TRUE(FileExists(dir / "dat/Lumtar.dat"));
  EXPECT_EQ(FileBytes(dir / "dat/Lumtar.dat"), "");
}

TEST(StoreOpen, KeepsAnExistingStore) {
  TempDir dir;
  ASSERT_TRUE(CreateDirectories(dir / "dat"));
  WriteRawStore(dir / "dat/Lumtar.dat", {MakeCase("张三", "朋友", 1990)});
  MDataBase db;
  db.Open(dir.str(), 0);
  EXPECT_EQ(db.RecordCount(), 1);
}

TEST(StoreOpen, UnboundStoreFailsQuietly) {
  MDataBase db;
  CaseRecord r = MakeCase("张三", "朋友", 1990);
  std::vector<int> slots{7};
  EXPECT_EQ(db.RecordCount(), 0);
  EXPECT_FALSE(db.ReadRecord(0, &r));
  EXPECT_EQ(db.AppendRecord(&r), -1);
  EXPECT_FALSE(db.SearchRecords(SearchCriteria{}, &slots));
  EXPECT_TRUE(slots.empty());
  EXPECT_FALSE(db.CompactStore());
  EXPECT_TRUE(db.CommentPath(r).empty());
  db.Open("", 0);
  EXPECT_TRUE(db.StorePath().empty());
}

TEST_F(Store, EmptyStore) {
  CaseRecord r;
  EXPECT_EQ(db.RecordCount(), 0);
  EXPECT_FALSE(db.ReadRecord(0, &r));
  EXPECT_EQ(db.AppendRecord(&r), 0);
  EXPECT_EQ(r.slot, 0);
}

TEST_F(Store, DeletedRecordKeepsItsSlot) {
  for (const char* name : {"甲", "乙", "丙"}) {
    CaseRecord r = MakeCase(name, "朋友", 1990);
    db.AppendRecord(&r);
  }
  ASSERT_TRUE(db.MarkDeleted(KeyAt(db, 1)));
  EXPECT_EQ(db.RecordCount(), 3);
  CaseRecord r;
  EXPECT_FALSE(db.ReadRecord(1, &r));
  EXPECT_EQ(r.NameUtf8(), "乙");
  EXPECT_EQ(r.isDeleted, 1);
  EXPECT_TRUE(db.ReadRecord(2, &r));
  EXPECT_EQ(r.NameUtf8(), "丙");
  CaseRecord next = MakeCase("丁", "朋友", 1990);
  next.isDeleted = 1;
  next.slot = 99;
  EXPECT_EQ(db.AppendRecord(&next), 3);
  EXPECT_EQ(next.slot, 3);
  EXPECT_EQ(next.isDeleted, 0);
}

TEST_F(Store, OutOfRangeLeavesEverythingAlone) {
  WriteRawStore(StoreFile(), {MakeCase("甲", "朋友", 1990), MakeCase("乙", "朋友", 1990)});
  const std::string before = FileBytes(StoreFile());
  const CaseRecord marker = MakeCase("标记", "不动", 1234);
  for (int slot : {-1, 2, 1000, INT32_MAX}) {
    CaseRecord out = marker;
    EXPECT_FALSE(db.ReadRecord(slot, &out)) << slot;
    EXPECT_EQ(RecordBytes(out), RecordBytes(marker)) << slot;
    EXPECT_FALSE(db.MarkDeleted(KeyAt(db, slot))) << slot;
    // Writing past the end would leave blank records that read as cases.
    EXPECT_FALSE(db.WriteRecord(KeyAt(db, slot), marker)) << slot;
    ASSERT_TRUE(db.BeginScan());
    EXPECT_FALSE(db.ReadScanned(slot, &out)) << slot;
    db.EndScan();
    EXPECT_EQ(RecordBytes(out), RecordBytes(marker)) << slot;
  }
  EXPECT_EQ(FileBytes(StoreFile()), before);
}

TEST_F(Store, WriteRecordGoesToTheSlotGiven) {
  WriteRawStore(StoreFile(), {MakeCase("甲", "朋友", 1990), MakeCase("乙", "朋友", 1990)});
  CaseRecord moved = MakeCase("乙", "同事", 1991);
  moved.slot = 0;  // the slot argument decides, not the field
  ASSERT_TRUE(db.WriteRecord(KeyAt(db, 1), moved));
  CaseRecord r;
  ASSERT_TRUE(db.ReadRecord(0, &r));
  EXPECT_EQ(r.NameUtf8(), "甲");
  ASSERT_TRUE(db.ReadRecord(1, &r));
  EXPECT_EQ(r.ClassNameUtf8(), "同事");
  EXPECT_EQ(db.RecordCount(), 2);
}

// An append cut short by a crash leaves a partial record at the end; the
// records before it stay whole, readers ignore the tail and the next append
// writes over it.
TEST_F(Store, TornAppendNeverHarmsEarlierRecords) {
  std::vector<CaseRecord> five;
  for (int i = 0; i < 5; ++i) five.push_back(MakeCase("例" + std::to_string(i), "朋友", 1990 + i));
  WriteRawStore(StoreFile(), five, std::string(40, '\x5A'));
  const std::string whole = FileBytes(StoreFile()).substr(0, 5 * kCaseRecordSize);

  EXPECT_EQ(db.RecordCount(), 5);
  CaseRecord r;
  EXPECT_FALSE(db.ReadRecord(5, &r));
  std::vector<int> slots;
  ASSERT_TRUE(db.SearchRecords(SearchCriteria{}, &slots));
  EXPECT_EQ(slots, (std::vector<int>{0, 1, 2, 3, 4}));

  CaseRecord added = MakeCase("新", "朋友", 2000);
  EXPECT_EQ(db.AppendRecord(&added), 5);
  const std::string after = FileBytes(StoreFile());
  ASSERT_EQ(after.size(), 6u * kCaseRecordSize);
  EXPECT_EQ(after.substr(0, 5 * kCaseRecordSize), whole);
  ASSERT_TRUE(db.ReadRecord(5, &r));
  EXPECT_EQ(r.NameUtf8(), "新");
}

TEST_F(Store, ScanReadsSlotsInAnyOrder) {
  std::vector<CaseRecord> recs;
  for (int i = 0; i < 6; ++i) recs.push_back(MakeCase("例" + std::to_string(i), "朋友", 1990 + i));
  recs[2].isDeleted = 1;
  WriteRawStore(StoreFile(), recs);
  ASSERT_TRUE(db.BeginScan());
  CaseRecord r;
  for (int slot : {5, 0, 3}) {
    ASSERT_TRUE(db.ReadScanned(slot, &r));
    EXPECT_EQ(r.slot, slot);
    EXPECT_EQ(r.year, 1990 + slot);
  }
  EXPECT_FALSE(db.ReadScanned(2, &r));
  EXPECT_EQ(r.year, 1992);
  db.EndScan();
  EXPECT_FALSE(db.ReadScanned(0, &r));
}

// Two program instances on one folder: while one holds the store, the other's
// writes fail instead of landing on the same slot.
TEST_F(Store, SecondInstanceCannotWriteWhileTheStoreIsHeld) {
  WriteRawStore(StoreFile(), {MakeCase("甲", "朋友", 1990)});
  MDataBase other;
  other.Open(dir.str(), 0);
  ASSERT_TRUE(db.BeginScan());
  CaseRecord r = MakeCase("乙", "朋友", 1990);
  EXPECT_EQ(other.AppendRecord(&r), -1);
  EXPECT_FALSE(other.MarkDeleted(KeyAt(other, 0)));
  EXPECT_FALSE(other.CompactStore());
  EXPECT_TRUE(other.ReadRecord(0, &r));  // reading alongside is fine
  db.EndScan();
  EXPECT_EQ(other.AppendRecord(&r), 1);
}
