#include "database.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <functional>
#include <iterator>
#include <random>
#include <set>
#include <string_view>
#include <utility>

#include "files.h"
#include "gbk.h"

namespace lumtar {
namespace {

constexpr int64_t kRecordBytes = kCaseRecordSize;
// Records read at a time by the sequential passes (search, compaction).
constexpr int kChunkRecords = 1024;
using LockMode = FolderLock::Mode;

int WholeRecords(int64_t size) {
  if (size <= 0) return 0;
  int64_t n = size / kRecordBytes;
  return n > INT_MAX ? INT_MAX : static_cast<int>(n);
}

int64_t OffsetOf(int slot) { return static_cast<int64_t>(slot) * kRecordBytes; }

bool ReadSlot(const RecordFile& f, int slot, CaseRecord* out) { return f.ReadAt(OffsetOf(slot), out, sizeof *out); }

bool WriteSlot(RecordFile& f, int slot, const CaseRecord& r) { return f.WriteAt(OffsetOf(slot), &r, sizeof r); }

// A record goes out with its position as its slot. A store written
// elsewhere may carry another number in the field, and the tree finds the
// record to view, move or delete by that number.
void DeliverRecord(int slot, const CaseRecord& read, CaseRecord* out) {
  *out = read;
  out->slot = slot;
}

bool SameBytes(const CaseRecord& a, const CaseRecord& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// FNV-1a: tells bytes another program rewrote from those read. Given the
// digest of the bytes before, it goes on over more of them.
constexpr uint64_t kEmptyHash = 14695981039346656037ull;
uint64_t BytesHash(std::string_view bytes, uint64_t before = kEmptyHash) {
  uint64_t h = before;
  for (unsigned char c : bytes) {
    h ^= c;
    h *= 1099511628211ull;
  }
  return h;
}

// Passes over the records 0..count-1 of an open store in file order, a chunk
// at a time. `visit` gets each record with its slot. False on a read error.
template <typename Visit>
bool ForEachRecord(const RecordFile& f, int count, Visit visit) {
  std::vector<CaseRecord> chunk(kChunkRecords);
  for (int first = 0; first < count; first += kChunkRecords) {
    int n = std::min(kChunkRecords, count - first);
    if (!f.ReadAt(OffsetOf(first), chunk.data(), static_cast<std::size_t>(n) * sizeof(CaseRecord))) return false;
    for (int i = 0; i < n; ++i) {
      if (!visit(first + i, chunk[i])) return false;
    }
  }
  return true;
}

// A folder as a message names it: without a trailing slash.
std::string Shown(const fs::path& folder) {
  return (folder.has_filename() ? folder : folder.parent_path()).string();
}

std::string WithSlash(std::string d) {
  if (d.empty() || d.back() != '/') d += '/';
  return d;
}

// A comment name (GBK) as the original platform tells file names apart:
// ASCII letters in one case. The two bytes of a double-byte character stay
// as they are, since a trail byte may look like a letter.
std::string FoldedName(std::string_view gbk) {
  std::string out(gbk);
  for (std::size_t i = 0; i < out.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(out[i]);
    if (c >= 0x81 && c <= 0xFE) ++i;
    else if (c >= 'A' && c <= 'Z') out[i] = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

// The folded comment name of a document file in Lumtar_f (UTF-8 name with
// its extension).
std::string FoldedDocumentName(const fs::path& document) {
  return FoldedName(Utf8ToGbk(document.stem().string()));
}

std::string FoldedCommentName(const CaseRecord& r) {
  return FoldedName(FieldText(r.commentName, sizeof r.commentName));
}

// Passes the folded comment names of the live records to `visit`. A missing
// store holds none; false when the store cannot be read.
template <typename Visit>
bool ForEachLiveCommentName(const std::string& storePath, Visit visit) {
  if (storePath.empty()) return false;
  if (!FileExists(storePath)) return true;
  RecordFile f;
  if (!f.Open(storePath, RecordFile::Mode::Read)) return false;
  return ForEachRecord(f, WholeRecords(f.Size()), [&visit](int, const CaseRecord& r) {
    if (r.isDeleted == 0 && r.commentName[0] != '\0') visit(FoldedCommentName(r));
    return true;
  });
}

uint64_t DocumentHash(std::string_view bytes) { return BytesHash(bytes); }

std::string RandomHex(int digits) {
  static const char* kHex = "0123456789abcdef";
  std::random_device rd;
  std::string out;
  for (int i = 0; i < digits; ++i) out += kHex[rd() % 16];
  return out;
}

// Writes records back as they were read, after a failure part of the way:
// an operation on several cases changes all of them or none.
void RestoreRecords(RecordFile& f, const std::vector<std::pair<int, CaseRecord>>& records) {
  bool ok = true;
  for (const auto& [slot, record] : records) ok = WriteSlot(f, slot, record) && ok;
  if (ok) f.Sync();
}

enum class Changed { kDone, kOther, kFailed };

// Changes the records of the keys, all of them or none. Every key's record
// must still be the one it was taken from (kOther when one is not); with
// `liveOnly` a deleted one is left as it is. On a failure part of the way
// the records changed are written back. `before` receives the slots changed
// with their records as they were.
Changed ChangeRecords(RecordFile& f, const std::vector<CaseKey>& keys, bool liveOnly,
                      const std::function<void(CaseRecord*)>& change, std::vector<std::pair<int, CaseRecord>>* before) {
  const int count = WholeRecords(f.Size());
  std::vector<std::pair<int, CaseRecord>> found;
  for (const CaseKey& key : keys) {
    if (key.slot < 0 || key.slot >= count) return Changed::kOther;
    CaseRecord stored, delivered;
    if (!ReadSlot(f, key.slot, &stored)) return Changed::kFailed;
    DeliverRecord(key.slot, stored, &delivered);
    if (KeyOf(delivered) != key) return Changed::kOther;
    found.emplace_back(key.slot, stored);
  }
  bool ok = true;
  for (const auto& [slot, stored] : found) {
    if (liveOnly && stored.isDeleted != 0) continue;
    before->emplace_back(slot, stored);
    CaseRecord next = stored;
    change(&next);
    if (!WriteSlot(f, slot, next)) {
      ok = false;
      break;
    }
  }
  ok = f.Sync() && ok;
  if (ok) return Changed::kDone;
  RestoreRecords(f, *before);
  return Changed::kFailed;
}

// ---- the import journal
//
// dat/Lumtar.journal tells what an import was doing: copying the new files
// into the staging folder ("staging"), moving the old files out and the new
// ones in ("forward"), putting the old ones back after a failure ("back"),
// or removing what is no longer needed ("done"). The moves are listed, in
// the order they are made, so that whoever finds the journal can go on from
// what is on disk: a move is done when its target exists.

struct ImportJournal {
  enum class State { kStaging, kForward, kBack, kDone };
  State state = State::kStaging;
  std::string staging, backup;  // folder names in dat
  bool oldStore = false;        // an old store file is moved out
  std::vector<std::string> oldDocs, newDocs;
};

constexpr const char* kJournalHeader = "lumtar import 1";
constexpr const char* kStateNames[] = {"staging", "forward", "back", "done"};

// Names are written one a line; a backslash, CR or LF in a name is escaped.
std::string Escaped(const std::string& name) {
  std::string out;
  for (char c : name) {
    if (c == '\\') out += "\\\\";
    else if (c == '\n') out += "\\n";
    else if (c == '\r') out += "\\r";
    else out += c;
  }
  return out;
}

std::string Unescaped(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      out += text[i];
      continue;
    }
    const char c = text[++i];
    out += c == 'n' ? '\n' : c == 'r' ? '\r' : c;
  }
  return out;
}

std::string JournalText(const ImportJournal& j) {
  std::string t = std::string(kJournalHeader) + "\n";
  t += std::string("state ") + kStateNames[static_cast<int>(j.state)] + "\n";
  t += "staging " + Escaped(j.staging) + "\n";
  t += "backup " + Escaped(j.backup) + "\n";
  t += std::string("oldstore ") + (j.oldStore ? "1" : "0") + "\n";
  for (const std::string& n : j.oldDocs) t += "old " + Escaped(n) + "\n";
  for (const std::string& n : j.newDocs) t += "new " + Escaped(n) + "\n";
  t += "end\n";
  return t;
}

// A plain folder name inside dat, as the journal names its folders.
bool PlainFolderName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

bool ParseJournal(std::string_view text, ImportJournal* j) {
  std::vector<std::string_view> lines;
  for (std::size_t p = 0; p < text.size();) {
    std::size_t e = text.find('\n', p);
    if (e == std::string_view::npos) return false;  // cut off
    lines.push_back(text.substr(p, e - p));
    p = e + 1;
  }
  if (lines.size() < 6 || lines.front() != kJournalHeader || lines.back() != "end") return false;
  bool state = false;
  for (std::size_t i = 1; i + 1 < lines.size(); ++i) {
    const std::string_view line = lines[i];
    const std::size_t space = line.find(' ');
    if (space == std::string_view::npos) return false;
    const std::string_view key = line.substr(0, space);
    const std::string value = Unescaped(line.substr(space + 1));
    if (key == "state") {
      auto it = std::find(std::begin(kStateNames), std::end(kStateNames), value);
      if (it == std::end(kStateNames)) return false;
      j->state = static_cast<ImportJournal::State>(it - std::begin(kStateNames));
      state = true;
    } else if (key == "staging") {
      j->staging = value;
    } else if (key == "backup") {
      j->backup = value;
    } else if (key == "oldstore") {
      j->oldStore = value == "1";
    } else if (key == "old" || key == "new") {
      if (value.empty() || value.find('/') != std::string::npos || value == "." || value == "..") return false;
      (key == "old" ? j->oldDocs : j->newDocs).push_back(value);
    } else {
      return false;
    }
  }
  return state && PlainFolderName(j->staging) && PlainFolderName(j->backup);
}

struct Move {
  fs::path from, to;
};

std::vector<Move> JournalMoves(const ImportJournal& j, const fs::path& dat, const fs::path& docs,
                               const std::string& storeName) {
  std::vector<Move> moves;
  const fs::path staging = dat / j.staging, backup = dat / j.backup;
  if (j.oldStore) moves.push_back({dat / storeName, backup / storeName});
  for (const std::string& n : j.oldDocs) moves.push_back({docs / n, backup / kCommentFolderName / n});
  moves.push_back({staging / storeName, dat / storeName});
  for (const std::string& n : j.newDocs) moves.push_back({staging / kCommentFolderName / n, docs / n});
  return moves;
}

// Makes the moves not yet made, in order. A move is made when its target
// exists: every target is a name that was free when the import began.
bool MovesForward(const std::vector<Move>& moves) {
  for (const Move& m : moves) {
    if (PathTaken(m.to) || !PathTaken(m.from)) continue;
    if (!RenameFile(m.from, m.to)) return false;
  }
  return true;
}

// Undoes the moves made, last first.
bool MovesBack(const std::vector<Move>& moves) {
  bool ok = true;
  for (auto it = moves.rbegin(); it != moves.rend(); ++it) {
    if (!PathTaken(it->to) || PathTaken(it->from)) continue;
    ok = RenameFile(it->to, it->from) && ok;
  }
  return ok;
}

// Removes the staging and backup folders of an import whose files are in
// place (or back in place). The journal says "done" first: a folder half
// removed under a journal that still says "forward" would look like moves
// not made yet. When the removal fails the journal stays, and the next
// operation tries again.
void FinishImport(const fs::path& dat, ImportJournal j) {
  const fs::path journalPath = dat / kImportJournalName;
  if (j.state != ImportJournal::State::kDone) {
    j.state = ImportJournal::State::kDone;
    if (!WriteWholeFileAtomic(journalPath, JournalText(j))) {
      // Without a journal nobody takes the folders for anything: they can
      // go, as far as they will.
      if (!DeleteFileIfExists(journalPath)) return;
      RemoveTree(dat / j.staging);
      RemoveTree(dat / j.backup);
      return;
    }
  }
  if (RemoveTree(dat / j.staging) && RemoveTree(dat / j.backup)) DeleteFileIfExists(journalPath);
}

}  // namespace

// ---- holding the store

// The store's lock for one operation. It finishes an import that another
// program left unfinished (its journal is there while nobody holds the
// lock), and checks, when asked, that the slots the caller knows are still
// the store's numbering.
class MDataBase::Hold {
 public:
  enum class Numbering { kAny, kKnown };
  Hold(const MDataBase& db, LockMode mode, Numbering numbering) {
    db.fault_ = StoreFault::kNone;
    db.faultDetail_.clear();
    ok_ = Take(db, mode, numbering);
  }
  bool ok() const { return ok_; }
  FolderLock& lock() { return lock_; }

 private:
  bool Take(const MDataBase& db, LockMode mode, Numbering numbering) {
    if (db.storePath_.empty() || !lock_.Acquire(db.DatFolder(), mode)) {
      db.fault_ = lock_.Busy() ? StoreFault::kBusy : StoreFault::kFailed;
      return false;
    }
    if (PathTaken(db.DatFolder() / kImportJournalName)) {
      if (!lock_.Change(LockMode::Exclusive)) {
        db.fault_ = lock_.Busy() ? StoreFault::kBusy : StoreFault::kFailed;
        return false;
      }
      const StoreFault recovered = db.RecoverImport();
      if (recovered != StoreFault::kNone || !lock_.Change(mode)) {
        db.fault_ = recovered != StoreFault::kNone ? recovered : StoreFault::kFailed;
        return false;
      }
    }
    if (numbering == Numbering::kKnown) {
      std::string now;
      if (!db.ReadStamp(&now)) {
        db.fault_ = StoreFault::kFailed;
        return false;
      }
      if (!db.StampIs(db.stamp_)) {
        db.fault_ = StoreFault::kChanged;
        return false;
      }
    }
    return true;
  }

  FolderLock lock_;
  bool ok_ = false;
};


const char* StoreFaultMessage(StoreFault fault) {
  switch (fault) {
    case StoreFault::kNone: return "";
    case StoreFault::kChanged: return kStoreChangedMessage;
    case StoreFault::kBusy: return kStoreBusyMessage;
    case StoreFault::kFailed: return kStoreFailedMessage;
    case StoreFault::kDamaged: return kStoreDamagedMessage;
  }
  return "";
}

CaseKey KeyOf(const CaseRecord& delivered) {
  return {delivered.slot, BytesHash(std::string_view(reinterpret_cast<const char*>(&delivered), sizeof delivered))};
}

std::string MDataBase::FaultText() const {
  std::string text = StoreFaultMessage(fault_);
  if (!faultDetail_.empty()) text += (text.empty() ? "" : "\r\n") + faultDetail_;
  return text;
}

std::string SkippedDocumentsText(const std::vector<std::string>& names) {
  std::string text = "有" + std::to_string(names.size()) + "个评语文件不是普通文件或大于64MB，没有导入：";
  for (std::size_t i = 0; i < names.size() && i < 10; ++i) text += (i ? "，" : "") + names[i];
  if (names.size() > 10) text += "……";
  return text;
}

// ---- opening

MDataBase::~MDataBase() { EndScan(); }

fs::path MDataBase::DatFolder() const { return fs::path(folder_) / "dat"; }

bool MDataBase::Open(const std::string& programFolder, int storeIndex, OpenMode mode) {
  EndScan();
  folder_.clear();
  storePath_.clear();
  stamp_.clear();
  fault_ = StoreFault::kNone;
  faultDetail_.clear();
  if (programFolder.empty() || storeIndex < 0 || storeIndex >= static_cast<int>(std::size(kStoreNames))) {
    fault_ = StoreFault::kFailed;
    return false;
  }
  folder_ = WithSlash(programFolder);
  storeIndex_ = storeIndex;
  storePath_ = folder_ + "dat/" + StoreFileName();
  if (mode == OpenMode::kCreate) {
    CreateDirectories(DatFolder());
    CreateDirectories(CommentFolder());
  }
  if (!DirectoryExists(DatFolder())) {
    // No store: nothing to hold, unless one was to be made.
    if (mode == OpenMode::kExisting) return true;
    fault_ = StoreFault::kFailed;
    ExplainWriteFailure({fs::path(folder_)});
    return false;
  }
  {
    Hold hold(*this, LockMode::Exclusive, Hold::Numbering::kAny);
    if (hold.ok()) {
      // Only now, with an interrupted import finished: a store file made
      // while the import's store was moved out would stand in its place.
      // Exclusive create: an existing store is never truncated.
      if (mode == OpenMode::kCreate && !PathTaken(storePath_)) {
        RecordFile created;
        created.Open(storePath_, RecordFile::Mode::CreateNew);
      }
      RemoveLeftovers();
      // A store without a stamp gets one, so that a stamp lost later (or
      // never read) cannot pass for the numbering the caller knows.
      std::string stamp;
      if (ReadStamp(&stamp) && stamp.empty()) NewStamp();
      TakeStamp();
      return true;
    }
    // Cases waiting for a person: nothing may be made over them.
    if (fault_ == StoreFault::kDamaged) return false;
  }
  // Another program holds the store: leftovers wait for another start.
  Hold shared(*this, LockMode::Shared, Hold::Numbering::kAny);
  TakeStamp();
  return shared.ok() || fault_ == StoreFault::kBusy;
}

std::string MDataBase::StoreFileName() const { return std::string(kStoreNames[storeIndex_]) + ".dat"; }

fs::path MDataBase::CommentFolder() const {
  return folder_.empty() ? fs::path() : fs::path(folder_ + kCommentFolderName + "/");
}

void MDataBase::Adopt() {
  Hold hold(*this, LockMode::Shared, Hold::Numbering::kAny);
  TakeStamp();
}

void MDataBase::TakeStamp() {
  if (!ReadStamp(&stamp_)) stamp_.clear();
}

bool MDataBase::ReadStamp(std::string* stamp) const {
  std::string text;
  switch (ReadFile(DatFolder() / kStoreStampName, &text, 256)) {
    case ReadResult::Read:
      // The program writes a stamp whole; an empty one was cut or made by
      // hand and is no stamp.
      if (text.empty()) return false;
      *stamp = std::move(text);
      return true;
    case ReadResult::Missing: stamp->clear(); return true;
    default: return false;
  }
}

bool MDataBase::StampIs(const std::string& known) const {
  std::string now;
  return ReadStamp(&now) && now == known;
}

bool MDataBase::NewStamp() const { return WriteWholeFileAtomic(DatFolder() / kStoreStampName, RandomHex(16) + "\n"); }

// Temporary files of the store's own replacements that a crash left (a
// replacement of a document or of the journal). Only run while the store is
// held alone, when nobody can be writing them.
void MDataBase::RemoveLeftovers() const {
  for (const char* pattern : {".Lumtar.gen.??????", ".Lumtar.journal.??????"})
    for (const std::string& name : ListNames(DatFolder(), pattern)) DeleteFileIfExists(DatFolder() / name);
  for (const std::string& name : ListNames(CommentFolder(), std::string(".*") + kCommentExtension + ".??????"))
    DeleteFileIfExists(CommentFolder() / name);
}

StoreFault MDataBase::RecoverImport() const {
  const fs::path dat = DatFolder();
  const fs::path journalPath = dat / kImportJournalName;
  std::string text;
  ImportJournal j;
  if (ReadFile(journalPath, &text, 64u << 20) != ReadResult::Read || !ParseJournal(text, &j))
    return RecoverWithoutJournal();
  const std::vector<Move> moves = JournalMoves(j, dat, CommentFolder(), StoreFileName());
  if (j.state == ImportJournal::State::kForward || j.state == ImportJournal::State::kBack) {
    // Slots may be renumbered either way: whoever knew the old numbering
    // must read again.
    NewStamp();
    if (j.state == ImportJournal::State::kForward && !MovesForward(moves)) {
      j.state = ImportJournal::State::kBack;
      WriteWholeFileAtomic(journalPath, JournalText(j));
    }
    if (j.state == ImportJournal::State::kBack && !MovesBack(moves)) return StoreFault::kFailed;  // tried again next time
    SyncFile(dat);
    SyncFile(CommentFolder());
  }
  FinishImport(dat, j);
  return StoreFault::kNone;
}

// A journal that is not one this program wrote whole (damaged on disk,
// made by hand) tells nothing of the moves. What the import's folders hold
// still tells how far it came: the moves go in a fixed order (the old store
// and documents out, then the new store in, then the new documents), so
//  - while the new store waits in the staging folder, nothing new is in
//    place: the old cases are whole, in place and in the backup folder;
//  - once it is in place (and something was moved at all), the new cases
//    are whole, in place and in the staging folder.
// The whole side is put in place and the folders removed as after any
// import. Anything else (several imports' folders, a name taken where a
// file must go back, no store on either side) is left exactly as it is for
// a person, and every operation is refused until then: the cases moved
// aside must not be hidden by an empty store made in their place.
StoreFault MDataBase::RecoverWithoutJournal() const {
  const fs::path dat = DatFolder();
  const fs::path docs = CommentFolder();
  const fs::path journalPath = dat / kImportJournalName;
  const std::vector<std::string> news = ListNames(dat, "import-new-*");
  const std::vector<std::string> olds = ListNames(dat, "import-old-*");
  const fs::path bad = dat / (std::string(kImportJournalName) + ".bad-" + RandomHex(8));
  if (news.empty() && olds.empty()) {
    // Nothing was moved aside. The journal is kept for a person to look at,
    // out of the way.
    return RenameFile(journalPath, bad) ? StoreFault::kNone : StoreFault::kFailed;
  }
  auto refuse = [&] {
    std::string where;
    auto list = [](const std::vector<std::string>& names, const fs::path& in) {
      std::string text;
      for (const std::string& n : names) text += (text.empty() ? "" : "、") + Shown(in / n);
      return text;
    };
    if (!olds.empty()) where += list(olds, dat) + "（导入前的命例）";
    if (!news.empty()) where += (where.empty() ? "" : "和") + list(news, dat) + "（导入的命例）";
    faultDetail_ = "上次导入时移开的文件在 " + where + "。请选定要保留的一份：把其中的 " + StoreFileName() +
                   " 放到 " + Shown(dat) + " 中，其中 " + kCommentFolderName + " 里的评语文件放到 " +
                   Shown(docs) + " 中（替换同名文件），然后删除 " + Shown(journalPath) +
                   "；另一个文件夹确认不再需要后再删除。";
    return StoreFault::kDamaged;
  };
  if (news.size() > 1 || olds.size() > 1) return refuse();

  const std::string storeName = StoreFileName();
  const std::string rtf = std::string("*") + kCommentExtension;
  ImportJournal j;
  j.state = ImportJournal::State::kDone;
  j.staging = news.empty() ? "import-new-" + RandomHex(8) : news.front();
  j.backup = olds.empty() ? "import-old-" + RandomHex(8) : olds.front();
  const fs::path staging = dat / j.staging, backup = dat / j.backup;
  const std::vector<std::string> newDocs = ListNames(staging / kCommentFolderName, rtf);
  const std::vector<std::string> oldDocs = ListNames(backup / kCommentFolderName, rtf);
  const bool newStoreAside = PathTaken(staging / storeName);
  const bool oldStoreAside = PathTaken(backup / storeName);
  std::vector<Move> moves;
  if (newStoreAside) {
    if (oldStoreAside) moves.push_back({backup / storeName, dat / storeName});
    for (const std::string& n : oldDocs) moves.push_back({backup / kCommentFolderName / n, docs / n});
  } else if (!oldStoreAside && oldDocs.empty() && newDocs.empty()) {
    // Nothing aside: what is in place is all there is.
  } else if (PathTaken(dat / storeName)) {
    for (const std::string& n : newDocs) moves.push_back({staging / kCommentFolderName / n, docs / n});
  } else {
    return refuse();
  }
  for (const Move& m : moves)
    if (PathTaken(m.to)) return refuse();

  // Slots may be renumbered: whoever knew the old numbering must read again.
  if (!NewStamp()) return StoreFault::kFailed;
  for (const Move& m : moves)
    if (!RenameFile(m.from, m.to)) return StoreFault::kFailed;  // what is left is found next time
  SyncFile(dat);
  SyncFile(docs);
  // The damaged journal is kept for a person; a journal that says "done"
  // takes its place, so that removing the folders, if cut short, is
  // finished as after any import.
  if (CopyRegularFile(journalPath, bad, kMaxDocumentBytes) == CopyResult::NotAFile) RenameFile(journalPath, bad);
  if (!WriteWholeFileAtomic(journalPath, JournalText(j))) return StoreFault::kFailed;
  FinishImport(dat, j);
  return StoreFault::kNone;
}

// ---- records

int MDataBase::RecordCount() const {
  if (storePath_.empty()) return 0;
  // Through the store's hold, so that an import cut short is finished
  // first, and cases waiting for a person are not counted as none.
  Hold hold(*this, LockMode::Shared, Hold::Numbering::kAny);
  if (fault_ == StoreFault::kDamaged) return 0;
  std::error_code ec;
  const auto size = fs::file_size(storePath_, ec);
  return ec ? 0 : WholeRecords(static_cast<int64_t>(size));
}

bool MDataBase::ReadRecord(int slot, CaseRecord* out) const {
  if (slot < 0) return false;
  Hold hold(*this, LockMode::Shared, Hold::Numbering::kKnown);
  RecordFile f;
  if (!hold.ok() || !f.Open(storePath_, RecordFile::Mode::Read) || slot >= WholeRecords(f.Size())) return false;
  CaseRecord r;
  if (!ReadSlot(f, slot, &r)) return false;
  DeliverRecord(slot, r, out);
  return r.isDeleted == 0;
}

bool MDataBase::WriteRecord(const CaseKey& key, const CaseRecord& record) {
  if (key.slot < 0) return false;
  Hold hold(*this, LockMode::Exclusive, Hold::Numbering::kKnown);
  RecordFile f;
  if (!hold.ok() || !f.Open(storePath_, RecordFile::Mode::ReadWrite)) return false;
  std::vector<std::pair<int, CaseRecord>> before;
  switch (ChangeRecords(f, {key}, false, [&record](CaseRecord* r) { *r = record; }, &before)) {
    case Changed::kDone: return true;
    case Changed::kOther: fault_ = StoreFault::kChanged; return false;
    case Changed::kFailed: break;
  }
  fault_ = StoreFault::kFailed;
  return false;
}

int MDataBase::AppendHeld(CaseRecord* record) const {
  RecordFile f;
  if (!f.Open(storePath_, RecordFile::Mode::WriteCreate)) return -1;
  int64_t size = f.Size();
  if (size < 0 || size / kRecordBytes >= INT_MAX) return -1;
  CaseRecord r = *record;
  r.slot = static_cast<int32_t>(size / kRecordBytes);
  r.isDeleted = 0;
  // Written at the end of the last whole record: a partial record left by an
  // interrupted write is overwritten, the records before it are not touched.
  if (!WriteSlot(f, r.slot, r) || !f.Sync()) {
    if (f.Truncate(size)) f.Sync();
    return -1;
  }
  *record = r;
  return r.slot;
}

int MDataBase::AppendRecord(CaseRecord* record) {
  Hold hold(*this, LockMode::Exclusive, Hold::Numbering::kKnown);
  return hold.ok() ? AppendHeld(record) : -1;
}

bool MDataBase::MarkDeleted(const CaseKey& key) {
  if (key.slot < 0) return false;
  Hold hold(*this, LockMode::Exclusive, Hold::Numbering::kKnown);
  RecordFile f;
  if (!hold.ok() || !f.Open(storePath_, RecordFile::Mode::ReadWrite)) return false;
  std::vector<std::pair<int, CaseRecord>> before;
  switch (ChangeRecords(f, {key}, false, [](CaseRecord* r) { r->isDeleted = 1; }, &before)) {
    case Changed::kDone: return true;
    case Changed::kOther: fault_ = StoreFault::kChanged; return false;
    case Changed::kFailed: break;
  }
  fault_ = StoreFault::kFailed;
  return false;
}

bool MDataBase::BeginScan() {
  EndScan();
  Hold hold(*this, LockMode::Shared, Hold::Numbering::kKnown);
  if (!hold.ok() || !scanFile_.Open(storePath_, RecordFile::Mode::Read)) return false;
  scanCount_ = WholeRecords(scanFile_.Size());
  scanLock_ = std::move(hold.lock());
  return true;
}

bool MDataBase::ReadScanned(int slot, CaseRecord* out) {
  if (!scanFile_.Ok() || slot < 0 || slot >= scanCount_) return false;
  CaseRecord r;
  if (!ReadSlot(scanFile_, slot, &r)) return false;
  DeliverRecord(slot, r, out);
  return r.isDeleted == 0;
}

void MDataBase::EndScan() {
  scanFile_.Close();
  scanLock_.Release();
  scanCount_ = 0;
}

bool MDataBase::SearchRecords(const SearchCriteria& criteria, std::vector<int>* slots) const {
  slots->clear();
  Hold hold(*this, LockMode::Shared, Hold::Numbering::kKnown);
  RecordFile f;
  if (!hold.ok() || !f.Open(storePath_, RecordFile::Mode::Read)) return false;
  return ForEachRecord(f, WholeRecords(f.Size()), [&](int slot, const CaseRecord& r) {
    if (r.isDeleted == 0 && MatchesCriteria(criteria, r)) slots->push_back(slot);
    return true;
  });
}

// ---- whole cases

DocumentReader::Result DocumentReader::Read(std::size_t bytes) {
  if (!file_.IsOpen()) return Result::kFailed;
  const std::size_t from = bytes_.size();
  bool done = false;
  switch (file_.Step(bytes, &bytes_, &done)) {
    case ReadResult::Read: break;
    case ReadResult::TooLarge: return Result::kTooLarge;
    default: return Result::kFailed;
  }
  digest_ = BytesHash(std::string_view(bytes_).substr(from), digest_);
  return done ? Result::kDone : Result::kMore;
}

bool MDataBase::ReadCase(int slot, ViewedCase* viewed, std::string* document) const {
  DocumentReader reader;
  if (!ReadCase(slot, viewed, &reader)) return false;
  std::string bytes;
  if (viewed->document == ViewedCase::Document::kRead) {
    DocumentReader::Result r;
    while ((r = reader.Read(SIZE_MAX)) == DocumentReader::Result::kMore) {
    }
    if (r == DocumentReader::Result::kDone) {
      viewed->documentHash = reader.Digest();
      bytes = reader.TakeBytes();
    } else {
      viewed->document = r == DocumentReader::Result::kTooLarge ? ViewedCase::Document::kTooLarge
                                                                  : ViewedCase::Document::kUnreadable;
    }
  }
  *document = std::move(bytes);
  return true;
}

bool MDataBase::ReadCase(int slot, ViewedCase* viewed, DocumentReader* document) const {
  if (slot < 0) return false;
  Hold hold(*this, LockMode::Shared, Hold::Numbering::kKnown);
  RecordFile f;
  if (!hold.ok() || !f.Open(storePath_, RecordFile::Mode::Read) || slot >= WholeRecords(f.Size())) return false;
  CaseRecord r;
  if (!ReadSlot(f, slot, &r) || r.isDeleted != 0) return false;
  ViewedCase v;
  v.slot = slot;
  v.stamp = stamp_;
  DeliverRecord(slot, r, &v.record);
  DocumentReader reader;
  reader.digest_ = kEmptyHash;
  const fs::path path = CommentPath(v.record);
  switch (path.empty() ? ReadResult::Missing : reader.file_.Open(path, kMaxDocumentBytes)) {
    case ReadResult::Read:
      v.document = ViewedCase::Document::kRead;
      reader.bytes_.reserve(static_cast<std::size_t>(reader.file_.Size()));
      break;
    case ReadResult::Missing: v.document = ViewedCase::Document::kNone; break;
    case ReadResult::TooLarge: v.document = ViewedCase::Document::kTooLarge; break;
    default: v.document = ViewedCase::Document::kUnreadable; break;
  }
  *viewed = v;
  *document = std::move(reader);
  return true;
}

bool MDataBase::SaveCase(ViewedCase* viewed, CaseRecord* record, const std::string& document) {
  const int slot = viewed->slot;
  if (slot < 0) return false;
  // The numbering the case was read in, whatever the caller adopted since.
  Hold hold(*this, LockMode::Exclusive, Hold::Numbering::kAny);
  RecordFile f;
  if (!hold.ok() || !f.Open(storePath_, RecordFile::Mode::ReadWrite)) return false;
  // The case must still be the one read: its record and its document.
  CaseRecord stored;
  if (!StampIs(viewed->stamp) || slot >= WholeRecords(f.Size()) || !ReadSlot(f, slot, &stored)) {
    fault_ = StoreFault::kChanged;
    return false;
  }
  const CaseRecord storedBytes = stored;
  DeliverRecord(slot, storedBytes, &stored);
  const fs::path oldDocument = CommentPath(viewed->record);
  bool same = SameBytes(stored, viewed->record);
  if (same && viewed->document == ViewedCase::Document::kRead) {
    std::string now;
    same = ReadFile(oldDocument, &now, kMaxDocumentBytes) == ReadResult::Read &&
           DocumentHash(now) == viewed->documentHash;
  } else if (same && viewed->document == ViewedCase::Document::kNone) {
    same = oldDocument.empty() || !PathTaken(oldDocument);
  }
  if (!same) {
    fault_ = StoreFault::kChanged;
    return false;
  }

  // A case without a usable document of its own gets one now: an
  // unreadable document is never written over, nor one that another case
  // names as well (a store written elsewhere), whose comment would change
  // with this one.
  CaseRecord next = *record;
  std::copy(std::begin(viewed->record.commentName), std::end(viewed->record.commentName), next.commentName);
  const bool unreadable = viewed->document == ViewedCase::Document::kUnreadable ||
                          viewed->document == ViewedCase::Document::kTooLarge;
  if (CommentPath(next).empty() || unreadable || LiveUsersHeld(next) > 1) {
    if (!ChooseCommentNameHeld(&next)) {
      fault_ = StoreFault::kFailed;
      return false;
    }
  }
  PendingFile doc;
  const bool written = doc.Open(CommentPath(next)) && doc.Write(document) && doc.Finish() &&
                       WriteSlot(f, slot, next) && f.Sync();
  if (!written || !doc.Commit()) {
    // The old record back (it may have been written already).
    if (WriteSlot(f, slot, storedBytes)) f.Sync();
    fault_ = StoreFault::kFailed;
    return false;
  }
  *record = next;
  viewed->record = next;
  viewed->record.slot = slot;
  viewed->document = ViewedCase::Document::kRead;
  viewed->documentHash = DocumentHash(document);
  return true;
}

bool MDataBase::AddCase(CaseRecord* record, const std::string& document) {
  Hold hold(*this, LockMode::Exclusive, Hold::Numbering::kKnown);
  if (!hold.ok()) return false;
  CaseRecord r = *record;
  // The document is written before the record: its file reserves the name,
  // and a record is only ever added with its document in place.
  fs::path path;
  if (ChooseCommentNameHeld(&r)) path = CommentPath(r);
  if (path.empty() || !WriteWholeFileAtomic(path, document)) {
    fault_ = StoreFault::kFailed;
    return false;
  }
  if (AppendHeld(&r) < 0) {
    DeleteFileIfExists(path);
    fault_ = StoreFault::kFailed;
    return false;
  }
  *record = r;
  return true;
}

bool MDataBase::DeleteCases(const std::vector<CaseKey>& cases, std::vector<int>* deleted) {
  return DeleteHeld(&cases, nullptr, deleted);
}

bool MDataBase::DeleteCases(const std::vector<int>& slots, std::vector<int>* deleted) {
  return DeleteHeld(nullptr, &slots, deleted);
}

bool MDataBase::DeleteHeld(const std::vector<CaseKey>* cases, const std::vector<int>* slots,
                           std::vector<int>* deleted) {
  if (deleted) deleted->clear();
  Hold hold(*this, LockMode::Exclusive, Hold::Numbering::kKnown);
  RecordFile f;
  if (!hold.ok() || !f.Open(storePath_, RecordFile::Mode::ReadWrite)) return false;
  std::vector<CaseKey> keys;
  if (slots) {
    // Whatever stands in the slots now.
    const int count = WholeRecords(f.Size());
    for (int slot : *slots) {
      CaseRecord stored, delivered;
      if (slot < 0 || slot >= count) continue;
      if (!ReadSlot(f, slot, &stored)) {
        fault_ = StoreFault::kFailed;
        return false;
      }
      DeliverRecord(slot, stored, &delivered);
      keys.push_back(KeyOf(delivered));
    }
    cases = &keys;
  }
  std::vector<std::pair<int, CaseRecord>> before;
  // The records first: when the store cannot be written the cases stay
  // whole, documents included.
  switch (ChangeRecords(f, *cases, true, [](CaseRecord* r) { r->isDeleted = 1; }, &before)) {
    case Changed::kDone: break;
    case Changed::kOther: fault_ = StoreFault::kChanged; return false;
    case Changed::kFailed: fault_ = StoreFault::kFailed; return false;
  }
  std::vector<fs::path> documents;
  for (const auto& [slot, record] : before) {
    CaseRecord r;
    DeliverRecord(slot, record, &r);
    documents.push_back(CommentPath(r));
    if (deleted) deleted->push_back(slot);
  }
  DeleteCommentsHeld(documents);
  return true;
}

bool MDataBase::SetClassName(const std::vector<CaseKey>& cases, const std::string& classNameUtf8,
                             std::vector<CaseKey>* renamed) {
  if (renamed) renamed->clear();
  Hold hold(*this, LockMode::Exclusive, Hold::Numbering::kKnown);
  RecordFile f;
  if (!hold.ok() || !f.Open(storePath_, RecordFile::Mode::ReadWrite)) return false;
  std::vector<std::pair<int, CaseRecord>> before;
  auto rename = [&classNameUtf8](CaseRecord* r) { r->SetClassName(classNameUtf8); };
  switch (ChangeRecords(f, cases, true, rename, &before)) {
    case Changed::kDone: break;
    case Changed::kOther: fault_ = StoreFault::kChanged; return false;
    case Changed::kFailed: fault_ = StoreFault::kFailed; return false;
  }
  if (renamed) {
    for (const CaseKey& key : cases) {
      CaseKey now = key;
      for (const auto& [slot, record] : before) {
        if (slot != key.slot) continue;
        CaseRecord r;
        DeliverRecord(slot, record, &r);
        rename(&r);
        now = KeyOf(r);
      }
      renamed->push_back(now);
    }
  }
  return true;
}

// ---- the store as a whole

bool MDataBase::ExportStore(const std::string& targetFolder) const {
  if (storePath_.empty() || targetFolder.empty()) return false;
  Hold hold(*this, LockMode::Shared, Hold::Numbering::kAny);
  if (!hold.ok()) return false;
  const fs::path target(WithSlash(targetFolder));
  const fs::path docs = target / kCommentFolderName;
  if (!CreateDirectories(docs)) return false;
  bool ok = CopyFileOverwrite(storePath_, target / StoreFileName());
  for (const std::string& name : ListFiles(CommentFolder(), std::string("*") + kCommentExtension))
    ok = CopyFileOverwrite(CommentFolder() / name, docs / name) && ok;
  return ok;
}

bool MDataBase::ImportStore(const std::string& sourceFolder, const std::string& storeFileName,
                            std::vector<std::string>* skipped) {
  if (skipped) skipped->clear();
  fault_ = StoreFault::kNone;
  faultDetail_.clear();
  if (storePath_.empty() || sourceFolder.empty()) return false;
  const fs::path source(WithSlash(sourceFolder));
  // The set's own documents only: a comment folder that is a link would
  // bring in whatever folder it points to.
  std::error_code ec;
  if (fs::symlink_status(source / kCommentFolderName, ec).type() == fs::file_type::symlink) {
    fault_ = StoreFault::kFailed;
    faultDetail_ = "评语文件夹 " + Shown(source / kCommentFolderName) + " 是指向别处的链接，不是导出的文件夹，没有导入。";
    return false;
  }
  const std::string storeName = StoreFileName();
  fs::path sourceStore = source / (storeFileName.empty() ? storeName : storeFileName);
  if (storeFileName.empty() && !FileExists(sourceStore)) {
    std::vector<std::string> found = ListFiles(source, storeName);  // any letter case
    if (found.empty()) return false;
    sourceStore = source / found.front();
  }
  if (!FileExists(sourceStore)) return false;
  const std::string rtf = std::string("*") + kCommentExtension;
  const fs::path dat = DatFolder();
  const fs::path docs = CommentFolder();
  if (!CreateDirectories(docs)) {
    fault_ = StoreFault::kFailed;
    ExplainWriteFailure({fs::path(folder_)});
    return false;
  }
  // Held alone from the first file to the last: nobody sees half an import,
  // and a journal found while the lock is free is one whose import died.
  Hold hold(*this, LockMode::Exclusive, Hold::Numbering::kAny);
  if (!hold.ok()) return false;

  const fs::path journalPath = dat / kImportJournalName;
  ImportJournal j;
  j.staging = "import-new-" + RandomHex(8);
  j.backup = "import-old-" + RandomHex(8);
  const fs::path staging = dat / j.staging, backup = dat / j.backup;
  auto abandon = [&] {
    RemoveTree(staging);
    RemoveTree(backup);
    DeleteFileIfExists(journalPath);
    fault_ = StoreFault::kFailed;
    ExplainWriteFailure({dat, docs});
    return false;
  };

  // 1. Copy the new store and documents beside the program's files. Nothing
  //    of the program's is touched yet.
  if (!WriteWholeFileAtomic(journalPath, JournalText(j))) return abandon();
  if (!CreateDirectories(staging / kCommentFolderName) || !CreateDirectories(backup / kCommentFolderName))
    return abandon();
  // The named store file is taken wherever it points; the new store keeps
  // the old one's permissions.
  if (!CopyFileOverwrite(sourceStore, staging / storeName, FileModeOr(storePath_))) return abandon();
  if (DirectoryExists(source / kCommentFolderName)) {
    // Only the set's own documents: no link to a file elsewhere, nothing
    // larger than a document can be.
    for (const std::string& name : ListNames(source / kCommentFolderName, rtf)) {
      switch (CopyRegularFile(source / kCommentFolderName / name, staging / kCommentFolderName / name,
                              kMaxDocumentBytes)) {
        case CopyResult::Copied: j.newDocs.push_back(name); break;
        case CopyResult::NotAFile:
        case CopyResult::TooLarge:
          if (skipped) skipped->push_back(name);
          break;
        case CopyResult::Failed: return abandon();
      }
    }
  }

  // 2. Move the program's store and documents into the backup folder, then
  //    the new ones into place, as the journal lists them.
  j.oldStore = PathTaken(storePath_);
  j.oldDocs = ListFiles(docs, rtf);
  // Every new document's name must be free once the old ones are out:
  // something else there (a folder of that name) would stop the import
  // halfway.
  const std::set<std::string> leaving(j.oldDocs.begin(), j.oldDocs.end());
  for (const std::string& name : j.newDocs)
    if (leaving.count(name) == 0 && PathTaken(docs / name)) return abandon();
  j.state = ImportJournal::State::kForward;
  if (!WriteWholeFileAtomic(journalPath, JournalText(j)) || !NewStamp()) return abandon();
  const std::vector<Move> moves = JournalMoves(j, dat, docs, storeName);
  bool ok = MovesForward(moves);
  if (!ok) {
    j.state = ImportJournal::State::kBack;
    WriteWholeFileAtomic(journalPath, JournalText(j));
    if (!MovesBack(moves)) {
      // The journal stays: the next operation tries again.
      fault_ = StoreFault::kFailed;
      return false;
    }
  }
  SyncFile(dat);
  SyncFile(docs);

  // 3. The backup goes only when it is no longer needed.
  FinishImport(dat, j);
  TakeStamp();
  if (!ok) {
    fault_ = StoreFault::kFailed;
    ExplainWriteFailure({dat, docs});
  }
  return ok;
}

bool MDataBase::ClearStore() {
  if (storePath_.empty()) return false;
  Hold hold(*this, LockMode::Exclusive, Hold::Numbering::kAny);
  if (!hold.ok() || !NewStamp()) return false;
  bool ok = DeleteFileIfExists(storePath_);
  for (const std::string& name : ListFiles(CommentFolder(), std::string("*") + kCommentExtension))
    ok = DeleteFileIfExists(CommentFolder() / name) && ok;
  TakeStamp();
  return ok;
}

bool MDataBase::CompactStore() {
  // Held alone for the whole rewrite, so that no append can slip in and be
  // lost with the old file.
  Hold hold(*this, LockMode::Exclusive, Hold::Numbering::kAny);
  RecordFile in;
  if (!hold.ok() || !in.Open(storePath_, RecordFile::Mode::Read)) return false;
  const fs::path dat = DatFolder();
  const fs::path temp = dat / kCompactTempName;
  // Whatever has the temporary file's name goes first (a link is removed,
  // not followed), and the file is made anew: nothing planted there is
  // written through.
  RecordFile out;
  if (!DeleteFileIfExists(temp) || !out.Open(temp, RecordFile::Mode::CreateNew, FileModeOr(storePath_))) return false;
  int kept = 0;
  std::vector<CaseRecord> chunk;
  chunk.reserve(kChunkRecords);
  auto flush = [&] {
    const bool written = chunk.empty() ||
                         out.WriteAt(OffsetOf(kept - static_cast<int>(chunk.size())), chunk.data(),
                                     chunk.size() * sizeof(CaseRecord));
    chunk.clear();
    return written;
  };
  bool ok = ForEachRecord(in, WholeRecords(in.Size()), [&](int, const CaseRecord& r) {
    if (r.isDeleted == 1) return true;
    chunk.push_back(r);
    chunk.back().slot = kept++;
    return chunk.size() < static_cast<std::size_t>(kChunkRecords) || flush();
  });
  ok = ok && flush() && out.Sync();
  ok = out.Close() && ok;
  // The store is replaced in one step, and only by a complete, flushed file;
  // the new numbering's stamp is written first, so that nobody takes the
  // new slots for the old ones.
  if (!ok || !NewStamp() || !RenameFile(temp, storePath_)) {
    DeleteFileIfExists(temp);
    fault_ = StoreFault::kFailed;
    return false;
  }
  SyncFile(dat);
  TakeStamp();
  return true;
}

void MDataBase::ExplainWriteFailure(const std::vector<fs::path>& folders) const {
  for (const fs::path& folder : folders) {
    switch (FolderWriteError(folder)) {
      case 0: continue;
      case EACCES:
      case EPERM: faultDetail_ = "文件夹 " + Shown(folder) + " 不允许写入：权限被拒绝。"; return;
      case EROFS: faultDetail_ = "文件夹 " + Shown(folder) + " 在只读的磁盘上，不能写入。"; return;
      default: continue;
    }
  }
}

// ---- comment documents

fs::path MDataBase::CommentPath(const CaseRecord& record) const {
  const std::string name = record.CommentNameUtf8();
  if (folder_.empty() || !IsSafeCommentName(name)) return {};
  return CommentFolder() / (name + kCommentExtension);
}

bool MDataBase::ChooseCommentName(CaseRecord* record) const {
  Hold hold(*this, LockMode::Shared, Hold::Numbering::kAny);
  return hold.ok() && ChooseCommentNameHeld(record);
}

bool MDataBase::ChooseCommentNameHeld(CaseRecord* record) const {
  if (folder_.empty()) return false;
  const std::string base = CommentBaseName(*record);
  if (base.empty()) return false;
  // Every candidate starts with the base: the names of live cases and of
  // documents present that do so, letter case aside. The exact file test
  // below also catches anything else of that name in the folder.
  const std::string prefix = FoldedName(base);
  std::set<std::string, std::less<>> used;
  auto note = [&](std::string folded) {
    if (folded.starts_with(prefix)) used.insert(std::move(folded));
  };
  if (!ForEachLiveCommentName(storePath_, note)) return false;
  const fs::path docs = CommentFolder();
  const std::string ext = kCommentExtension;
  for (const std::string& file : ListFiles(docs, "*" + ext)) note(FoldedDocumentName(file));
  std::string chosen = lumtar::ChooseCommentName(*record, [&](const std::string& gbk) {
    return used.count(FoldedName(gbk)) > 0 || PathTaken(docs / (GbkToUtf8(gbk) + ext));
  });
  if (chosen.empty()) return false;
  std::memset(record->commentName, 0, sizeof record->commentName);
  std::memcpy(record->commentName, chosen.data(), chosen.size());
  return true;
}

int MDataBase::LiveUsersHeld(const CaseRecord& record) const {
  if (record.commentName[0] == '\0') return 0;
  const std::string name = FoldedCommentName(record);
  int users = 0;
  ForEachLiveCommentName(storePath_, [&](const std::string& folded) { users += folded == name; });
  return users;
}

bool MDataBase::CommentShared(const CaseRecord& record) const {
  Hold hold(*this, LockMode::Shared, Hold::Numbering::kAny);
  return hold.ok() && LiveUsersHeld(record) > 1;
}

void MDataBase::DeleteComments(const std::vector<fs::path>& documents) const {
  Hold hold(*this, LockMode::Exclusive, Hold::Numbering::kAny);
  if (hold.ok()) DeleteCommentsHeld(documents);
}

void MDataBase::DeleteCommentsHeld(const std::vector<fs::path>& documents) const {
  std::set<std::string, std::less<>> wanted, used;
  for (const fs::path& doc : documents)
    if (!doc.empty()) wanted.insert(FoldedDocumentName(doc));
  if (wanted.empty()) return;
  // When the store cannot be read, no document is known to be free.
  if (!ForEachLiveCommentName(storePath_, [&](std::string folded) {
        if (wanted.count(folded) > 0) used.insert(std::move(folded));
      }))
    return;
  for (const fs::path& doc : documents)
    if (!doc.empty() && used.count(FoldedDocumentName(doc)) == 0) DeleteFileIfExists(doc);
}

}  // namespace lumtar
