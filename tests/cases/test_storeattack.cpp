// The store against what a second program, a damaged disk or a hostile set
// can do to it: a case moved into a slot the caller still knows, an import
// cut short whose journal is damaged, a comment folder that is a link,
// copies that would open a private file to others, folders that refuse
// writes.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <map>

#include "casefixture.h"
#include "childprocess.h"
#include "clirun.h"
#include "withoutoverride.h"

using namespace lumtar;
using namespace lumtar::test;
namespace fs = std::filesystem;

namespace {

using Files = std::map<std::string, std::string>;  // relative name -> bytes

// Everything under a folder: files with their bytes and permissions,
// folders as "name/", links as "-> target".
Files Tree(const fs::path& root) {
  Files files;
  std::error_code ec;
  for (fs::recursive_directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().lexically_relative(root).string();
    const fs::file_status st = it->symlink_status();
    if (fs::is_symlink(st)) files[name] = "-> " + fs::read_symlink(it->path()).string();
    else if (fs::is_directory(st)) files[name + "/"] = "";
    else files[name] = FileBytes(it->path()) + " mode " + std::to_string(FileModeOr(it->path()));
  }
  return files;
}

unsigned ModeOf(const fs::path& path) { return FileModeOr(path); }

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class StoreAttack : public StoreTest {
 protected:
  fs::path Dat() const { return dir / "dat"; }

  // A case with a document of its own name.
  static CaseRecord Case(const std::string& name, int year, bool deleted = false) {
    CaseRecord r = MakeCase(name, "亲友", year);
    r.SetCommentName(name);
    r.isDeleted = deleted ? 1 : 0;
    return r;
  }

  // The program folder holds these cases, each with its document, and
  // nothing else (no stamp: a store never renumbered).
  void Reset(const std::vector<CaseRecord>& records) {
    RemoveTree(Dat());
    RemoveTree(dir / "Lumtar_f");
    ASSERT_TRUE(CreateDirectories(Dat()));
    ASSERT_TRUE(CreateDirectories(dir / "Lumtar_f"));
    WriteRawStore(StoreFile(), records);
    for (const CaseRecord& r : records)
      ASSERT_TRUE(WriteWholeFileAtomic(Doc(r.CommentNameUtf8() + ".rtf"), "comment of " + r.NameUtf8()));
  }

  // An exported set: a store of these cases and their documents.
  fs::path MakeSet(const std::string& name, const std::vector<CaseRecord>& records) {
    const fs::path set = dir / name;
    RemoveTree(set);
    EXPECT_TRUE(CreateDirectories(set / "Lumtar_f"));
    WriteRawStore(set / "Lumtar.dat", records);
    for (const CaseRecord& r : records)
      EXPECT_TRUE(WriteWholeFileAtomic(set / "Lumtar_f" / (r.CommentNameUtf8() + ".rtf"), "set's " + r.NameUtf8()));
    return set;
  }

  CommandRun Cli(const std::string& prefix, const std::string& args) {
    return RunCommandLine(prefix + LUMTAR_CLI + std::string(" ") + args + " --program-dir " + Quoted(dir.str()),
                          (dir.path().parent_path() / (dir.path().filename().string() + ".err")).string());
  }
};

}  // namespace

// A window views the case in slot 11 of a store never renumbered; another
// program compacts, so that slot 11 holds another case; then the stamp of
// the numbering is lost, cannot be read, or is put back from a copy. Every
// change the window makes through its view of slot 11 is refused, and
// nothing changes: not the case now there, not its document.
TEST_F(StoreAttack, AChangeNeverReachesTheCaseThatMovedIntoTheSlot) {
  std::vector<CaseRecord> records;
  for (int i = 0; i < 20; ++i) records.push_back(Case("P" + std::to_string(i), 1900 + i, i < 5));
  // What becomes of the stamp file after the compaction (it is removed
  // first), given the stamp the window knew; whether the window can still
  // read slots (only a stamp put back passes for the one it knew).
  struct Stamp {
    const char* what;
    StoreFault fault;
    bool reads;
    std::function<void(const std::string&)> then;
  };
  const Stamp stamps[] = {
      {"removed", StoreFault::kChanged, false, [](const std::string&) {}},
      {"unreadable", StoreFault::kFailed, false,
       [&](const std::string&) { ASSERT_TRUE(CreateDirectories(Dat() / "Lumtar.gen")); }},
      {"put back from a copy", StoreFault::kChanged, true,
       [&](const std::string& known) { ASSERT_TRUE(WriteWholeFileAtomic(Dat() / "Lumtar.gen", known)); }},
  };
  struct Change {
    const char* what;
    std::function<bool(MDataBase&, const CaseKey&)> run;
  };
  const Change changes[] = {
      {"delete", [](MDataBase& w, const CaseKey& k) { return w.DeleteCases({k}); }},
      {"class", [](MDataBase& w, const CaseKey& k) { return w.SetClassName({k}, "改过"); }},
      {"mark deleted", [](MDataBase& w, const CaseKey& k) { return w.MarkDeleted(k); }},
      {"write", [](MDataBase& w, const CaseKey& k) { return w.WriteRecord(k, MakeCase("改过", "改过", 2000)); }},
  };
  for (const Stamp& stamp : stamps) {
    for (const Change& change : changes) {
      Reset(records);
      MDataBase window;
      ASSERT_TRUE(window.Open(dir.str(), 0));
      ViewedCase viewed;
      std::string document;
      ASSERT_TRUE(window.ReadCase(11, &viewed, &document));
      ASSERT_EQ(viewed.record.NameUtf8(), "P11");
      std::string known;
      ReadWholeFile(Dat() / "Lumtar.gen", &known);

      MDataBase other;
      ASSERT_TRUE(other.Open(dir.str(), 0));
      ASSERT_TRUE(other.CompactStore());
      CaseRecord now;
      ASSERT_TRUE(other.ReadRecord(11, &now));
      ASSERT_EQ(now.NameUtf8(), "P16");
      ASSERT_TRUE(DeleteFileIfExists(Dat() / "Lumtar.gen"));
      stamp.then(known);

      const Files before = Tree(dir.path());
      EXPECT_FALSE(change.run(window, KeyOf(viewed.record))) << stamp.what << ", " << change.what;
      EXPECT_EQ(window.LastFault(), stamp.fault) << stamp.what << ", " << change.what;
      EXPECT_EQ(Tree(dir.path()), before) << stamp.what << ", " << change.what;
      EXPECT_EQ(window.ReadRecord(11, &now), stamp.reads) << stamp.what;
      EXPECT_EQ(window.BeginScan(), stamp.reads) << stamp.what;
      window.EndScan();
    }
  }

  // Read again, the window's change reaches the case it now views, and only
  // that one.
  MDataBase window;
  ASSERT_TRUE(window.Open(dir.str(), 0));
  ViewedCase viewed;
  std::string document;
  ASSERT_TRUE(window.ReadCase(11, &viewed, &document));
  ASSERT_EQ(viewed.record.NameUtf8(), "P16");
  ASSERT_TRUE(window.DeleteCases({KeyOf(viewed.record)}));
  CaseRecord r;
  EXPECT_FALSE(window.ReadRecord(11, &r));
  EXPECT_FALSE(FileExists(Doc("P16.rtf")));
  EXPECT_TRUE(window.ReadRecord(6, &r));
  EXPECT_EQ(r.NameUtf8(), "P11");
  EXPECT_TRUE(FileExists(Doc("P11.rtf")));
}

// Another program saved the case viewed here (a new place): the numbering
// is the same, the record is not. A class change or deletion through the
// old view is refused; several cases change all together or not at all.
TEST_F(StoreAttack, ACaseRewrittenElsewhereIsNotChangedThroughAnOldView) {
  Reset({Case("甲", 1990), Case("乙", 1991)});
  MDataBase window;
  ASSERT_TRUE(window.Open(dir.str(), 0));
  const CaseKey first = KeyAt(window, 0), second = KeyAt(window, 1);
  MDataBase other;
  ASSERT_TRUE(other.Open(dir.str(), 0));
  CaseRecord edited;
  ASSERT_TRUE(other.ReadRecord(1, &edited));
  edited.SetPlaceName("别处");
  ASSERT_TRUE(other.WriteRecord(KeyAt(other, 1), edited));

  const Files before = Tree(dir.path());
  EXPECT_FALSE(window.SetClassName({first, second}, "改过"));
  EXPECT_EQ(window.LastFault(), StoreFault::kChanged);
  EXPECT_FALSE(window.DeleteCases({first, second}));
  EXPECT_EQ(window.LastFault(), StoreFault::kChanged);
  EXPECT_EQ(Tree(dir.path()), before);

  std::vector<CaseKey> renamed;
  ASSERT_TRUE(window.SetClassName({first, KeyAt(window, 1)}, "改过", &renamed));
  ASSERT_EQ(renamed.size(), 2u);
  EXPECT_EQ(renamed[0], KeyAt(window, 0));
  EXPECT_EQ(renamed[1], KeyAt(window, 1));
  EXPECT_FALSE(window.DeleteCases({first}));
  EXPECT_TRUE(window.DeleteCases({renamed[0]}));
}

// An import killed at every step, its journal then found damaged (cut
// short, or a folder in its place): the next start puts the whole side in place, the
// old cases or the new ones with their documents, never a mixture, never
// an empty store in place of either.
TEST_F(StoreAttack, AnImportCutShortWithADamagedJournalEndsWithOneWholeSide) {
  const std::vector<CaseRecord> oldCases = {Case("甲", 1990), Case("乙", 1991)};
  const std::vector<CaseRecord> newCases = {Case("甲", 1980), Case("新", 2001), Case("另", 2002)};
  const fs::path set = MakeSet("set", newCases);
  struct Side {
    std::string store;
    Files docs;
  };
  auto now = [&] { return Side{FileBytes(StoreFile()), Tree(dir / "Lumtar_f")}; };
  Reset(oldCases);
  const Side oldSide = now();
  const Side newSide{FileBytes(set / "Lumtar.dat"), Tree(set / "Lumtar_f")};

  // What is done to the journal (its path, its text) as found after the kill.
  struct Damage {
    const char* what;
    std::function<void(const fs::path&, const std::string&)> apply;
  };
  const Damage damages[] = {
      {"cut short",
       [](const fs::path& path, const std::string& text) {
         ASSERT_TRUE(WriteWholeFileAtomic(path, text.substr(0, text.size() / 2)));
       }},
      {"a folder in its place",
       [](const fs::path& path, const std::string&) {
         ASSERT_TRUE(DeleteFileIfExists(path));
         ASSERT_TRUE(CreateDirectories(path));
       }},
  };
  for (const Damage& damage : damages) {
    int oldEnds = 0, newEnds = 0, damagedRuns = 0;
    long step = 1;
    for (; step < 1000; ++step) {
      Reset(oldCases);
      const ChildEnd end = RunInChild(
          [&] {
            MDataBase db;
            return db.Open(dir.str(), 0) && db.ImportStore(set.string());
          },
          step);
      std::string journal;
      if (ReadWholeFile(Dat() / "Lumtar.journal", &journal)) {
        ++damagedRuns;
        damage.apply(Dat() / "Lumtar.journal", journal);
      }
      MDataBase next;
      EXPECT_TRUE(next.Open(dir.str(), 0)) << damage.what << ", step " << step << ": " << next.FaultText();
      const Side after = now();
      const bool isOld = after.store == oldSide.store && after.docs == oldSide.docs;
      const bool isNew = after.store == newSide.store && after.docs == newSide.docs;
      EXPECT_TRUE(isOld || isNew) << damage.what << ", step " << step;
      oldEnds += isOld;
      newEnds += isNew;
      for (const auto& [name, bytes] : Tree(Dat()))
        EXPECT_TRUE(name == "Lumtar.dat" || name == "Lumtar.gen" || name.starts_with("Lumtar.journal.bad-"))
            << damage.what << ", step " << step << ": " << name;
      if (HasFailure()) return;
      if (end != ChildEnd::kKilled) break;
    }
    std::printf("[ kill loop ] journal %s: %ld runs, %d with a journal; %d ended old, %d new\n", damage.what, step,
                damagedRuns, oldEnds, newEnds);
    EXPECT_GT(damagedRuns, 10) << damage.what;
    EXPECT_GT(oldEnds, 0) << damage.what;
    EXPECT_GT(newEnds, 1) << damage.what;
  }
}

// A damaged journal beside folders that do not tell which side is whole:
// every operation is refused with a message that names the folders and how
// to recover, nothing is made or moved, and no empty store appears.
TEST_F(StoreAttack, ADamagedJournalThatCannotBeFollowedStopsEveryOperation) {
  const std::vector<CaseRecord> oldCases = {Case("甲", 1990), Case("乙", 1991)};
  const fs::path set = MakeSet("set", {Case("新", 2001)});
  const std::string oldStore = [&] {
    Reset(oldCases);
    return FileBytes(StoreFile());
  }();
  struct State {
    const char* what;
    std::vector<std::string> folders;
    std::function<void()> make;
  };
  const fs::path old1 = Dat() / "import-old-11111111", old2 = Dat() / "import-old-22222222";
  const fs::path new1 = Dat() / "import-new-33333333";
  const State states[] = {
      {"two imports' backups",
       {old1.string(), old2.string(), new1.string()},
       [&] {
         ASSERT_TRUE(RenameFile(StoreFile(), old1 / "Lumtar.dat"));
         ASSERT_TRUE(WriteWholeFileAtomic(old2 / "Lumtar.dat", oldStore));
         ASSERT_TRUE(CreateDirectories(new1 / "Lumtar_f"));
       }},
      {"no store on either side",
       {old1.string(), new1.string()},
       [&] {
         ASSERT_TRUE(RenameFile(StoreFile(), old1 / "Lumtar.dat"));
         ASSERT_TRUE(CreateDirectories(old1 / "Lumtar_f"));
         ASSERT_TRUE(RenameFile(Doc("甲.rtf"), old1 / "Lumtar_f/甲.rtf"));
         ASSERT_TRUE(WriteWholeFileAtomic(new1 / "Lumtar_f/新.rtf", "new"));
       }},
      {"a name taken where an old document goes back",
       {old1.string(), new1.string()},
       [&] {
         ASSERT_TRUE(RenameFile(StoreFile(), old1 / "Lumtar.dat"));
         ASSERT_TRUE(CreateDirectories(old1 / "Lumtar_f"));
         ASSERT_TRUE(RenameFile(Doc("甲.rtf"), old1 / "Lumtar_f/甲.rtf"));
         ASSERT_TRUE(WriteWholeFileAtomic(Doc("甲.rtf"), "another"));
         ASSERT_TRUE(WriteWholeFileAtomic(new1 / "Lumtar.dat", FileBytes(set / "Lumtar.dat")));
       }},
  };
  for (const State& state : states) {
    Reset(oldCases);
    ASSERT_TRUE(CreateDirectories(old1));
    state.make();
    ASSERT_TRUE(WriteWholeFileAtomic(Dat() / "Lumtar.journal", "lumtar import 1\nstate forw"));
    const Files before = Tree(dir.path());

    MDataBase db;
    EXPECT_FALSE(db.Open(dir.str(), 0)) << state.what;
    EXPECT_EQ(db.LastFault(), StoreFault::kDamaged) << state.what;
    const std::string text = db.FaultText();
    EXPECT_TRUE(text.starts_with(kStoreDamagedMessage)) << text;
    for (const std::string& folder : state.folders) EXPECT_TRUE(Contains(text, folder)) << state.what << ": " << text;
    EXPECT_TRUE(Contains(text, (Dat() / "Lumtar.journal").string())) << text;

    CaseRecord r = MakeCase("丙", "朋友", 1999);
    EXPECT_FALSE(db.AddCase(&r, "{\\rtf1 x}")) << state.what;
    EXPECT_EQ(db.LastFault(), StoreFault::kDamaged);
    EXPECT_EQ(db.RecordCount(), 0);
    EXPECT_EQ(db.LastFault(), StoreFault::kDamaged);
    EXPECT_FALSE(db.ImportStore(set.string()));
    EXPECT_EQ(db.LastFault(), StoreFault::kDamaged);
    EXPECT_FALSE(db.CompactStore());
    EXPECT_FALSE(db.ClearStore());
    EXPECT_EQ(db.LastFault(), StoreFault::kDamaged);
    for (const char* args : {"cases list", "cases compact"}) {
      const CommandRun run = Cli("", args);
      EXPECT_EQ(run.status, 1) << args;
      EXPECT_TRUE(Contains(run.err, state.folders.front())) << args << ": " << run.err;
    }
    EXPECT_EQ(Tree(dir.path()), before) << state.what;
  }
}

// A set whose Lumtar_f is a link to a folder elsewhere brings in nothing:
// not the documents of the folder it points to, not the store.
TEST_F(StoreAttack, ACommentFolderThatIsALinkIsRefused) {
  Reset({Case("甲", 1990)});
  ASSERT_TRUE(db.Open(dir.str(), 0));
  const fs::path set = MakeSet("set", {Case("新", 2001)});
  ASSERT_TRUE(WriteWholeFileAtomic(dir / "elsewhere/secret.rtf", "secret"));
  ASSERT_TRUE(RemoveTree(set / "Lumtar_f"));
  fs::create_directory_symlink(dir / "elsewhere", set / "Lumtar_f");
  const Files before = Tree(dir.path());

  EXPECT_FALSE(db.ImportStore(set.string()));
  EXPECT_EQ(db.LastFault(), StoreFault::kFailed);
  EXPECT_TRUE(Contains(db.FaultDetail(), (set / "Lumtar_f").string())) << db.FaultDetail();
  EXPECT_TRUE(Contains(db.FaultDetail(), "链接")) << db.FaultDetail();
  EXPECT_EQ(Tree(dir.path()), before);

  const CommandRun run = Cli("", "cases import " + Quoted((set / "Lumtar.dat").string()));
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(Contains(run.err, "链接")) << run.err;
  EXPECT_EQ(Tree(dir.path()), before);
}

// Export and import copy a private store or document as private: a copy is
// never open to more users than its source, also over a wider file.
TEST_F(StoreAttack, CopiesAreNeverWiderThanTheirSources) {
  Reset({Case("甲", 1990), Case("乙", 1991)});
  const unsigned fresh = FileModeOr(dir / "none");
  fs::permissions(StoreFile(), fs::perms(0600));
  fs::permissions(Doc("甲.rtf"), fs::perms(0600));
  fs::permissions(Doc("乙.rtf"), fs::perms(0640));
  const fs::path target = dir / "export";
  ASSERT_TRUE(WriteWholeFileAtomic(target / "Lumtar_f/甲.rtf", "an earlier export"));
  fs::permissions(target / "Lumtar_f/甲.rtf", fs::perms(0644));
  ASSERT_TRUE(db.ExportStore(target.string()));

  const fs::path set = MakeSet("set", {Case("新", 2001), Case("另", 2002)});
  fs::permissions(set / "Lumtar.dat", fs::perms(0600));
  fs::permissions(set / "Lumtar_f/新.rtf", fs::perms(0600));
  fs::permissions(set / "Lumtar_f/另.rtf", fs::perms(0664));
  fs::permissions(StoreFile(), fs::perms(0644));
  ASSERT_TRUE(db.ImportStore(set.string()));

  const std::pair<fs::path, unsigned> copies[] = {
      {target / "Lumtar.dat", 0600u},                      // a private store
      {target / "Lumtar_f/甲.rtf", 0600u},                 // a private document over a wider copy
      {target / "Lumtar_f/乙.rtf", 0640u & fresh},         // a document for the group
      {StoreFile(), 0600u},                                // a private set's store over a wider store
      {Doc("新.rtf"), 0600u},                              // a private document of the set
      {Doc("另.rtf"), 0664u & fresh},                      // no wider than a new file either
  };
  for (const auto& [path, mode] : copies) EXPECT_EQ(ModeOf(path), mode) << path;
}

// Import into a program folder whose folders refuse new files says which
// folder and that permission was refused; nothing changes.
TEST_F(StoreAttack, ImportIntoAFolderThatRefusesWritesSaysSo) {
  const fs::path set = MakeSet("set", {Case("新", 2001)});
  struct Row {
    const char* what;
    std::vector<fs::path> locked, open;
    fs::path named;
  };
  const Row rows[] = {
      {"dat and Lumtar_f", {dir / "dat", dir / "Lumtar_f"}, {}, dir / "dat"},
      {"Lumtar_f", {dir / "Lumtar_f"}, {dir / "dat"}, dir / "Lumtar_f"},
  };
  // The stamp of the numbering may be new: the import had begun.
  auto cases = [&] {
    Files files = Tree(dir.path());
    files.erase("dat/Lumtar.gen");
    return files;
  };
  for (const Row& row : rows) {
    Reset({Case("甲", 1990)});
    ASSERT_TRUE(db.Open(dir.str(), 0));
    for (const fs::path& p : row.locked) fs::permissions(p, fs::perms(0555));
    for (const fs::path& p : row.open) fs::permissions(p, fs::perms(0777));
    const Files before = cases();
    const std::string said = "文件夹 " + row.named.string() + " 不允许写入：权限被拒绝。";
    {
      WithoutOverride locked;
      EXPECT_FALSE(db.ImportStore(set.string())) << row.what;
      EXPECT_EQ(db.LastFault(), StoreFault::kFailed) << row.what;
      EXPECT_EQ(db.FaultDetail(), said) << row.what;
    }
    const CommandRun run = Cli(WithoutOverridePrefix(), "cases import " + Quoted((set / "Lumtar.dat").string()));
    EXPECT_EQ(run.status, 1) << row.what;
    EXPECT_TRUE(Contains(run.err, said)) << row.what << ": " << run.err;
    for (const fs::path& p : row.locked) fs::permissions(p, fs::perms(0755));
    for (const fs::path& p : row.open) fs::permissions(p, fs::perms(0755));
    EXPECT_EQ(cases(), before) << row.what;
  }
}
