// A store operation stopped at any step, as kill -9 or a power cut would
// stop it, or failing at any step, as a full or read-only disk would make
// it fail: what is left (after the next program start) is the store before
// the operation or after it, never a mixture, and no case is lost,
// duplicated or saved into another.
//
// Each loop stops (or fails) the operation at its 1st, 2nd, 3rd … file step
// until it runs through; the number of runs is printed.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <set>

#include "casefixture.h"
#include "childprocess.h"
#include "clirun.h"

using namespace lumtar;
using namespace lumtar::test;

namespace {

using Files = std::map<std::string, std::string>;  // name -> bytes

// The regular files of a folder with their bytes; folders as "name/".
Files Contents(const std::filesystem::path& dir) {
  Files files;
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(dir, ec)) {
    const std::string name = e.path().filename().string();
    if (e.is_symlink()) files[name] = "->" + std::filesystem::read_symlink(e.path()).string();
    else if (e.is_directory()) files[name + "/"] = "";
    else files[name] = FileBytes(e.path());
  }
  return files;
}

// The program folder as far as the cases go.
struct Snapshot {
  std::string store;
  Files documents;
  bool operator==(const Snapshot&) const = default;
};

// For a failure message: the store's size and each document's size.
std::string Describe(const Snapshot& s) {
  std::string text = "store " + std::to_string(s.store.size()) + " bytes;";
  for (const auto& [name, bytes] : s.documents) text += " " + name + "(" + std::to_string(bytes.size()) + ")";
  return text;
}

class CrashSafety : public StoreTest {
 protected:
  void TearDown() override { SetFileStepTraps(0, 0); }

  Snapshot Now() { return {FileBytes(StoreFile()), Contents(dir / "Lumtar_f")}; }

  // What a new program start finds: it finishes or undoes what was cut off.
  Snapshot AfterRestart() {
    MDataBase next;
    EXPECT_TRUE(next.Open(dir.str(), 0));
    return Now();
  }

  // Only the store's own files in dat: no backup, staging or journal left.
  void ExpectDatClean() {
    for (const auto& [name, bytes] : Contents(dir / "dat")) {
      EXPECT_TRUE(name == "Lumtar.dat" || name == "Lumtar.gen" || name == "ming.bak") << name;
    }
  }

  // Restores the program folder to `start` (store and documents).
  void Reset(const Snapshot& start) {
    RemoveTree(dir / "dat");
    RemoveTree(dir / "Lumtar_f");
    ASSERT_TRUE(CreateDirectories(dir / "dat"));
    ASSERT_TRUE(CreateDirectories(dir / "Lumtar_f"));
    ASSERT_TRUE(WriteWholeFileAtomic(StoreFile(), start.store));
    for (const auto& [name, bytes] : start.documents) ASSERT_TRUE(WriteWholeFileAtomic(Doc(name), bytes));
  }

  // Runs `op` in a child killed at step 1, 2, … until a run is not killed.
  // `check` looks at each result after a restart. Returns the runs.
  int KillLoop(const Snapshot& start, const std::function<bool(MDataBase&)>& op,
               const std::function<void(const Snapshot&, long step)>& check) {
    for (long step = 1; step < 100000; ++step) {
      Reset(start);
      const ChildEnd end = RunInChild(
          [&] {
            MDataBase db;
            return db.Open(dir.str(), 0) && op(db);
          },
          step);
      check(AfterRestart(), step);
      ExpectDatClean();
      if (HasFailure()) return static_cast<int>(step);
      if (end != ChildEnd::kKilled) {
        EXPECT_EQ(end, ChildEnd::kExited0) << "step " << step;
        std::printf("[ kill loop ] %s: %ld runs (killed at steps 1..%ld, then through)\n",
                    ::testing::UnitTest::GetInstance()->current_test_info()->name(), step, step - 1);
        return static_cast<int>(step);
      }
    }
    ADD_FAILURE() << "never ran through";
    return 0;
  }

  // Runs `op` with step 1, 2, … failing until it succeeds. A failed run must
  // leave the folder as it was; the successful one as `after` says.
  int FailLoop(const Snapshot& start, const std::function<bool(MDataBase&)>& op,
               const std::function<void(const Snapshot&)>& afterSuccess) {
    for (long step = 1; step < 100000; ++step) {
      Reset(start);
      MDataBase db;
      EXPECT_TRUE(db.Open(dir.str(), 0));
      SetFileStepTraps(0, step);
      const bool ok = op(db);
      const bool failedStep = FileStepsTaken() >= step;
      SetFileStepTraps(0, 0);
      const Snapshot now = AfterRestart();
      ExpectDatClean();
      if (!ok) {
        EXPECT_TRUE(now == start) << "failed at step " << step << " but changed the store";
      } else {
        afterSuccess(now);
        if (!failedStep) {
          std::printf("[ fail loop ] %s: %ld runs (failing steps 1..%ld, then through)\n",
                      ::testing::UnitTest::GetInstance()->current_test_info()->name(), step, step - 1);
          return static_cast<int>(step);
        }
      }
      if (HasFailure()) return static_cast<int>(step);
    }
    ADD_FAILURE() << "never ran through";
    return 0;
  }

  static std::string Store(std::vector<CaseRecord> records) {
    std::string bytes;
    for (std::size_t i = 0; i < records.size(); ++i) {
      records[i].slot = static_cast<int32_t>(i);
      bytes += RecordBytes(records[i]);
    }
    return bytes;
  }

  static CaseRecord Named(const std::string& name, const std::string& comment, bool deleted = false) {
    CaseRecord r = MakeCase(name, "朋友", 1990);
    r.SetCommentName(comment);
    r.isDeleted = deleted ? 1 : 0;
    return r;
  }
};

}  // namespace

// Import: the old cases with their documents, or the new ones with theirs.
TEST_F(CrashSafety, ImportKilledAtEveryStep) {
  const Snapshot before{Store({Named("旧甲", "a"), Named("旧乙", "x")}),
                        {{"a.rtf", "old a"}, {"x.rtf", "old x"}, {"notes.txt", "kept"}}};
  const auto set = dir / "set";
  ASSERT_TRUE(CreateDirectories(set / "Lumtar_f"));
  const std::string newStore = Store({Named("新甲", "x"), Named("新乙", "b"), Named("新丙", "c")});
  ASSERT_TRUE(WriteWholeFileAtomic(set / "Lumtar.dat", newStore));
  ASSERT_TRUE(WriteWholeFileAtomic(set / "Lumtar_f/x.rtf", "new x"));
  ASSERT_TRUE(WriteWholeFileAtomic(set / "Lumtar_f/b.rtf", "new b"));
  ASSERT_TRUE(WriteWholeFileAtomic(set / "Lumtar_f/c.rtf", std::string(3 << 20, 'c')));  // several pieces
  const Snapshot after{newStore,
                       {{"x.rtf", "new x"}, {"b.rtf", "new b"}, {"c.rtf", std::string(3 << 20, 'c')},
                        {"notes.txt", "kept"}}};
  int oldSeen = 0, newSeen = 0;
  const int runs = KillLoop(
      before, [&](MDataBase& db) { return db.ImportStore(set.string()); },
      [&](const Snapshot& now, long step) {
        EXPECT_TRUE(now == before || now == after) << "killed at step " << step << ": " << Describe(now);
        (now == before ? oldSeen : newSeen)++;
      });
  EXPECT_GT(runs, 20);
  EXPECT_GT(oldSeen, 5);
  EXPECT_GT(newSeen, 2);
}

// The same through lumtar-cli, killed by the environment's trap: the next
// command on the store (here a listing) finds the old set or the new one.
TEST_F(CrashSafety, CliImportKilledAtEveryStep) {
  const Snapshot before{Store({Named("旧甲", "a")}), {{"a.rtf", "old a"}}};
  const auto set = dir / "set";
  ASSERT_TRUE(CreateDirectories(set / "Lumtar_f"));
  const std::string newStore = Store({Named("新甲", "b")});
  ASSERT_TRUE(WriteWholeFileAtomic(set / "Lumtar.dat", newStore));
  ASSERT_TRUE(WriteWholeFileAtomic(set / "Lumtar_f/b.rtf", "new b"));
  const Snapshot after{newStore, {{"b.rtf", "new b"}}};
  const std::string cli = std::string(LUMTAR_CLI) + " cases ";
  const std::string folder = " --program-dir '" + dir.str() + "'";
  long step = 1;
  for (; step < 1000; ++step) {
    Reset(before);
    const CommandRun import = RunCommandLine("LUMTAR_TEST_KILL_AT=" + std::to_string(step) + " " + cli +
                                            "import '" + (set / "Lumtar.dat").string() + "'" + folder + " 2>/dev/null");
    const CommandRun list = RunCommandLine(cli + "list" + folder + " 2>/dev/null");
    const Snapshot now = Now();
    EXPECT_TRUE(now == before || now == after) << "killed at step " << step;
    EXPECT_EQ(list.out.find(now == before ? "旧甲" : "新甲") != std::string::npos, true) << list.out;
    ExpectDatClean();
    if (HasFailure() || import.status == 0) break;
    // Killed: by the signal, or 128 + 9 as the shell reports it.
    EXPECT_TRUE(import.status == -1 || import.status == 137) << "step " << step;
  }
  std::printf("[ kill loop ] CliImportKilledAtEveryStep: %ld runs\n", step);
  EXPECT_GT(step, 10);
}

TEST_F(CrashSafety, CompactionKilledAtEveryStep) {
  std::vector<CaseRecord> records;
  for (int i = 0; i < 3000; ++i) records.push_back(Named("例" + std::to_string(i), "", i % 3 == 0));
  const Snapshot before{Store(records), {}};
  std::vector<CaseRecord> kept;
  for (const CaseRecord& r : records)
    if (r.isDeleted == 0) kept.push_back(r);
  const Snapshot after{Store(kept), {}};
  KillLoop(
      before, [](MDataBase& db) { return db.CompactStore(); },
      [&](const Snapshot& now, long step) { EXPECT_TRUE(now == before || now == after) << "step " << step; });
}

// Saving a viewed case back: its record old or new, its document old or
// new; the other cases untouched.
TEST_F(CrashSafety, SaveKilledAtEveryStep) {
  const Snapshot before{Store({Named("甲", "a"), Named("乙", "b")}), {{"a.rtf", "old a"}, {"b.rtf", "b"}}};
  CaseRecord renamed = Named("甲改", "a");
  renamed.slot = 0;
  const std::string oldRecord = before.store.substr(0, kCaseRecordSize);
  const std::string newRecord = RecordBytes(renamed);
  auto save = [&](MDataBase& db) {
    ViewedCase v;
    std::string d;
    CaseRecord r = renamed;
    return db.ReadCase(0, &v, &d) && db.SaveCase(&v, &r, "new a");
  };
  KillLoop(before, save, [&](const Snapshot& now, long step) {
    const std::string record = now.store.substr(0, kCaseRecordSize);
    EXPECT_TRUE(record == oldRecord || record == newRecord) << "step " << step;
    EXPECT_EQ(now.store.substr(kCaseRecordSize), before.store.substr(kCaseRecordSize));
    ASSERT_EQ(now.documents.count("a.rtf"), 1u) << "step " << step;
    EXPECT_TRUE(now.documents.at("a.rtf") == "old a" || now.documents.at("a.rtf") == "new a");
    EXPECT_EQ(now.documents.at("b.rtf"), "b");
    EXPECT_EQ(now.documents.size(), 2u) << "step " << step;
  });
  FailLoop(before, save, [&](const Snapshot& now) {
    EXPECT_EQ(now.store.substr(0, kCaseRecordSize), newRecord);
    EXPECT_EQ(now.documents.at("a.rtf"), "new a");
  });
}

// A new case: there with its document, or not there; a document without a
// case at most, never a case without its document.
TEST_F(CrashSafety, AddingKilledAtEveryStep) {
  const Snapshot before{Store({Named("甲", "a")}), {{"a.rtf", "a"}}};
  auto add = [](MDataBase& db) {
    CaseRecord r = MakeCase("乙", "朋友", 1991);
    return db.AddCase(&r, "new");
  };
  KillLoop(before, add, [&](const Snapshot& now, long step) {
    EXPECT_EQ(now.store.substr(0, kCaseRecordSize), before.store) << "step " << step;
    EXPECT_EQ(now.documents.at("a.rtf"), "a");
    if (now.store.size() > before.store.size()) {
      EXPECT_EQ(now.store.size(), 2u * kCaseRecordSize);
      EXPECT_EQ(now.documents.at("乙_199103070805.rtf"), "new") << "step " << step;
    }
  });
  FailLoop(before, add, [&](const Snapshot& now) {
    EXPECT_EQ(now.store.size(), 2u * kCaseRecordSize);
    EXPECT_EQ(now.documents.at("乙_199103070805.rtf"), "new");
  });
}

// Deleting: a live case keeps its document whenever it is killed.
TEST_F(CrashSafety, DeletingKilledAtEveryStep) {
  const Snapshot before{Store({Named("甲", "a"), Named("乙", "b")}), {{"a.rtf", "a"}, {"b.rtf", "b"}}};
  auto remove = [](MDataBase& db) { return db.DeleteCases({0, 1}); };
  KillLoop(before, remove, [&](const Snapshot& now, long step) {
    for (int slot = 0; slot < 2; ++slot) {
      CaseRecord r;
      std::memcpy(&r, now.store.data() + slot * kCaseRecordSize, sizeof r);
      if (r.isDeleted == 0) {
        EXPECT_EQ(now.documents.count(r.CommentNameUtf8() + ".rtf"), 1u) << "step " << step;
      }
    }
  });
  // A document whose removal failed stays behind its deleted case: nothing
  // is lost by that.
  FailLoop(before, remove, [](const Snapshot& now) {
    for (int slot = 0; slot < 2; ++slot) EXPECT_EQ(now.store[slot * kCaseRecordSize + 4], 1);
  });
}

// Import and compaction failing at any step (a full disk, a read-only
// folder) leave the store and documents exactly as they were.
TEST_F(CrashSafety, ImportAndCompactionFailingAtEveryStep) {
  std::vector<CaseRecord> records;
  for (int i = 0; i < 50; ++i) records.push_back(Named("例" + std::to_string(i), "d" + std::to_string(i), i % 2 == 0));
  const Snapshot before{Store(records), {{"d1.rtf", "one"}, {"d3.rtf", "three"}}};
  const auto set = dir / "set";
  ASSERT_TRUE(CreateDirectories(set / "Lumtar_f"));
  const std::string newStore = Store({Named("新", "n")});
  ASSERT_TRUE(WriteWholeFileAtomic(set / "Lumtar.dat", newStore));
  ASSERT_TRUE(WriteWholeFileAtomic(set / "Lumtar_f/n.rtf", "n"));
  ASSERT_TRUE(WriteWholeFileAtomic(set / "Lumtar_f/d1.rtf", "new one"));
  FailLoop(before, [&](MDataBase& db) { return db.ImportStore(set.string()); },
           [&](const Snapshot& now) {
             EXPECT_EQ(now.store, newStore);
             EXPECT_EQ(now.documents, (Files{{"n.rtf", "n"}, {"d1.rtf", "new one"}}));
           });
  FailLoop(before, [](MDataBase& db) { return db.CompactStore(); },
           [&](const Snapshot& now) { EXPECT_EQ(now.store.size(), 25u * kCaseRecordSize); });
}
