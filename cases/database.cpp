#include "database.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <iterator>
#include <system_error>
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

// An open descriptor of the store holding a lock; closed when it goes out of
// scope. Readers share the file, writers hold it alone; a lock held
// elsewhere makes the open fail at once.
class StoreFile {
 public:
  StoreFile(const std::string& path, int flags, int lock) {
    if (path.empty()) return;
    fd_ = ::open(path.c_str(), flags | O_CLOEXEC, 0644);
    if (fd_ >= 0 && ::flock(fd_, lock | LOCK_NB) != 0) Close();
  }
  ~StoreFile() { Close(); }
  StoreFile(const StoreFile&) = delete;
  StoreFile& operator=(const StoreFile&) = delete;

  bool ok() const { return fd_ >= 0; }
  int fd() const { return fd_; }
  int64_t Size() const {
    struct stat st;
    return ::fstat(fd_, &st) == 0 ? static_cast<int64_t>(st.st_size) : -1;
  }
  int Release() { return std::exchange(fd_, -1); }

 private:
  void Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }
  int fd_ = -1;
};

int WholeRecords(int64_t size) {
  if (size <= 0) return 0;
  int64_t n = size / kRecordBytes;
  return n > INT_MAX ? INT_MAX : static_cast<int>(n);
}

// Moves all `size` bytes through pread or pwrite, or fails.
template <typename Io, typename Bytes>
bool TransferAt(Io io, int fd, int64_t offset, Bytes* p, std::size_t size) {
  while (size > 0) {
    ssize_t n = io(fd, p, size, offset);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    offset += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

bool ReadAt(int fd, int64_t offset, void* data, std::size_t size) {
  return TransferAt(::pread, fd, offset, static_cast<char*>(data), size);
}

bool WriteAt(int fd, int64_t offset, const void* data, std::size_t size) {
  return TransferAt(::pwrite, fd, offset, static_cast<const char*>(data), size);
}

bool ReadSlot(int fd, int slot, CaseRecord* out) {
  return ReadAt(fd, static_cast<int64_t>(slot) * kRecordBytes, out, sizeof *out);
}

// A record goes out with its position as its slot. A store written
// elsewhere may carry another number in the field, and the tree finds the
// record to view, move or delete by that number.
void DeliverRecord(int slot, const CaseRecord& read, CaseRecord* out) {
  *out = read;
  out->slot = slot;
}

// Passes over the records 0..count-1 of an open store in file order, a chunk
// at a time. `visit` gets each record with its slot. False on a read error.
template <typename Visit>
bool ForEachRecord(int fd, int count, Visit visit) {
  std::vector<CaseRecord> chunk(kChunkRecords);
  for (int first = 0; first < count; first += kChunkRecords) {
    int n = std::min(kChunkRecords, count - first);
    if (!ReadAt(fd, static_cast<int64_t>(first) * kRecordBytes, chunk.data(),
                static_cast<std::size_t>(n) * sizeof(CaseRecord)))
      return false;
    for (int i = 0; i < n; ++i) {
      if (!visit(first + i, chunk[i])) return false;
    }
  }
  return true;
}

// Creates a folder that did not exist before: base, base-1, base-2 …
// Leftovers of an interrupted operation are never reused (a backup folder
// may hold the only copy of a store).
fs::path CreateFreshFolder(const fs::path& base) {
  for (int i = 0; i < 1000; ++i) {
    fs::path p = base;
    if (i > 0) p += "-" + std::to_string(i);
    std::error_code ec;
    if (fs::create_directory(p, ec)) return p;
    if (ec) return {};
  }
  return {};
}

bool CopyWholeFile(const fs::path& from, const fs::path& to) {
  std::string bytes;
  return ReadWholeFile(from, &bytes) && WriteWholeFileAtomic(to, bytes);
}

bool Taken(const fs::path& p) {
  std::error_code ec;
  // A failing look-up counts as taken: a name is only handed out when it is
  // surely free.
  return fs::symlink_status(p, ec).type() != fs::file_type::not_found;
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

// Passes the folded comment names of the live records to `visit`. A missing
// store holds none; false when the store cannot be read.
template <typename Visit>
bool ForEachLiveCommentName(const std::string& storePath, Visit visit) {
  if (storePath.empty()) return false;
  if (!FileExists(storePath)) return true;
  StoreFile f(storePath, O_RDONLY, LOCK_SH);
  if (!f.ok()) return false;
  return ForEachRecord(f.fd(), WholeRecords(f.Size()), [&visit](int, const CaseRecord& r) {
    if (r.isDeleted == 0 && r.commentName[0] != '\0')
      visit(FoldedName(FieldText(r.commentName, sizeof r.commentName)));
    return true;
  });
}

}  // namespace

MDataBase::~MDataBase() { EndScan(); }

void MDataBase::Open(const std::string& programFolder, int storeIndex) {
  EndScan();
  folder_.clear();
  storePath_.clear();
  if (programFolder.empty() || storeIndex < 0 ||
      storeIndex >= static_cast<int>(std::size(kStoreNames)))
    return;
  folder_ = WithSlash(programFolder);
  storeIndex_ = storeIndex;
  storePath_ = folder_ + "dat/" + StoreFileName();
  CreateDirectories(folder_ + "dat");
  CreateDirectories(CommentFolder());
  // Exclusive create: an existing store is never truncated.
  int fd = ::open(storePath_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd >= 0) ::close(fd);
}

std::string MDataBase::StoreFileName() const {
  return std::string(kStoreNames[storeIndex_]) + ".dat";
}

fs::path MDataBase::CommentFolder() const {
  return folder_.empty() ? fs::path() : fs::path(folder_ + kCommentFolderName + "/");
}

int MDataBase::RecordCount() const {
  if (storePath_.empty()) return 0;
  struct stat st;
  if (::stat(storePath_.c_str(), &st) != 0) return 0;
  return WholeRecords(st.st_size);
}

bool MDataBase::ReadRecord(int slot, CaseRecord* out) const {
  if (slot < 0) return false;
  StoreFile f(storePath_, O_RDONLY, LOCK_SH);
  if (!f.ok() || slot >= WholeRecords(f.Size())) return false;
  CaseRecord r;
  if (!ReadSlot(f.fd(), slot, &r)) return false;
  DeliverRecord(slot, r, out);
  return r.isDeleted == 0;
}

bool MDataBase::WriteRecord(int slot, const CaseRecord& record) {
  if (slot < 0) return false;
  StoreFile f(storePath_, O_RDWR, LOCK_EX);
  if (!f.ok() || slot >= WholeRecords(f.Size())) return false;
  return WriteAt(f.fd(), static_cast<int64_t>(slot) * kRecordBytes, &record, sizeof record) &&
         ::fdatasync(f.fd()) == 0;
}

int MDataBase::AppendRecord(CaseRecord* record) {
  StoreFile f(storePath_, O_WRONLY | O_CREAT, LOCK_EX);
  if (!f.ok()) return -1;
  int64_t size = f.Size();
  if (size < 0 || size / kRecordBytes >= INT_MAX) return -1;
  CaseRecord r = *record;
  r.slot = static_cast<int32_t>(size / kRecordBytes);
  r.isDeleted = 0;
  // Written at the end of the last whole record: a partial record left by an
  // interrupted write is overwritten, the records before it are not touched.
  if (!WriteAt(f.fd(), static_cast<int64_t>(r.slot) * kRecordBytes, &r, sizeof r) ||
      ::fdatasync(f.fd()) != 0) {
    if (::ftruncate(f.fd(), size) == 0) ::fdatasync(f.fd());
    return -1;
  }
  *record = r;
  return r.slot;
}

bool MDataBase::MarkDeleted(int slot) {
  if (slot < 0) return false;
  StoreFile f(storePath_, O_RDWR, LOCK_EX);
  if (!f.ok() || slot >= WholeRecords(f.Size())) return false;
  if (!ReadSlot(f.fd(), slot, &buffer_)) return false;
  buffer_.isDeleted = 1;
  return WriteAt(f.fd(), static_cast<int64_t>(slot) * kRecordBytes, &buffer_, sizeof buffer_) &&
         ::fdatasync(f.fd()) == 0;
}

bool MDataBase::BeginScan() {
  EndScan();
  StoreFile f(storePath_, O_RDONLY, LOCK_SH);
  if (!f.ok()) return false;
  scanCount_ = WholeRecords(f.Size());
  scanHandle_ = f.Release();
  return true;
}

bool MDataBase::ReadScanned(int slot, CaseRecord* out) {
  if (scanHandle_ < 0 || slot < 0 || slot >= scanCount_) return false;
  CaseRecord r;
  if (!ReadSlot(scanHandle_, slot, &r)) return false;
  DeliverRecord(slot, r, out);
  return r.isDeleted == 0;
}

void MDataBase::EndScan() {
  if (scanHandle_ >= 0) ::close(scanHandle_);
  scanHandle_ = -1;
  scanCount_ = 0;
}

bool MDataBase::SearchRecords(const SearchCriteria& criteria, std::vector<int>* slots) const {
  slots->clear();
  StoreFile f(storePath_, O_RDONLY, LOCK_SH);
  if (!f.ok()) return false;
  return ForEachRecord(f.fd(), WholeRecords(f.Size()), [&](int slot, const CaseRecord& r) {
    if (r.isDeleted == 0 && MatchesCriteria(criteria, r)) slots->push_back(slot);
    return true;
  });
}

bool MDataBase::ExportStore(const std::string& targetFolder) const {
  if (storePath_.empty() || targetFolder.empty()) return false;
  const fs::path target(WithSlash(targetFolder));
  bool ok = CopyWholeFile(storePath_, target / StoreFileName());
  const fs::path docs = target / kCommentFolderName;
  if (!CreateDirectories(docs)) return false;
  for (const std::string& name : ListFiles(CommentFolder(), std::string("*") + kCommentExtension))
    ok = CopyWholeFile(CommentFolder() / name, docs / name) && ok;
  return ok;
}

bool MDataBase::ImportStore(const std::string& sourceFolder) {
  if (storePath_.empty() || sourceFolder.empty()) return false;
  const fs::path source(WithSlash(sourceFolder));
  const std::string storeName = StoreFileName();
  fs::path sourceStore = source / storeName;
  if (!FileExists(sourceStore)) {
    std::vector<std::string> found = ListFiles(source, storeName);  // any letter case
    if (found.empty()) return false;
    sourceStore = source / found.front();
  }
  const std::string rtf = std::string("*") + kCommentExtension;
  const fs::path dat = fs::path(folder_) / "dat";
  const fs::path docs = CommentFolder();
  if (!CreateDirectories(docs)) return false;

  // 1. Copy the new store and documents beside the program's files. Nothing
  //    of the program's is touched yet.
  const fs::path staging = CreateFreshFolder(dat / "import-new");
  if (staging.empty()) return false;
  struct RemoveFolder {
    fs::path path;
    ~RemoveFolder() {
      std::error_code ec;
      if (!path.empty()) fs::remove_all(path, ec);
    }
  } removeStaging{staging};
  if (!CopyWholeFile(sourceStore, staging / storeName)) return false;
  std::vector<std::string> newDocs;
  if (DirectoryExists(source / kCommentFolderName)) {
    newDocs = ListFiles(source / kCommentFolderName, rtf);
    for (const std::string& name : newDocs) {
      if (!CopyWholeFile(source / kCommentFolderName / name, staging / kCommentFolderName / name))
        return false;
    }
  }

  // 2. Move the program's store and documents into a backup folder, then
  //    the new ones into place. Every move is remembered so that a failure
  //    can put everything back.
  StoreFile lock(storePath_, O_RDONLY, LOCK_EX);
  if (!lock.ok() && FileExists(storePath_)) return false;  // in use elsewhere
  const fs::path backup = CreateFreshFolder(dat / "import-backup");
  if (backup.empty() || !CreateDirectories(backup / kCommentFolderName)) return false;
  std::vector<std::pair<fs::path, fs::path>> moves;
  auto moveFile = [&moves](const fs::path& from, const fs::path& to) {
    if (!RenameFile(from, to)) return false;
    moves.emplace_back(from, to);
    return true;
  };
  bool ok = !FileExists(storePath_) || moveFile(storePath_, backup / storeName);
  for (const std::string& name : ListFiles(docs, rtf)) {
    if (!ok) break;
    ok = moveFile(docs / name, backup / kCommentFolderName / name);
  }
  if (ok) ok = moveFile(staging / storeName, storePath_);
  for (const std::string& name : newDocs) {
    if (!ok) break;
    ok = moveFile(staging / kCommentFolderName / name, docs / name);
  }

  bool restored = true;
  if (!ok) {
    for (auto it = moves.rbegin(); it != moves.rend(); ++it)
      restored = RenameFile(it->second, it->first) && restored;
  }
  SyncFile(dat);
  SyncFile(docs);
  // The backup goes only when it is no longer needed: after a successful
  // import, or after a failed one whose files all went back.
  if (restored) {
    std::error_code ec;
    fs::remove_all(backup, ec);
  }
  return ok;
}

bool MDataBase::ClearStore() {
  if (storePath_.empty()) return false;
  bool ok = DeleteFileIfExists(storePath_);
  for (const std::string& name : ListFiles(CommentFolder(), std::string("*") + kCommentExtension))
    ok = DeleteFileIfExists(CommentFolder() / name) && ok;
  return ok;
}

bool MDataBase::CompactStore() {
  // Held alone for the whole rewrite, so that no append can slip in and be
  // lost with the old file.
  StoreFile in(storePath_, O_RDONLY, LOCK_EX);
  if (!in.ok()) return false;
  const fs::path dat = fs::path(folder_) / "dat";
  const fs::path temp = dat / kCompactTempName;
  int out = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (out < 0) return false;
  int kept = 0;
  int64_t written = 0;
  bool ok = ForEachRecord(in.fd(), WholeRecords(in.Size()), [&](int, const CaseRecord& r) {
    if (r.isDeleted == 1) return true;
    CaseRecord copy = r;
    copy.slot = kept++;
    if (!WriteAt(out, written, &copy, sizeof copy)) return false;
    written += kRecordBytes;
    return true;
  });
  ok = ok && ::fsync(out) == 0;
  ok = (::close(out) == 0) && ok;
  // The store is replaced in one step, and only by a complete, flushed file.
  if (!ok || !RenameFile(temp, storePath_)) {
    DeleteFileIfExists(temp);
    return false;
  }
  SyncFile(dat);
  return true;
}

fs::path MDataBase::CommentPath(const CaseRecord& record) const {
  const std::string name = record.CommentNameUtf8();
  if (folder_.empty() || !IsSafeCommentName(name)) return {};
  return CommentFolder() / (name + kCommentExtension);
}

bool MDataBase::ChooseCommentName(CaseRecord* record) const {
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
    return used.count(FoldedName(gbk)) > 0 || Taken(docs / (GbkToUtf8(gbk) + ext));
  });
  if (chosen.empty()) return false;
  std::memset(record->commentName, 0, sizeof record->commentName);
  std::memcpy(record->commentName, chosen.data(), chosen.size());
  return true;
}

bool MDataBase::CommentShared(const CaseRecord& record) const {
  if (record.commentName[0] == '\0') return false;
  const std::string name = FoldedName(FieldText(record.commentName, sizeof record.commentName));
  int users = 0;
  ForEachLiveCommentName(storePath_, [&](const std::string& folded) { users += folded == name; });
  return users > 1;
}

void MDataBase::DeleteComments(const std::vector<fs::path>& documents) const {
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
