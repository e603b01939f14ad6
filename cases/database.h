// The case store: dat/Lumtar.dat, a headerless sequence of 152-byte
// CaseRecords, and the comment documents in Lumtar_f beside dat.
//
// A record's position in the file (its slot) is the case's identifier; it
// never changes except by CompactStore. Deleting a case only sets its flag.
// Bytes after the last whole record (an interrupted write) are ignored by
// every reader and overwritten by the next append.
//
// Every operation opens the file for its own duration, except a scan
// (BeginScan … EndScan), which keeps it open for reading. Writers hold the
// file exclusively, so a second program instance on the same folder fails
// its writes instead of overwriting the first one's records. Writes are
// flushed to disk before the operation returns. Nothing here shows a message.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "caserecord.h"
#include "searchcriteria.h"

namespace lumtar {

// The table of store names; Open takes an index into it (always 0).
inline constexpr const char* kStoreNames[] = {"Lumtar"};
inline constexpr const char* kExportFolderName = "Lumtar_导出数据";
inline constexpr const char* kCompactTempName = "ming.bak";

// Texts of the actions on the whole store (menu "文件" and lumtar-cli).
inline constexpr int kMinRecordsToCompact = 2000;
inline constexpr const char* kExportDonePrefix = "成功导出，已保存到";  // + folder
inline constexpr const char* kExportDoneSuffix = "目录下";
inline constexpr const char* kNoImportFileMessage = "没有导入的数据文件！";
inline constexpr const char* kNoImportFolderMessage = "没有导入的数据文件夹！";
inline constexpr const char* kImportDoneMessage = "成功导入，请重启软件！";
inline constexpr const char* kTooFewToCompactMessage = "命例数据过少，无需整理！";
inline constexpr const char* kCompactDoneMessage = "整理数据完成，需重启软件！";

class MDataBase {
 public:
  MDataBase() = default;
  virtual ~MDataBase();
  MDataBase(const MDataBase&) = delete;
  MDataBase& operator=(const MDataBase&) = delete;

  // Binds the store to dat/<store name>.dat in the program folder. Creates
  // the folders dat and Lumtar_f when they are missing, and an empty store
  // file when there is none.
  void Open(const std::string& programFolder, int storeIndex = 0);

  const std::string& Folder() const { return folder_; }        // ends with '/'
  const std::string& StorePath() const { return storePath_; }
  std::string StoreFileName() const;                           // "Lumtar.dat"
  std::filesystem::path CommentFolder() const;                 // <folder>Lumtar_f/

  // Whole records in the file; deleted ones count, a partial tail does not.
  int RecordCount() const;
  // False without touching *out when the slot is out of range or the file
  // cannot be read. Otherwise reads the record and returns whether it is
  // live; a deleted record is still delivered in *out. The delivered slot
  // field is always the record's position.
  bool ReadRecord(int slot, CaseRecord* out) const;
  // Writes the record's bytes at an existing slot, whatever its own slot
  // field says. A slot outside 0..RecordCount-1 is refused: writing past the
  // end would leave a gap of blank records that read as live cases.
  bool WriteRecord(int slot, const CaseRecord& record);
  // Sets record->slot to the next free slot and isDeleted to 0, writes it
  // there (over a partial tail) and returns the slot; -1 when the file cannot
  // be written, with *record left unchanged. A missing store file is created.
  int AppendRecord(CaseRecord* record);
  // Sets the deleted flag of a record in range; the comment document is the
  // caller's.
  bool MarkDeleted(int slot);

  // A scan keeps the store open so that the case tree can read many slots,
  // in any order, without opening the file for each one.
  bool BeginScan();
  bool ReadScanned(int slot, CaseRecord* out);
  void EndScan();

  // The slots of the live records that meet every active condition, in
  // ascending order. False when the store cannot be read (the list then
  // holds what was found before the failure).
  bool SearchRecords(const SearchCriteria& criteria, std::vector<int>* slots) const;

  // Copies the store file as "Lumtar.dat" and every comment document into
  // Lumtar_f of the target folder (created when missing), replacing files of
  // the same names and leaving other files there alone.
  bool ExportStore(const std::string& targetFolder) const;
  // Replaces the store and the comment documents with those of an exported
  // set: the folder's Lumtar.dat (its name in any letter case) and the
  // documents of its Lumtar_f, if any. The new files are first copied beside
  // the program's; the old store and documents are then moved to a backup
  // folder in dat, the new ones moved in, and the backup removed. On any
  // failure the old store and documents are put back and false returned.
  bool ImportStore(const std::string& sourceFolder);
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
  std::string folder_;
  std::string storePath_;
  int storeIndex_ = 0;
  CaseRecord buffer_;     // scratch record of MarkDeleted
  int scanHandle_ = -1;   // descriptor of a running scan
  int scanCount_ = 0;     // whole records when the scan began
};

}  // namespace lumtar
