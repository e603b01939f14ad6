// The case store at the size of a long-used program: 100 000 records.
#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <filesystem>
#include <string>

#include "database.h"
#include "files.h"

using namespace lumtar;

namespace {

constexpr int kRecords = 100000;

// A program folder with a store of kRecords cases (every tenth deleted),
// made once and removed at exit.
class BigStore {
 public:
  BigStore() {
    char tmpl[] = "/tmp/lumtar-bench-XXXXXX";
    dir_ = mkdtemp(tmpl);
    const char* names[] = {"张三", "李四", "王五", "小张", "欧阳娜娜", "赵六", "钱七", "孙八"};
    const char* classes[] = {"朋友", "同事", "客户", "名人", "临时保存"};
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(kRecords) * kCaseRecordSize);
    for (int i = 0; i < kRecords; ++i) {
      CaseRecord r;
      r.slot = i;
      r.isDeleted = i % 10 == 9;
      r.SetName(std::string(names[i % 8]) + std::to_string(i % 97));
      r.SetClassName(classes[i % 5]);
      r.year = static_cast<int16_t>(1600 + i % 500);
      r.month = static_cast<int16_t>(1 + i % 12);
      r.day = static_cast<int16_t>(1 + i % 28);
      r.isMale = i % 2;
      r.provinceIndex = static_cast<int16_t>(i % 35);
      r.SetPlaceName("北京-北京");
      r.SetCommentName(r.NameUtf8() + "_" + std::to_string(i));
      bytes.append(reinterpret_cast<const char*>(&r), sizeof r);
    }
    CreateDirectories(dir_ + "/dat");
    WriteWholeFileAtomic(dir_ + "/dat/Lumtar.dat", bytes);
    db_.Open(dir_, 0);
  }
  ~BigStore() {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  MDataBase& db() { return db_; }

 private:
  std::string dir_;
  MDataBase db_;
};

BigStore& Store() {
  static BigStore store;
  return store;
}

void BM_SearchRecords100k(benchmark::State& state) {
  MDataBase& db = Store().db();
  SearchCriteria c;
  c.SetNamePattern("张");
  c.nameMode = 1;
  c.yearFilter = true;
  c.yearFrom = 1900;
  c.yearTo = 2000;
  std::vector<int> slots;
  for (auto _ : state) {
    db.SearchRecords(c, &slots);
    benchmark::DoNotOptimize(slots.data());
  }
  state.counters["matches"] = static_cast<double>(slots.size());
}
BENCHMARK(BM_SearchRecords100k)->Unit(benchmark::kMillisecond);

// "显示全部命例": every condition off.
void BM_SearchAll100k(benchmark::State& state) {
  MDataBase& db = Store().db();
  std::vector<int> slots;
  for (auto _ : state) {
    db.SearchRecords(SearchCriteria{}, &slots);
    benchmark::DoNotOptimize(slots.data());
  }
  state.counters["matches"] = static_cast<double>(slots.size());
}
BENCHMARK(BM_SearchAll100k)->Unit(benchmark::kMillisecond);

// What the case tree does at start-up: the 1000 newest slots, newest first,
// through one scan, with the text of each case node.
void BM_ScanNewest1000(benchmark::State& state) {
  MDataBase& db = Store().db();
  std::size_t textBytes = 0;
  for (auto _ : state) {
    db.BeginScan();
    const int count = db.RecordCount();
    for (int slot = count - 1; slot >= count - 1000 && slot >= 0; --slot) {
      CaseRecord r;
      if (db.ReadScanned(slot, &r)) textBytes += CaseText(r).size();
    }
    db.EndScan();
  }
  benchmark::DoNotOptimize(textBytes);
}
BENCHMARK(BM_ScanNewest1000)->Unit(benchmark::kMillisecond);

}  // namespace

namespace {

// Saving a new case: the comment name is checked against the names of every
// live case and the documents present.
void BM_ChooseCommentName100k(benchmark::State& state) {
  MDataBase& db = Store().db();
  CaseRecord r;
  r.SetName("张三");
  r.year = 1990;
  r.month = 3;
  r.day = 7;
  for (auto _ : state) {
    CaseRecord named = r;
    benchmark::DoNotOptimize(db.ChooseCommentName(&named));
  }
}
BENCHMARK(BM_ChooseCommentName100k)->Unit(benchmark::kMillisecond);

}  // namespace
