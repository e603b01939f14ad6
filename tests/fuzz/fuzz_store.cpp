// Arbitrary bytes as a case store: counting, reading, scanning, the tree text,
// comment paths and names, and a search with conditions taken from the input.
#include <fuzzer/FuzzedDataProvider.h>
#include <stdlib.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "database.h"
#include "files.h"

using namespace lumtar;

namespace {

const std::string& ProgramFolder() {
  static const std::string dir = [] {
    char tmpl[] = "/tmp/lumtar-fuzz-store-XXXXXX";
    const char* made = mkdtemp(tmpl);
    return std::string(made ? made : "/tmp") + "/";
  }();
  return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  SearchCriteria c;
  c.namePattern = in.ConsumeRandomLengthString(24);
  c.classPattern = in.ConsumeRandomLengthString(24);
  c.nameMode = in.ConsumeIntegralInRange<uint8_t>(0, 3);
  c.classMode = in.ConsumeIntegralInRange<uint8_t>(0, 3);
  c.sexFilter = in.ConsumeBool();
  c.wantMale = in.ConsumeIntegral<uint8_t>();
  c.yearFilter = in.ConsumeBool();
  c.yearFrom = in.ConsumeIntegral<int16_t>();
  c.yearTo = in.ConsumeIntegral<int16_t>();
  c.provinceIndex = in.ConsumeIntegral<int16_t>();
  const std::string store = in.ConsumeRemainingBytesAsString();

  const std::string& dir = ProgramFolder();
  CreateDirectories(dir + "dat");
  {
    std::ofstream out(dir + "dat/Lumtar.dat", std::ios::binary | std::ios::trunc);
    out.write(store.data(), static_cast<std::streamsize>(store.size()));
    if (!out) return 0;
  }
  MDataBase db;
  db.Open(dir, 0);

  const int count = db.RecordCount();
  if (count != static_cast<int>(store.size() / kCaseRecordSize)) __builtin_trap();
  CaseRecord r;
  if (db.ReadRecord(-1, &r) || db.ReadRecord(count, &r)) __builtin_trap();
  std::size_t sink = 0;
  if (db.BeginScan()) {
    for (int slot = count - 1; slot >= 0; --slot) {
      db.ReadScanned(slot, &r);
      sink += CaseText(r).size() + r.PlaceNameUtf8().size() + r.ClassNameUtf8().size();
      std::filesystem::path doc = db.CommentPath(r);
      if (!doc.empty() && doc.parent_path() != db.CommentFolder().parent_path()) __builtin_trap();
      if (db.ChooseCommentName(&r) && db.CommentPath(r).empty()) __builtin_trap();
    }
    db.EndScan();
  }
  std::vector<int> slots;
  db.SearchRecords(c, &slots);
  for (std::size_t i = 1; i < slots.size(); ++i)
    if (slots[i] <= slots[i - 1]) __builtin_trap();
  return static_cast<int>(sink & 0);
}
