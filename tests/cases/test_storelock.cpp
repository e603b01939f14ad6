// Two programs on one store: each operation holds the store alone or
// shared, and slots or cases read before another program renumbered or
// changed the store are refused instead of landing on other cases.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "casefixture.h"
#include "childprocess.h"

using namespace lumtar;
using namespace lumtar::test;

namespace {

class TwoPrograms : public StoreTest {
 protected:
  void TearDown() override { SetLockWait(5000); }

  // The store: P0 … P(n-1), every fifth slot deleted.
  void FillWithEveryFifthDeleted(int n) {
    std::vector<CaseRecord> recs;
    for (int i = 0; i < n; ++i) {
      recs.push_back(MakeCase("P" + std::to_string(i), "朋友", 1900 + i % 200));
      recs.back().SetCommentName("P" + std::to_string(i));
      recs.back().isDeleted = i % 5 == 0 ? 1 : 0;
    }
    WriteRawStore(StoreFile(), recs);
    db.Open(dir.str(), 0);
  }

  // Live cases by name, with how often each is there.
  std::map<std::string, int> LiveNames() {
    MDataBase fresh;
    fresh.Open(dir.str(), 0);
    std::map<std::string, int> names;
    for (int slot = 0; slot < fresh.RecordCount(); ++slot) {
      CaseRecord r;
      if (fresh.ReadRecord(slot, &r)) ++names[r.NameUtf8()];
    }
    return names;
  }

  bool CompactElsewhere() {
    return RunInChild([this] {
             MDataBase other;
             return other.Open(dir.str(), 0) && other.CompactStore();
           }) == ChildEnd::kExited0;
  }
};

}  // namespace

// Viewing P1751, another program compacts, then the case is saved back and
// deleted by its old slot: both are refused, and every case is there once.
TEST_F(TwoPrograms, SlotsOfAnotherNumberingAreRefused) {
  FillWithEveryFifthDeleted(2500);
  ViewedCase viewed;
  std::string document;
  ASSERT_TRUE(db.ReadCase(1751, &viewed, &document));
  ASSERT_EQ(viewed.record.NameUtf8(), "P1751");
  ASSERT_TRUE(CompactElsewhere());

  CaseRecord edited = viewed.record;
  edited.SetPlaceName("改过");
  EXPECT_FALSE(db.SaveCase(&viewed, &edited, "{\\rtf1 new}"));
  EXPECT_EQ(db.LastFault(), StoreFault::kChanged);
  EXPECT_FALSE(db.DeleteCases({KeyOf(viewed.record)}));
  EXPECT_EQ(db.LastFault(), StoreFault::kChanged);
  CaseRecord r;
  EXPECT_FALSE(db.ReadRecord(1751, &r));
  EXPECT_FALSE(db.WriteRecord(KeyOf(viewed.record), edited));
  EXPECT_FALSE(db.MarkDeleted(KeyOf(viewed.record)));
  EXPECT_FALSE(db.BeginScan());
  std::vector<int> slots;
  EXPECT_FALSE(db.SearchRecords(SearchCriteria{}, &slots));
  EXPECT_EQ(db.AppendRecord(&edited), -1);
  EXPECT_EQ(db.LastFault(), StoreFault::kChanged);

  const std::map<std::string, int> names = LiveNames();
  EXPECT_EQ(names.size(), 2000u);
  for (const auto& [name, count] : names) EXPECT_EQ(count, 1) << name;
  EXPECT_EQ(names.count("P2189"), 1u);
  EXPECT_EQ(names.count("P1751"), 1u);

  // Once the caller has dropped its slots and adopted the new numbering,
  // the store works again; the old view of the case stays refused.
  db.Adopt();
  ASSERT_TRUE(db.ReadRecord(1751, &r));
  EXPECT_EQ(r.NameUtf8(), "P2189");
  EXPECT_FALSE(db.SaveCase(&viewed, &edited, "{\\rtf1 new}"));
  EXPECT_EQ(db.LastFault(), StoreFault::kChanged);
  EXPECT_EQ(LiveNames().count("P2189"), 1u);
}

// Another program saved the viewed case (a new comment) or deleted it: the
// save back is refused, and what the other program wrote stays.
TEST_F(TwoPrograms, ACaseChangedElsewhereIsNotWrittenOver) {
  CaseRecord a = MakeCase("甲", "朋友", 1990);
  a.SetCommentName("甲");
  CaseRecord b = MakeCase("乙", "朋友", 1991);
  b.SetCommentName("乙");
  WriteRawStore(StoreFile(), {a, b});
  ASSERT_TRUE(WriteWholeFileAtomic(Doc("甲.rtf"), "first"));
  db.Open(dir.str(), 0);

  ViewedCase viewed;
  std::string document;
  ASSERT_TRUE(db.ReadCase(0, &viewed, &document));
  EXPECT_EQ(document, "first");
  ASSERT_EQ(RunInChild([this] {
              MDataBase other;
              ViewedCase v;
              std::string d;
              if (!other.Open(dir.str(), 0) || !other.ReadCase(0, &v, &d)) return false;
              CaseRecord r = v.record;
              return other.SaveCase(&v, &r, "other's comment");
            }),
            ChildEnd::kExited0);
  CaseRecord mine = viewed.record;
  EXPECT_FALSE(db.SaveCase(&viewed, &mine, "my comment"));
  EXPECT_EQ(db.LastFault(), StoreFault::kChanged);
  EXPECT_EQ(FileBytes(Doc("甲.rtf")), "other's comment");

  // The second case: deleted elsewhere, then saved back here.
  ASSERT_TRUE(db.ReadCase(1, &viewed, &document));
  ASSERT_EQ(RunInChild([this] {
              MDataBase other;
              return other.Open(dir.str(), 0) && other.DeleteCases({KeyAt(other, 1)});
            }),
            ChildEnd::kExited0);
  mine = viewed.record;
  EXPECT_FALSE(db.SaveCase(&viewed, &mine, "back from the dead"));
  CaseRecord r;
  EXPECT_FALSE(db.ReadRecord(1, &r));
  EXPECT_EQ(r.isDeleted, 1);
  EXPECT_FALSE(FileExists(Doc("乙.rtf")));

  // Read again, the case saves.
  ASSERT_TRUE(db.ReadCase(0, &viewed, &document));
  mine = viewed.record;
  EXPECT_TRUE(db.SaveCase(&viewed, &mine, "my comment"));
  EXPECT_EQ(FileBytes(Doc("甲.rtf")), "my comment");
}

// Two programs adding cases at the same moment: each waits for the other,
// every case gets a slot and a document of its own.
TEST_F(TwoPrograms, CasesAddedAtOnceAllArrive) {
  auto add = [this](const std::string& who) {
    return [this, who] {
      MDataBase other;
      if (!other.Open(dir.str(), 0)) return false;
      for (int i = 0; i < 100; ++i) {
        CaseRecord r = MakeCase("同名", who, 1990);
        if (!other.AddCase(&r, who + std::to_string(i))) return false;
      }
      return true;
    };
  };
  Child first(add("一")), second(add("二"));
  EXPECT_TRUE(first.Succeeded());
  EXPECT_TRUE(second.Succeeded());

  db.Open(dir.str(), 0);
  ASSERT_EQ(db.RecordCount(), 200);
  std::set<std::string> comments, texts;
  for (int slot = 0; slot < 200; ++slot) {
    CaseRecord r;
    ASSERT_TRUE(db.ReadRecord(slot, &r));
    comments.insert(r.CommentNameUtf8());
    texts.insert(FileBytes(db.CommentPath(r)));
  }
  EXPECT_EQ(comments.size(), 200u);
  EXPECT_EQ(texts.size(), 200u);
}

// A writer waits while another program holds the store, and gives up with
// kBusy when the other keeps it longer than the wait.
TEST_F(TwoPrograms, AWriterWaitsForTheStore) {
  WriteRawStore(StoreFile(), {MakeCase("甲", "朋友", 1990)});
  db.Open(dir.str(), 0);
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  auto holdFor = [&](int ms) {
    return [&, ms] {
      FolderLock lock;
      if (!lock.Acquire(dir / "dat", FolderLock::Mode::Exclusive)) return false;
      char c = 'x';
      if (::write(ready[1], &c, 1) != 1) return false;
      ::usleep(static_cast<useconds_t>(ms) * 1000);
      return true;
    };
  };
  char c;
  {
    Child holder(holdFor(300));
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    CaseRecord r = MakeCase("乙", "朋友", 1991);
    EXPECT_EQ(db.AppendRecord(&r), 1);
    EXPECT_TRUE(holder.Succeeded());
  }
  {
    SetLockWait(50);
    Child holder(holdFor(1000));
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    CaseRecord r = MakeCase("丙", "朋友", 1992);
    EXPECT_EQ(db.AppendRecord(&r), -1);
    EXPECT_EQ(db.LastFault(), StoreFault::kBusy);
    EXPECT_TRUE(holder.Succeeded());
  }
  ::close(ready[0]);
  ::close(ready[1]);
  EXPECT_EQ(db.RecordCount(), 2);
}
