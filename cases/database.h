// The case store: dat/Lumtar.dat, a headerless sequence of 152-byte
// CaseRecords, and the comment documents in Lumtar_f beside dat.
//
// A record's position in the file (its slot) is the case's identifier; it
// never changes except by CompactStore and ImportStore. Deleting a case only
// sets its flag. Bytes after the last whole record (an interrupted write)
// are ignored by every reader and overwritten by the next append.
//
// Several programs may work on one store (a second window, lumtar-cli).
// Every operation holds the store's lock (on the dat folder) for its own
// length: readers share it, a writer holds it alone and waits a few seconds
// for others to finish. A scan (BeginScan … EndScan) keeps a reader's lock.
//
// Slots are only meaningful in the numbering they were read in. Each
// renumbering (compaction, import, clearing) writes a new stamp into
// dat/Lumtar.gen; a store object remembers the stamp of the numbering its
// caller knows (from Open, or Adopt), and every operation that takes or
// gives slots refuses to work on another numbering (LastFault() is then
// kChanged) until the caller adopts the new one. The cases a window shows
// can therefore never be confused with the cases that now sit in their
// slots.
//
// An import is journalled in dat/Lumtar.journal, so that one cut short at
// any instant (a crash, kill -9, power loss) is finished or undone from what
// is on disk by the next operation of any program on the store: the user
// finds either the old cases or the new ones, each with its documents.
//
// Writes are flushed to disk before the operation returns. Nothing here
// shows a message.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "caserecord.h"
#include "files.h"
#include "searchcriteria.h"

namespace lumtar {

// The table of store names; Open takes an index into it (always 0).
inline constexpr const char* kStoreNames[] = {"Lumtar"};
inline constexpr const char* kExportFolderName = "Lumtar_导出数据";
inline constexpr const char* kCompactTempName = "ming.bak";
inline constexpr const char* kStoreStampName = "Lumtar.gen";
inline constexpr const char* kImportJournalName = "Lumtar.journal";

// Texts of the actions on the whole store (menu "文件" and lumtar-cli).
inline constexpr int kMinRecordsToCompact = 2000;
inline constexpr const char* kExportDonePrefix = "成功导出，已保存到";  // + folder
inline constexpr const char* kExportDoneSuffix = "目录下";
inline constexpr const char* kNoImportFileMessage = "没有导入的数据文件！";
inline constexpr const char* kNoImportFolderMessage = "没有导入的数据文件夹！";
inline constexpr const char* kImportDoneMessage = "成功导入，请重启软件！";
inline constexpr const char* kTooFewToCompactMessage = "命例数据过少，无需整理！";
inline constexpr const char* kCompactDoneMessage = "整理数据完成，需重启软件！";
// Why a store operation did not happen, as the window and the tool say it.
inline constexpr const char* kStoreChangedMessage =
    "命例文件已被另一个程序整理、导入或修改，这次操作没有执行。";
inline constexpr const char* kStoreBusyMessage = "命例文件正被另一个程序使用，请稍后再试。";
inline constexpr const char* kStoreFailedMessage = "命例文件无法读取或写入。";
inline constexpr const char* kStoreDamagedMessage =
    "上次导入命例时中断，记录导入过程的文件 dat/Lumtar.journal 已损坏，无法判断该保留哪一份命例；"
    "在恢复之前，命例的操作都不会执行。";

// Why the last operation of a store object failed.
enum class StoreFault {
  kNone,
  kChanged,  // another program renumbered the slots, or changed the case
  kBusy,     // another program held the store for the whole wait
  kFailed,   // a file could not be read or written
  kDamaged,  // an import was cut short and its journal is damaged: the
             // cases wait in dat/import-old-* or import-new-* for a person
};
// The message of a fault (empty for none).
const char* StoreFaultMessage(StoreFault fault);
// What an import says of the documents it left out (names as in the set).
std::string SkippedDocumentsText(const std::vector<std::string>& names);

// A case as its caller read it, to address it in a change: the slot and a
// digest of the record's bytes as the store delivered them (the slot field
// being the slot). A change refuses (kChanged) a slot whose record is no
// longer those bytes, whatever the numbering's stamp says: the stamp may be
// lost or restored from a copy, the bytes still tell one case from another.
struct CaseKey {
  int slot = -1;
  uint64_t digest = 0;
  bool operator==(const CaseKey&) const = default;
};
// The key of a record as the store delivered it (record.slot is its slot).
CaseKey KeyOf(const CaseRecord& delivered);

// A case as it was read for viewing: where it stood, the record's bytes and
// the comment document's. Saving it back first makes sure both are still
// what was read, so that nothing another program wrote in the meantime is
// overwritten.
struct ViewedCase {
  enum class Document { kNone, kRead, kTooLarge, kUnreadable };
  int slot = -1;
  std::string stamp;  // the numbering the slot belongs to
  CaseRecord record;
  Document document = Document::kNone;
  uint64_t documentHash = 0;
};

// A case's comment document read in steps (MDataBase::ReadCase), so that a
// window keeps answering while a large one is read. The document was opened
// while the case was read: its bytes are the ones the record named then,
// whatever is saved over it meanwhile.
class DocumentReader {
 public:
  enum class Result { kMore, kDone, kTooLarge, kFailed };
  // Reads up to `bytes` more bytes.
  Result Read(std::size_t bytes);
  // The document's size when it was opened.
  std::uintmax_t Size() const { return file_.Size(); }
  std::size_t BytesRead() const { return bytes_.size(); }
  // After kDone: the digest a save back compares (ViewedCase::documentHash).
  uint64_t Digest() const { return digest_; }
  // After kDone: the document's bytes (once).
  std::string TakeBytes() { return std::move(bytes_); }

 private:
  friend class MDataBase;
  FileReader file_;
  std::string bytes_;
  uint64_t digest_ = 0;
};

class MDataBase {
 public:
  MDataBase() = default;
  virtual ~MDataBase();
  MDataBase(const MDataBase&) = delete;
  MDataBase& operator=(const MDataBase&) = delete;

  enum class OpenMode {
    kCreate,    // creates dat, Lumtar_f and an empty store when missing
    kExisting,  // creates nothing (readers: a missing store holds no cases)
  };
  // Binds the store to dat/<store name>.dat in the program folder. Finishes
  // or undoes an interrupted import, removes temporary files left by a
  // crash, and adopts the store's numbering. False for an empty folder.
  bool Open(const std::string& programFolder, int storeIndex = 0, OpenMode mode = OpenMode::kCreate);

  const std::string& Folder() const { return folder_; }        // ends with '/'
  const std::string& StorePath() const { return storePath_; }
  std::string StoreFileName() const;                           // "Lumtar.dat"
  std::filesystem::path CommentFolder() const;                 // <folder>Lumtar_f/

  StoreFault LastFault() const { return fault_; }
  // What the last fault means for the user: its message, and for some
  // faults a second line of why (the folders a damaged import left, the
  // folder that refused an import, a linked comment folder). Lines are
  // separated by "\r\n".
  std::string FaultText() const;
  // The second line alone (empty when there is none).
  const std::string& FaultDetail() const { return faultDetail_; }
  // Takes the store's present numbering as the caller's: after kChanged,
  // once the caller has dropped every slot it held.
  void Adopt();

  // Whole records in the file; deleted ones count, a partial tail does not.
  // 0 as well while an import's cases wait for a person (kDamaged).
  int RecordCount() const;
  // False without touching *out when the slot is out of range or the file
  // cannot be read. Otherwise reads the record and returns whether it is
  // live; a deleted record is still delivered in *out. The delivered slot
  // field is always the record's position.
  bool ReadRecord(int slot, CaseRecord* out) const;
  // Writes the record's bytes at the slot of an existing case, whatever the
  // record's own slot field says. Refused (kChanged) when the record there is
  // no longer the one the key was taken from; a slot outside
  // 0..RecordCount-1 is refused too: writing past the end would leave a gap
  // of blank records that read as live cases.
  bool WriteRecord(const CaseKey& key, const CaseRecord& record);
  // Sets record->slot to the next free slot and isDeleted to 0, writes it
  // there (over a partial tail) and returns the slot; -1 when the file cannot
  // be written, with *record left unchanged. A missing store file is created.
  int AppendRecord(CaseRecord* record);
  // Sets the deleted flag of the record of the key (refused, as WriteRecord
  // is, when it is another now); the comment document is the caller's.
  bool MarkDeleted(const CaseKey& key);

  // A scan keeps the store open (and its lock shared) so that the case tree
  // can read many slots, in any order, without opening the file for each.
  bool BeginScan();
  bool ReadScanned(int slot, CaseRecord* out);
  void EndScan();

  // The slots of the live records that meet every active condition, in
  // ascending order. False when the store cannot be read (the list then
  // holds what was found before the failure).
  bool SearchRecords(const SearchCriteria& criteria, std::vector<int>* slots) const;

  // ---- whole cases, each in one hold of the store

  // Reads a live case for viewing with its comment document's bytes (up to
  // kMaxDocumentBytes; beyond is kTooLarge).
  bool ReadCase(int slot, ViewedCase* viewed, std::string* document) const;
  // The same, the document (viewed->document kRead) only opened, to be
  // read in steps; viewed->documentHash is then its Digest().
  bool ReadCase(int slot, ViewedCase* viewed, DocumentReader* document) const;
  // Saves a viewed case back: the record at viewed->slot and the document's
  // bytes. Refused (kChanged) when the record or the document is no longer
  // what was read. The document goes to a new name of the case's own when
  // the old one was unreadable, had no usable name or is named by another
  // live case as well; `record` then carries the new name. A failure
  // changes nothing: the document is written beside its old version first
  // and put in place only after the record; if that fails, the old record
  // is written back. On success *viewed holds what is now stored.
  bool SaveCase(ViewedCase* viewed, CaseRecord* record, const std::string& document);
  // Stores a new case: chooses its comment name, writes the document, then
  // appends the record (the document is removed again if that fails).
  // record->slot is the new slot.
  bool AddCase(CaseRecord* record, const std::string& document);
  // Marks the cases deleted and removes their documents, except a document
  // another live case still names. `deleted` gets the slots marked. All or
  // nothing: refused (kChanged) when any key's record is another now.
  bool DeleteCases(const std::vector<CaseKey>& cases, std::vector<int>* deleted = nullptr);
  // The same for whatever live cases stand in these slots now, for a caller
  // that shows no cases (nothing it read could be confused with another).
  bool DeleteCases(const std::vector<int>& slots, std::vector<int>* deleted = nullptr);
  // Files the live cases of the keys under another class, all or none, as
  // DeleteCases. `renamed` gets the keys the cases have now, one for each
  // key given.
  bool SetClassName(const std::vector<CaseKey>& cases, const std::string& classNameUtf8,
                    std::vector<CaseKey>* renamed = nullptr);

  // ---- the store as a whole

  // Copies the store file as "Lumtar.dat" and every comment document into
  // Lumtar_f of the target folder (created when missing), replacing files of
  // the same names and leaving other files there alone. No copy is readable
  // by more users than its source file.
  bool ExportStore(const std::string& targetFolder) const;
  // Replaces the store and the comment documents with those of an exported
  // set: the store file named (by default the folder's Lumtar.dat, its name
  // in any letter case) and the documents of its Lumtar_f, if any. Only
  // regular files up to kMaxDocumentBytes are taken as documents, never a
  // link to a file elsewhere; `skipped` gets the names of those left out. A
  // set whose Lumtar_f is a link to a folder elsewhere is refused whole. No
  // copy is readable by more users than its source file.
  // The new files are first copied beside the program's; the old store and
  // documents are then moved to a backup folder in dat, the new ones moved
  // in, and the backup removed, each step journalled. On any failure the
  // old store and documents are put back and false returned.
  bool ImportStore(const std::string& sourceFolder, const std::string& storeFileName = {},
                   std::vector<std::string>* skipped = nullptr);
  // Deletes the store file and every comment document. Import does not need
  // it: ImportStore replaces both itself, safely.
  bool ClearStore();
  // Rewrites the store without its deleted records, renumbering slots in
  // file order. The records go to dat/ming.bak, which is flushed to disk and
  // then renamed over the store; until then the store is untouched.
  bool CompactStore();

  // The comment document of a case, or an empty path when the record has no
  // comment name or one that is no plain file name (e.g. "../../x" from a
  // foreign store): such a name never leads to a file operation.
  std::filesystem::path CommentPath(const CaseRecord& record) const;
  // Chooses the comment name of a new case by the naming rule and stores it
  // in record->commentName. A name is free when no document of that name is
  // in Lumtar_f and no live case names it: a case whose document went
  // missing (an import without it, a failed write) still owns its name, and
  // handing it to a new case would make the two share one document. Names
  // are compared with ASCII letters folded, as file names are on the
  // original platform. False (and the field untouched) when no free name is
  // left.
  bool ChooseCommentName(CaseRecord* record) const;
  // True when, besides the case itself, another live case names the
  // record's comment document (stores written elsewhere may have such
  // pairs); saving the case's comment there would change the other's.
  bool CommentShared(const CaseRecord& record) const;
  // Deletes the documents of cases just marked deleted, except a document
  // that a live case still names (stores written elsewhere may have two
  // cases naming one document). Paths come from CommentPath.
  void DeleteComments(const std::vector<std::filesystem::path>& documents) const;

 private:
  class Hold;
  friend class Hold;

  std::filesystem::path DatFolder() const;
  // The stamp of the store's numbering: "" when the store has none (never
  // renumbered, or its file lost); false when the file cannot be read.
  bool ReadStamp(std::string* stamp) const;
  // True when the stamp on disk is `known`. An unreadable stamp matches
  // none, a missing one only a store that never had one.
  bool StampIs(const std::string& known) const;
  // Takes the stamp on disk as the caller's numbering.
  void TakeStamp();
  // These change files only, so that any operation can run them.
  bool NewStamp() const;
  StoreFault RecoverImport() const;
  StoreFault RecoverWithoutJournal() const;
  // Says in the fault's detail which of the folders refuses new files, and
  // why (no permission, a read-only disk), when one does.
  bool DeleteHeld(const std::vector<CaseKey>* cases, const std::vector<int>* slots, std::vector<int>* deleted);
  void ExplainWriteFailure(const std::vector<std::filesystem::path>& folders) const;
  void RemoveLeftovers() const;
  int AppendHeld(CaseRecord* record) const;
  bool ChooseCommentNameHeld(CaseRecord* record) const;
  int LiveUsersHeld(const CaseRecord& record) const;
  void DeleteCommentsHeld(const std::vector<std::filesystem::path>& documents) const;

  std::string folder_;
  std::string storePath_;
  int storeIndex_ = 0;
  std::string stamp_;          // the numbering the caller's slots belong to
  mutable StoreFault fault_ = StoreFault::kNone;
  mutable std::string faultDetail_;
  RecordFile scanFile_;        // the file of a running scan
  FolderLock scanLock_;
  int scanCount_ = 0;          // whole records when the scan began
};

}  // namespace lumtar
