#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <set>

#include "casefixture.h"

using namespace lumtar;
using namespace lumtar::test;

namespace {

std::set<std::string> FilesIn(const std::filesystem::path& dir) {
  std::set<std::string> names;
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(dir, ec)) names.insert(e.path().filename().string());
  return names;
}

class StoreOps : public StoreTest {
 protected:
  void WriteDoc(const std::filesystem::path& path, const std::string& text) {
    ASSERT_TRUE(WriteWholeFileAtomic(path, text));
  }
};

}  // namespace

TEST_F(StoreOps, CompactionDropsDeletedRecordsAndRenumbers) {
  std::vector<CaseRecord> recs;
  for (int i = 0; i < 2000; ++i) {
    recs.push_back(MakeCase("例" + std::to_string(i), "朋友", 1600 + i % 500));
    recs.back().isDeleted = i % 4 == 1 ? 1 : 0;
  }
  WriteRawStore(StoreFile(), recs, "partial");
  ASSERT_TRUE(db.CompactStore());
  EXPECT_FALSE(FileExists(dir / "dat/ming.bak"));
  ASSERT_EQ(FileBytes(StoreFile()).size(), 1500u * kCaseRecordSize);
  ASSERT_EQ(db.RecordCount(), 1500);
  ASSERT_TRUE(db.BeginScan());
  int expectedSource = 0;
  for (int slot = 0; slot < 1500; ++slot, ++expectedSource) {
    if (expectedSource % 4 == 1) ++expectedSource;
    CaseRecord r;
    ASSERT_TRUE(db.ReadScanned(slot, &r));
    EXPECT_EQ(r.NameUtf8(), "例" + std::to_string(expectedSource));
  }
  db.EndScan();
  // The slot fields in the file itself are the new positions.
  const std::string bytes = FileBytes(StoreFile());
  for (int slot : {0, 1, 777, 1499}) {
    int32_t field;
    std::memcpy(&field, bytes.data() + slot * kCaseRecordSize, 4);
    EXPECT_EQ(field, slot);
  }
}

TEST_F(StoreOps, FailedCompactionLeavesTheStore) {
  std::vector<CaseRecord> recs(3, MakeCase("甲", "朋友", 1990));
  recs[1].isDeleted = 1;
  WriteRawStore(StoreFile(), recs);
  const std::string before = FileBytes(StoreFile());
  ASSERT_TRUE(CreateDirectories(dir / "dat/ming.bak"));  // the temporary file cannot be made
  EXPECT_FALSE(db.CompactStore());
  EXPECT_EQ(FileBytes(StoreFile()), before);
}

TEST_F(StoreOps, ExportTwiceReplacesFilesAndKeepsOthers) {
  WriteRawStore(StoreFile(), {MakeCase("甲", "朋友", 1990)});
  WriteDoc(Doc("a.rtf"), "a1");
  WriteDoc(Doc("b.rtf"), "b1");
  WriteDoc(Doc("notes.txt"), "not a document");
  const auto target = dir / "out/Lumtar_导出数据";
  ASSERT_TRUE(db.ExportStore((dir / "out/Lumtar_导出数据/").string()));
  EXPECT_EQ(FilesIn(target / "Lumtar_f"), (std::set<std::string>{"a.rtf", "b.rtf"}));

  WriteRawStore(StoreFile(), {MakeCase("甲", "朋友", 1990), MakeCase("乙", "朋友", 1991)});
  ASSERT_TRUE(DeleteFileIfExists(Doc("b.rtf")));
  WriteDoc(Doc("a.rtf"), "a2");
  WriteDoc(Doc("c.rtf"), "c2");
  ASSERT_TRUE(db.ExportStore(target.string()));
  EXPECT_EQ(FileBytes(target / "Lumtar.dat"), FileBytes(StoreFile()));
  EXPECT_EQ(FilesIn(target), (std::set<std::string>{"Lumtar.dat", "Lumtar_f"}));
  EXPECT_EQ(FilesIn(target / "Lumtar_f"), (std::set<std::string>{"a.rtf", "b.rtf", "c.rtf"}));
  EXPECT_EQ(FileBytes(target / "Lumtar_f/a.rtf"), "a2");
  EXPECT_EQ(FileBytes(target / "Lumtar_f/b.rtf"), "b1");
}

TEST_F(StoreOps, ExportWithoutDocuments) {
  ASSERT_TRUE(db.ExportStore((dir / "set/").string()));
  EXPECT_TRUE(FileExists(dir / "set/Lumtar.dat"));
  EXPECT_TRUE(DirectoryExists(dir / "set/Lumtar_f"));
  EXPECT_TRUE(FilesIn(dir / "set/Lumtar_f").empty());
}

class Import : public StoreOps {
 protected:
  void SetUp() override {
    StoreOps::SetUp();
    WriteRawStore(StoreFile(), {MakeCase("旧甲", "朋友", 1990), MakeCase("旧乙", "朋友", 1991)});
    WriteDoc(Doc("x.rtf"), "old x");
    WriteDoc(Doc("y.rtf"), "old y");
    WriteDoc(Doc("notes.txt"), "kept");
    oldStore = FileBytes(StoreFile());

    ASSERT_TRUE(CreateDirectories(source / "Lumtar_f"));
    WriteRawStore(source / "Lumtar.dat", {MakeCase("新", "客户", 2000)});
    WriteDoc(source / "Lumtar_f/a.rtf", "new a");
    WriteDoc(source / "Lumtar_f/x.rtf", "new x");
  }

  void ExpectOldDataIntact() {
    EXPECT_EQ(FileBytes(StoreFile()), oldStore);
    EXPECT_EQ(FileBytes(Doc("x.rtf")), "old x");
    EXPECT_EQ(FileBytes(Doc("y.rtf")), "old y");
    EXPECT_FALSE(FileExists(Doc("a.rtf")));
  }

  std::filesystem::path source = dir / "set";
  std::string oldStore;
};

TEST_F(Import, ReplacesStoreAndDocuments) {
  ASSERT_TRUE(db.ImportStore(source.string()));
  EXPECT_EQ(FileBytes(StoreFile()), FileBytes(source / "Lumtar.dat"));
  EXPECT_EQ(FilesIn(dir / "Lumtar_f"), (std::set<std::string>{"a.rtf", "x.rtf", "notes.txt"}));
  EXPECT_EQ(FileBytes(Doc("x.rtf")), "new x");
  // No backup left behind; the stamp of the new numbering.
  EXPECT_EQ(FilesIn(dir / "dat"), (std::set<std::string>{"Lumtar.dat", "Lumtar.gen"}));
  CaseRecord r;
  ASSERT_TRUE(db.ReadRecord(0, &r));
  EXPECT_EQ(r.NameUtf8(), "新");
}

TEST_F(Import, StoreFileNameInAnyLetterCase) {
  ASSERT_TRUE(RenameFile(source / "Lumtar.dat", source / "LUMTAR.DAT"));
  ASSERT_TRUE(db.ImportStore(source.string() + "/"));
  EXPECT_EQ(FileBytes(StoreFile()), FileBytes(source / "LUMTAR.DAT"));
}

TEST_F(Import, WithoutAStoreFileNothingIsTouched) {
  ASSERT_TRUE(DeleteFileIfExists(source / "Lumtar.dat"));
  EXPECT_FALSE(db.ImportStore(source.string()));
  ExpectOldDataIntact();
  EXPECT_EQ(FilesIn(dir / "dat"), (std::set<std::string>{"Lumtar.dat", "Lumtar.gen"}));
}

// The new document a.rtf cannot be moved into place (a folder has that
// name): the import fails and the old store and documents are back.
TEST_F(Import, FailureRestoresTheOldStoreAndDocuments) {
  ASSERT_TRUE(CreateDirectories(Doc("a.rtf")));
  ASSERT_TRUE(WriteWholeFileAtomic(Doc("a.rtf") / "inside", "x"));
  EXPECT_FALSE(db.ImportStore(source.string()));
  EXPECT_EQ(FileBytes(StoreFile()), oldStore);
  EXPECT_EQ(FileBytes(Doc("x.rtf")), "old x");
  EXPECT_EQ(FileBytes(Doc("y.rtf")), "old y");
  EXPECT_EQ(FileBytes(Doc("notes.txt")), "kept");
  EXPECT_EQ(FilesIn(dir / "dat"), (std::set<std::string>{"Lumtar.dat", "Lumtar.gen"}));
}

// Importing the program's own documents (the set is the program folder)
// must not lose them on the way.
TEST_F(Import, FromTheProgramFolderItself) {
  ASSERT_TRUE(CopyFileOverwrite(StoreFile(), dir / "Lumtar.dat"));
  ASSERT_TRUE(db.ImportStore(dir.str()));
  EXPECT_EQ(FileBytes(StoreFile()), oldStore);
  EXPECT_EQ(FileBytes(Doc("x.rtf")), "old x");
  EXPECT_EQ(FileBytes(Doc("y.rtf")), "old y");
}

// An imported store names documents outside Lumtar_f. No such name leads to
// a path, and nothing outside the folder is read, written or deleted.
TEST_F(Import, ForeignCommentNamesCannotReachOutside) {
  WriteDoc(dir / "victim.rtf", "outside");
  WriteDoc(dir / "dat/victim.rtf", "outside");
  const char* hostile[] = {"../victim", "../../victim", "/etc/passwd", "..\\victim", "a\x01", ".."};
  std::vector<CaseRecord> recs;
  for (const char* name : hostile) {
    CaseRecord r = MakeCase(name, "朋友", 1990);
    std::memset(r.commentName, 0, sizeof r.commentName);
    std::memcpy(r.commentName, name, std::strlen(name));
    recs.push_back(r);
  }
  WriteRawStore(source / "Lumtar.dat", recs);
  ASSERT_TRUE(db.ImportStore(source.string()));

  const auto docs = std::filesystem::canonical(dir / "Lumtar_f");
  for (int slot = 0; slot < db.RecordCount(); ++slot) {
    CaseRecord r;
    ASSERT_TRUE(db.ReadRecord(slot, &r));
    EXPECT_TRUE(db.CommentPath(r).empty()) << r.commentName;
    // A new name chosen from the hostile person's name stays inside.
    ASSERT_TRUE(db.ChooseCommentName(&r));
    const auto path = db.CommentPath(r);
    ASSERT_FALSE(path.empty()) << r.commentName;
    EXPECT_EQ(std::filesystem::weakly_canonical(path).parent_path(), docs);
  }
  ASSERT_TRUE(db.ClearStore());
  EXPECT_EQ(FileBytes(dir / "victim.rtf"), "outside");
  EXPECT_EQ(FileBytes(dir / "dat/victim.rtf"), "outside");
}

TEST_F(StoreOps, ClearStoreDeletesStoreAndDocumentsOnly) {
  WriteRawStore(StoreFile(), {MakeCase("甲", "朋友", 1990)});
  WriteDoc(Doc("a.rtf"), "a");
  WriteDoc(Doc("B.RTF"), "b");
  WriteDoc(Doc("notes.txt"), "kept");
  ASSERT_TRUE(db.ClearStore());
  EXPECT_FALSE(FileExists(StoreFile()));
  EXPECT_EQ(FilesIn(dir / "Lumtar_f"), std::set<std::string>{"notes.txt"});
}

// A case whose document went missing (here: imported without it) still owns
// its comment name. A new case of the same person and moment must not get
// that name, or the two would share one document and deleting either would
// take the other's comment. Names differing only in ASCII letter case are
// one file on the original platform.
TEST_F(StoreOps, NewCommentNameAvoidsNamesOfLiveCases) {
  CaseRecord live = MakeCase("张三", "朋友", 1990);
  live.SetCommentName("张三_199003070805");
  CaseRecord gone = MakeCase("张三", "朋友", 1990);
  gone.SetCommentName("张三_199003070805_0");
  gone.isDeleted = 1;
  CaseRecord other = MakeCase("Tom", "朋友", 1990);
  other.SetCommentName("TOM_199003070805_0");
  // 丄 and 乤 differ only in a trail byte, 'A' against 'a': two names.
  CaseRecord trail = MakeCase("丄", "朋友", 1990);
  trail.SetCommentName("丄_199003070805");
  WriteRawStore(StoreFile(), {live, gone, other, trail});
  WriteDoc(Doc("tom_199003070805.rtf"), "Tom's");

  struct Case {
    const char* name;
    const char* expected;
  } cases[] = {
      {"张三", "张三_199003070805_0"},  // the deleted case's name is free again
      {"Tom", "Tom_199003070805_1"},
      {"李四", "李四_199003070805"},
      {"乤", "乤_199003070805"},
  };
  for (const Case& c : cases) {
    CaseRecord r = MakeCase(c.name, "朋友", 1990);
    ASSERT_TRUE(db.ChooseCommentName(&r)) << c.name;
    EXPECT_EQ(r.CommentNameUtf8(), c.expected) << c.name;
  }
}

// Two live cases naming one document (a store written elsewhere): the
// document counts as shared while both live; deleting one leaves the
// document to the other; deleting both removes it.
TEST_F(StoreOps, DeletedCaseLeavesADocumentAnotherCaseNames) {
  std::vector<CaseRecord> recs(3, MakeCase("张三", "朋友", 1990));
  recs[0].SetCommentName("共用");
  recs[1].SetCommentName("共用");
  recs[2].SetCommentName("own");
  WriteRawStore(StoreFile(), recs);
  WriteDoc(Doc("共用.rtf"), "shared");
  WriteDoc(Doc("own.rtf"), "own");

  EXPECT_TRUE(db.CommentShared(recs[0]));
  EXPECT_FALSE(db.CommentShared(recs[2]));
  ASSERT_TRUE(db.MarkDeleted(KeyAt(db, 0)));
  ASSERT_TRUE(db.MarkDeleted(KeyAt(db, 2)));
  EXPECT_FALSE(db.CommentShared(recs[1]));
  db.DeleteComments({db.CommentPath(recs[0]), db.CommentPath(recs[2]), {}});
  EXPECT_EQ(FileBytes(Doc("共用.rtf")), "shared");
  EXPECT_FALSE(FileExists(Doc("own.rtf")));

  ASSERT_TRUE(db.MarkDeleted(KeyAt(db, 1)));
  db.DeleteComments({db.CommentPath(recs[1])});
  EXPECT_FALSE(FileExists(Doc("共用.rtf")));
}

// A comment document read in steps gives what a read at once gives: the
// same bytes and the same digest, which is FNV-1a of the bytes (the known
// values below), so that a save back compares as it always did. Nothing is
// read before the first step, no step reads more than asked, and the bytes
// are those of the document opened, whatever is put at its name meanwhile.
TEST_F(StoreOps, ADocumentReadInStepsGivesTheBytesAndDigestOfAWholeRead) {
  std::string large(3 << 20, '\0');
  for (size_t i = 0; i < large.size(); ++i) large[i] = static_cast<char>((i * 2654435761u) >> 13);
  const struct {
    std::string bytes;
    uint64_t digest;  // 0: not a published value, compared with the read at once
  } rows[] = {
      {"", 0xcbf29ce484222325ull},
      {"a", 0xaf63dc4c8601ec8cull},
      {"foobar", 0x85944171f73967e8ull},
      {"{\\rtf1 \\'d5\\'c5\\'c8\\'fd}", 0},
      {large, 0},
  };
  CaseRecord a = MakeCase("甲", "朋友", 1990);
  a.SetCommentName("甲");
  WriteRawStore(StoreFile(), {a});
  for (const auto& row : rows) {
    SCOPED_TRACE(row.bytes.substr(0, 20));
    WriteDoc(Doc("甲.rtf"), row.bytes);
    ViewedCase whole;
    std::string wholeBytes;
    ASSERT_TRUE(db.ReadCase(0, &whole, &wholeBytes));
    ASSERT_EQ(whole.document, ViewedCase::Document::kRead);
    EXPECT_TRUE(wholeBytes == row.bytes);
    if (row.digest != 0) {
      EXPECT_EQ(whole.documentHash, row.digest);
    }
    for (size_t step : {size_t{1}, size_t{7}, size_t{65536}, size_t{1} << 20, SIZE_MAX}) {
      if (step < 65536 && row.bytes.size() > 65536) continue;
      SCOPED_TRACE(step);
      ViewedCase viewed;
      DocumentReader reader;
      ASSERT_TRUE(db.ReadCase(0, &viewed, &reader));
      ASSERT_EQ(viewed.document, ViewedCase::Document::kRead);
      EXPECT_EQ(reader.BytesRead(), 0u);
      EXPECT_EQ(reader.Size(), row.bytes.size());
      // Replaced at its name: the reading goes on in the document opened.
      WriteDoc(Doc("甲.rtf"), "another program's comment");
      DocumentReader::Result r;
      size_t before = 0;
      while ((r = reader.Read(step)) == DocumentReader::Result::kMore) {
        EXPECT_LE(reader.BytesRead() - before, step);
        EXPECT_GT(reader.BytesRead(), before);
        before = reader.BytesRead();
      }
      ASSERT_EQ(r, DocumentReader::Result::kDone);
      EXPECT_EQ(reader.Digest(), whole.documentHash);
      EXPECT_TRUE(reader.TakeBytes() == row.bytes);
      // The digest tells the document that replaced it: the save is refused.
      viewed.documentHash = reader.Digest();
      CaseRecord mine = viewed.record;
      EXPECT_FALSE(db.SaveCase(&viewed, &mine, "mine"));
      EXPECT_EQ(db.LastFault(), StoreFault::kChanged);
      EXPECT_EQ(FileBytes(Doc("甲.rtf")), "another program's comment");
      WriteDoc(Doc("甲.rtf"), row.bytes);
    }
  }
  // The digest of a document read in steps lets the unchanged case save.
  ViewedCase viewed;
  DocumentReader reader;
  ASSERT_TRUE(db.ReadCase(0, &viewed, &reader));
  while (reader.Read(1 << 20) == DocumentReader::Result::kMore) {
  }
  viewed.documentHash = reader.Digest();
  CaseRecord mine = viewed.record;
  EXPECT_TRUE(db.SaveCase(&viewed, &mine, "mine"));
  EXPECT_EQ(FileBytes(Doc("甲.rtf")), "mine");
}

// A document that grows past the largest accepted while it is read in
// steps, and what ReadCase says of documents it cannot take.
TEST_F(StoreOps, ADocumentThatCannotBeTakenIsSaidSoWhenReadInSteps) {
  CaseRecord a = MakeCase("甲", "朋友", 1990);
  a.SetCommentName("甲");
  WriteRawStore(StoreFile(), {a});
  WriteDoc(Doc("甲.rtf"), std::string(1000, 'a'));
  ViewedCase viewed;
  DocumentReader reader;
  ASSERT_TRUE(db.ReadCase(0, &viewed, &reader));
  ASSERT_EQ(viewed.document, ViewedCase::Document::kRead);
  ASSERT_EQ(reader.Read(10), DocumentReader::Result::kMore);
  {
    // Another program writes on into the same file.
    std::FILE* f = std::fopen(Doc("甲.rtf").c_str(), "ab");
    ASSERT_TRUE(f);
    std::string more(1 << 20, 'b');
    for (uintmax_t n = 0; n <= kMaxDocumentBytes; n += more.size()) std::fwrite(more.data(), 1, more.size(), f);
    std::fclose(f);
  }
  DocumentReader::Result r;
  while ((r = reader.Read(8 << 20)) == DocumentReader::Result::kMore) {
  }
  EXPECT_EQ(r, DocumentReader::Result::kTooLarge);

  const struct {
    const char* what;
    std::function<void()> make;
    ViewedCase::Document document;
  } rows[] = {
      {"missing", [&] { std::filesystem::remove(Doc("甲.rtf")); }, ViewedCase::Document::kNone},
      {"folder", [&] { std::filesystem::create_directory(Doc("甲.rtf")); }, ViewedCase::Document::kUnreadable},
      {"too large", [&] { std::filesystem::resize_file(Doc("甲.rtf"), kMaxDocumentBytes + 1); },
       ViewedCase::Document::kTooLarge},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    std::error_code ec;
    std::filesystem::remove_all(Doc("甲.rtf"), ec);
    WriteDoc(Doc("甲.rtf"), "x");
    if (std::string(row.what) != "too large") std::filesystem::remove(Doc("甲.rtf"));
    row.make();
    ASSERT_TRUE(db.ReadCase(0, &viewed, &reader));
    EXPECT_EQ(viewed.document, row.document);
    EXPECT_EQ(reader.Read(100), DocumentReader::Result::kFailed);
  }
}
