// A store operation stopped at any step, as kill -9 or a power cut would
// stop it, or failing at any step, as a full or read-only disk would make
// it fail: what is left (after the next program start) is the store before
// the operation or after it, never a mixture, and no case is lost,
// duplicated or saved into another.
//
// Each loop first runs the operation through once and counts its file
// steps (n); it then stops (or fails) the operation at its 1st, 2nd … nth
// step, and finally lets it run through, so that every step is tried and
// the operation takes as many steps under test as it takes alone. That
// first run also looks at the files before every step: a file that must be
// replaced whole is never written where it stands.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <functional>
#include <map>
#include <optional>
#include <set>

#include "casefixture.h"
#include "childprocess.h"
#include "clirun.h"
#include "filetraps.h"

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

// A file as seen before one step: which file it is, and what it holds.
struct Seen {
  ino_t inode = 0;
  std::size_t hash = 0;
};
// "dat/NAME" and "Lumtar_f/NAME" -> what each held.
using Tree = std::map<std::string, Seen>;

// What a kill left: the operation not done, a part of it that its test
// names and accepts (a case of several deleted, a document without its
// case), or done. Later kills never find less done than earlier ones.
enum class Outcome { kBefore, kPart, kAfter };

const char* TestName() { return ::testing::UnitTest::GetInstance()->current_test_info()->name(); }

class CrashSafety : public StoreTest {
 protected:
  using Operation = std::function<bool(MDataBase&)>;

  void TearDown() override {
    WatchFileSteps({});
    SetFileStepTraps(0, 0);
  }

  // The stamp of the store's numbering ("" without one).
  std::string Stamp() {
    std::string bytes;
    return ReadWholeFile(dir / "dat/Lumtar.gen", &bytes) ? bytes : "";
  }

  Snapshot Now() { return {FileBytes(StoreFile()), Contents(dir / "Lumtar_f")}; }

  Tree Look() {
    Tree tree;
    for (const char* folder : {"dat", "Lumtar_f"}) {
      std::error_code ec;
      for (const auto& e : std::filesystem::directory_iterator(dir / folder, ec)) {
        struct stat st;
        if (::lstat(e.path().c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
        std::string bytes;
        ReadWholeFile(e.path(), &bytes);
        tree[std::string(folder) + "/" + e.path().filename().string()] = {st.st_ino, std::hash<std::string>{}(bytes)};
      }
    }
    return tree;
  }

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

  // One run of `op` from `start`, through: the steps it takes (counting the
  // store's opening when `withOpen`) and the files before each step and
  // after the last (n + 1 trees).
  struct Run {
    long steps = 0;
    std::vector<Tree> trees;
  };
  Run RunThrough(const Snapshot& start, const Operation& op, bool withOpen) {
    Reset(start);
    Run run;
    MDataBase db;
    if (!withOpen) {
      EXPECT_TRUE(db.Open(dir.str(), 0));
    }
    SetFileStepTraps(0, 0);
    WatchFileSteps([&](long) { run.trees.push_back(Look()); });
    const bool ok = (!withOpen || db.Open(dir.str(), 0)) && op(db);
    WatchFileSteps({});
    run.steps = FileStepsTaken();
    run.trees.push_back(Look());
    EXPECT_TRUE(ok) << "the operation failed without any trap";
    EXPECT_GT(run.steps, 0);
    return run;
  }

  // `file` ("dat/Lumtar.dat", "Lumtar_f/a.rtf") is never changed where it
  // stands during `run`: only replaced by a complete new file.
  static void ExpectReplacedWhole(const Run& run, const std::string& file) {
    for (std::size_t i = 1; i < run.trees.size(); ++i) {
      const auto was = run.trees[i - 1].find(file);
      const auto is = run.trees[i].find(file);
      if (was == run.trees[i - 1].end() || is == run.trees[i].end()) continue;
      EXPECT_FALSE(was->second.inode == is->second.inode && was->second.hash != is->second.hash)
          << file << " written in place at step " << i;
    }
  }

  // Runs `op` in a child killed just before its step 1, 2, … n (n: the steps
  // of a run through), then once more to let it run through. `outcome`
  // looks at each result after a restart, checks what must hold there and
  // says how much of the operation was done: the first kill finds nothing
  // done, the run through everything, and no kill less than an earlier one.
  Run KillLoop(const Snapshot& start, const Operation& op,
               const std::function<Outcome(const Snapshot&, long step)>& outcome) {
    const Run through = RunThrough(start, op, true);
    std::vector<Outcome> seen;
    for (long step = 1; step <= through.steps + 1; ++step) {
      Reset(start);
      const ChildEnd end = RunInChild(
          [&] {
            MDataBase db;
            return db.Open(dir.str(), 0) && op(db);
          },
          step);
      EXPECT_EQ(end, step <= through.steps ? ChildEnd::kKilled : ChildEnd::kExited0)
          << "step " << step << " of " << through.steps;
      seen.push_back(outcome(AfterRestart(), step));
      ExpectDatClean();
      if (seen.size() > 1) {
        EXPECT_GE(seen.back(), seen[seen.size() - 2]) << "killed at step " << step;
      }
      if (HasFailure()) return through;
    }
    EXPECT_EQ(seen.front(), Outcome::kBefore);
    EXPECT_EQ(seen.back(), Outcome::kAfter);
    auto count = [&](Outcome o) { return std::count(seen.begin(), seen.end(), o); };
    std::printf("[ kill loop ] %s: %ld steps, killed at each: %ld before, %ld part, %ld after; then through\n",
                TestName(), through.steps, count(Outcome::kBefore), count(Outcome::kPart),
                count(Outcome::kAfter) - 1);
    return through;
  }

  // Runs `op` with step 1, 2, … n failing (n: the steps of a run through),
  // then once through. A run that fails must leave the folder as it was;
  // one that succeeds anyway (a failed step it can do without) as
  // `afterSuccess` says.
  Run FailLoop(const Snapshot& start, const Operation& op, const std::function<void(const Snapshot&)>& afterSuccess) {
    const Run through = RunThrough(start, op, false);
    int tolerated = 0;
    for (long step = 1; step <= through.steps + 1; ++step) {
      Reset(start);
      MDataBase db;
      EXPECT_TRUE(db.Open(dir.str(), 0));
      SetFileStepTraps(0, step);
      const bool ok = op(db);
      const bool reached = FileStepsTaken() >= step;
      SetFileStepTraps(0, 0);
      const Snapshot now = AfterRestart();
      ExpectDatClean();
      EXPECT_EQ(reached, step <= through.steps) << "step " << step << " of " << through.steps;
      if (!ok) {
        EXPECT_TRUE(now == start) << "failed at step " << step << " but changed the store: " << Describe(now);
      } else {
        afterSuccess(now);
        if (reached) ++tolerated;
      }
      EXPECT_EQ(ok || step <= through.steps, true) << "the run through failed";
      if (HasFailure()) return through;
    }
    std::printf("[ fail loop ] %s: %ld steps; each failed once (%d of them done without), then through\n",
                TestName(), through.steps, tolerated);
    return through;
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

// Import: the old cases with their documents, or the new ones with theirs;
// the store and each document replaced whole, the new numbering's stamp
// with the new cases.
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
  const Run run = KillLoop(before, [&](MDataBase& db) { return db.ImportStore(set.string()); },
                           [&](const Snapshot& now, long step) {
                             EXPECT_TRUE(now == before || now == after) << "killed at step " << step << ": " << Describe(now);
                             if (now != after) return Outcome::kBefore;
                             EXPECT_NE(Stamp(), "") << "the new cases under the old numbering, step " << step;
                             return Outcome::kAfter;
                           });
  for (const char* file : {"dat/Lumtar.dat", "Lumtar_f/a.rtf", "Lumtar_f/x.rtf"}) ExpectReplacedWhole(run, file);
}

// The same through the tool (its test build, which takes the traps from
// the environment): the next command on the store (here a listing) finds
// the old set or the new one.
TEST_F(CrashSafety, CliImportKilledAtEveryStep) {
  const Snapshot before{Store({Named("旧甲", "a")}), {{"a.rtf", "old a"}}};
  const auto set = dir / "set";
  ASSERT_TRUE(CreateDirectories(set / "Lumtar_f"));
  const std::string newStore = Store({Named("新甲", "b")});
  ASSERT_TRUE(WriteWholeFileAtomic(set / "Lumtar.dat", newStore));
  ASSERT_TRUE(WriteWholeFileAtomic(set / "Lumtar_f/b.rtf", "new b"));
  const Snapshot after{newStore, {{"b.rtf", "new b"}}};
  const std::string import = std::string(LUMTAR_CLI_TRAPS) + " cases import '" + (set / "Lumtar.dat").string() +
                             "' --program-dir '" + dir.str() + "' 2>/dev/null";
  const std::string list = std::string(LUMTAR_CLI) + " cases list --program-dir '" + dir.str() + "' 2>/dev/null";
  // The steps of a run through, counted by the tool itself.
  Reset(before);
  const std::string counted = (dir / "steps").string();
  ASSERT_EQ(RunCommandLine("LUMTAR_TEST_STEPS_FILE='" + counted + "' " + import).status, 0);
  const long steps = std::stol(FileBytes(counted));
  ASSERT_GT(steps, 0);
  long newFrom = 0;
  for (long step = 1; step <= steps + 1; ++step) {
    Reset(before);
    const CommandRun run = RunCommandLine("LUMTAR_TEST_KILL_AT=" + std::to_string(step) + " " + import);
    const CommandRun listed = RunCommandLine(list);
    const Snapshot now = Now();
    EXPECT_TRUE(now == before || now == after) << "killed at step " << step;
    EXPECT_NE(listed.out.find(now == before ? "旧甲" : "新甲"), std::string::npos) << listed.out;
    ExpectDatClean();
    if (now == after && newFrom == 0) newFrom = step;
    if (now == before) {
      EXPECT_EQ(newFrom, 0) << "killed at step " << step << " undid an earlier kill's import";
    }
    // Killed: by the signal, or 128 + 9 as the shell reports it; the last
    // run goes through.
    if (step <= steps) {
      EXPECT_TRUE(run.status == -1 || run.status == 137) << "step " << step << " of " << steps;
    } else {
      EXPECT_EQ(run.status, 0);
    }
    if (HasFailure()) return;
  }
  EXPECT_GT(newFrom, 1);
  std::printf("[ kill loop ] CliImportKilledAtEveryStep: %ld steps, killed at each: %ld before, %ld after\n", steps,
              newFrom - 1, steps + 1 - newFrom);
}

// The programs as built for the user take no traps from the environment:
// with the variables that stop or fail the test build, the tool's import
// runs through, and neither program reads them.
TEST_F(CrashSafety, ShippedProgramsIgnoreTheTraps) {
  for (const char* program : {LUMTAR_CLI, LUMTAR_WINDOW_PROGRAM}) {
    const std::string bytes = FileBytes(program);
    for (const char* variable : {"LUMTAR_TEST_KILL_AT", "LUMTAR_TEST_FAIL_AT", "LUMTAR_TEST_STEPS_FILE"})
      EXPECT_EQ(bytes.find(variable), std::string::npos) << program << " reads " << variable;
  }
  const Snapshot before{Store({Named("旧甲", "a")}), {{"a.rtf", "old a"}}};
  const auto set = dir / "set";
  ASSERT_TRUE(CreateDirectories(set / "Lumtar_f"));
  const std::string newStore = Store({Named("新甲", "b")});
  ASSERT_TRUE(WriteWholeFileAtomic(set / "Lumtar.dat", newStore));
  ASSERT_TRUE(WriteWholeFileAtomic(set / "Lumtar_f/b.rtf", "new b"));
  const Snapshot after{newStore, {{"b.rtf", "new b"}}};
  for (const char* trap : {"LUMTAR_TEST_KILL_AT=1", "LUMTAR_TEST_KILL_AT=3", "LUMTAR_TEST_FAIL_AT=1",
                           "LUMTAR_TEST_FAIL_AT=2"}) {
    Reset(before);
    const CommandRun run = RunCommandLine(std::string(trap) + " " + LUMTAR_CLI + " cases import '" +
                                          (set / "Lumtar.dat").string() + "' --program-dir '" + dir.str() +
                                          "' 2>/dev/null");
    EXPECT_EQ(run.status, 0) << trap;
    EXPECT_TRUE(Now() == after) << trap << ": " << Describe(Now());
  }
}

// Compaction: the whole store old or compacted, replaced in one step (never
// written where it stands) and under a new numbering's stamp.
TEST_F(CrashSafety, CompactionKilledAtEveryStep) {
  std::vector<CaseRecord> records;
  for (int i = 0; i < 3000; ++i) records.push_back(Named("例" + std::to_string(i), "", i % 3 == 0));
  const Snapshot before{Store(records), {}};
  std::vector<CaseRecord> kept;
  for (const CaseRecord& r : records)
    if (r.isDeleted == 0) kept.push_back(r);
  const Snapshot after{Store(kept), {}};
  const Run run = KillLoop(before, [](MDataBase& db) { return db.CompactStore(); },
                           [&](const Snapshot& now, long step) {
                             EXPECT_TRUE(now == before || now == after) << "step " << step << ": " << Describe(now);
                             if (now != after) return Outcome::kBefore;
                             EXPECT_NE(Stamp(), "") << "the new slots under the old numbering, step " << step;
                             return Outcome::kAfter;
                           });
  ExpectReplacedWhole(run, "dat/Lumtar.dat");
}

// Saving a viewed case back: its record old (with the old document) or new
// (with the old document until the new one is put in place); the other
// cases untouched. The record changes only once the new document is on
// disk in full beside the old one, and the old one is replaced whole.
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
  const Run run = KillLoop(before, save, [&](const Snapshot& now, long step) {
    EXPECT_EQ(now.store.substr(kCaseRecordSize), before.store.substr(kCaseRecordSize));
    EXPECT_EQ(now.documents.size(), 2u) << "step " << step;
    EXPECT_EQ(now.documents.count("b.rtf") ? now.documents.at("b.rtf") : "", "b");
    const std::string record = now.store.substr(0, kCaseRecordSize);
    const std::string document = now.documents.count("a.rtf") ? now.documents.at("a.rtf") : "(none)";
    if (record == oldRecord && document == "old a") return Outcome::kBefore;
    if (record == newRecord && document == "new a") return Outcome::kAfter;
    EXPECT_TRUE(record == newRecord && document == "old a") << "step " << step << ": document " << document;
    return Outcome::kPart;
  });
  ExpectReplacedWhole(run, "Lumtar_f/a.rtf");
  const std::size_t newDocument = std::hash<std::string>{}("new a");
  for (const Tree& tree : run.trees) {
    if (tree.at("dat/Lumtar.dat").hash == run.trees.front().at("dat/Lumtar.dat").hash) continue;
    const bool staged =
        std::any_of(tree.begin(), tree.end(), [&](const auto& file) { return file.second.hash == newDocument; });
    EXPECT_TRUE(staged) << "the record was written before the new document was on disk";
    break;
  }
  FailLoop(before, save, [&](const Snapshot& now) {
    EXPECT_EQ(now.store.substr(0, kCaseRecordSize), newRecord);
    EXPECT_EQ(now.documents.at("a.rtf"), "new a");
  });
}

// A new case: there with its document, or not there; a document without a
// case at most, never a case without its document.
TEST_F(CrashSafety, AddingKilledAtEveryStep) {
  const Snapshot before{Store({Named("甲", "a")}), {{"a.rtf", "a"}}};
  const std::string document = "乙_199103070805.rtf";
  auto add = [](MDataBase& db) {
    CaseRecord r = MakeCase("乙", "朋友", 1991);
    return db.AddCase(&r, "new");
  };
  KillLoop(before, add, [&](const Snapshot& now, long step) {
    EXPECT_EQ(now.store.substr(0, kCaseRecordSize), before.store) << "step " << step;
    EXPECT_EQ(now.documents.count("a.rtf") ? now.documents.at("a.rtf") : "", "a");
    const bool hasDocument = now.documents.count(document) && now.documents.at(document) == "new";
    EXPECT_EQ(now.documents.size(), hasDocument ? 2u : 1u) << "step " << step << ": " << Describe(now);
    if (now.store.size() == before.store.size()) return hasDocument ? Outcome::kPart : Outcome::kBefore;
    EXPECT_EQ(now.store.size(), 2u * kCaseRecordSize) << "step " << step;
    EXPECT_TRUE(hasDocument) << "a case without its document, step " << step;
    return Outcome::kAfter;
  });
  FailLoop(before, add, [&](const Snapshot& now) {
    EXPECT_EQ(now.store.size(), 2u * kCaseRecordSize);
    EXPECT_EQ(now.documents.at(document), "new");
  });
}

// Deleting two cases: each case live with its document or marked deleted,
// the records otherwise as they were; the documents go after the records.
TEST_F(CrashSafety, DeletingKilledAtEveryStep) {
  const Snapshot before{Store({Named("甲", "a"), Named("乙", "b")}), {{"a.rtf", "a"}, {"b.rtf", "b"}}};
  auto remove = [](MDataBase& db) { return db.DeleteCases({0, 1}); };
  KillLoop(before, remove, [&](const Snapshot& now, long step) {
    EXPECT_EQ(now.store.size(), before.store.size());
    int marked = 0;
    for (int slot = 0; slot < 2 && now.store.size() == before.store.size(); ++slot) {
      std::string record = now.store.substr(slot * kCaseRecordSize, kCaseRecordSize);
      const std::string name = slot == 0 ? "a.rtf" : "b.rtf";
      if (record[4] == 1) {
        ++marked;
        record[4] = 0;
      } else {
        EXPECT_EQ(now.documents.count(name), 1u) << "a live case lost its document, step " << step;
      }
      EXPECT_EQ(record, before.store.substr(slot * kCaseRecordSize, kCaseRecordSize)) << "step " << step;
      if (now.documents.count(name)) {
        EXPECT_EQ(now.documents.at(name), before.documents.at(name));
      }
    }
    if (marked == 0 && now.documents == before.documents) return Outcome::kBefore;
    if (marked == 2 && now.documents.empty()) return Outcome::kAfter;
    return Outcome::kPart;
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
