// lumtar-cli cases: list, search, export, import and compact the case store
// of the program folder.
#include <iostream>
#include <memory>

#include "clicommon.h"
#include "database.h"
#include "files.h"
#include "script.h"

namespace lumtar::cli {
namespace {

// A text field on one output line: TABs and line breaks of a damaged record
// would split the line.
std::string OneLine(std::string text) {
  for (char& c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  }
  return text;
}

std::string CaseLine(const CaseRecord& r) {
  return Tsv({std::to_string(r.slot), OneLine(r.NameUtf8()), OneLine(r.ClassNameUtf8()),
              CaseDateText(r), InScript(r.isMale == 1 ? "男" : "女"), OneLine(PlaceNameInScript(r.PlaceNameUtf8())),
              OneLine(r.CommentNameUtf8())});
}

// A message of the system's for standard error: line breaks as on Unix.
std::string Plain(std::string text) {
  for (std::size_t p; (p = text.find("\r\n")) != std::string::npos;) text.replace(p, 2, "\n");
  return text;
}

// Opens the program folder's store. Only an import creates the store and its
// folders; the other commands read or change a store that is there.
void OpenStore(MDataBase* db, MDataBase::OpenMode mode = MDataBase::OpenMode::kExisting) {
  const std::string dir = ProgramDir();
  if (!DirectoryExists(dir)) throw CommandError("program folder not found: " + Shown(dir));
  if (!db->Open(dir, 0, mode)) throw CommandError(Plain(db->FaultText()));
}

// The message of a failed store operation: why, when the store says so.
[[noreturn]] void StoreFailed(const MDataBase& db, const std::string& what) {
  const StoreFault fault = db.LastFault();
  if (fault == StoreFault::kBusy || fault == StoreFault::kChanged || fault == StoreFault::kDamaged)
    throw CommandError(Plain(db.FaultText()));
  if (!db.FaultDetail().empty()) throw CommandError(what + "\n" + Plain(db.FaultDetail()));
  throw CommandError(what);
}

// Searches with the criteria and prints the live matches in slot order.
void ListMatches(MDataBase& db, const SearchCriteria& criteria) {
  if (db.RecordCount() == 0) {
    if (db.LastFault() == StoreFault::kDamaged) throw CommandError(Plain(db.FaultText()));
    throw CommandError(kNoRecordsMessage);
  }
  std::vector<int> slots;
  if (!db.SearchRecords(criteria, &slots)) StoreFailed(db, "cannot read " + Shown(db.StorePath()));
  if (slots.empty()) throw CommandError(kNothingFoundMessage);
  if (!db.BeginScan()) StoreFailed(db, "cannot read " + Shown(db.StorePath()));
  for (int slot : slots) {
    CaseRecord r;
    if (db.ReadScanned(slot, &r)) std::cout << CaseLine(r) << '\n';
  }
  db.EndScan();
}

std::string Trimmed(const std::string& text) {
  std::size_t b = 0, e = text.size();
  while (b < e && static_cast<unsigned char>(text[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(text[e - 1]) <= ' ') --e;
  return text.substr(b, e - b);
}

struct SearchOptions {
  std::string name, className, sex;
  bool exactName = false, exactClass = false;
  std::vector<std::string> years;
  int province = -1;
};

void RunSearch(const SearchOptions& o) {
  SearchCriteria c;
  c.provinceIndex = static_cast<int16_t>(o.province);
  if (!o.sex.empty()) {
    c.sexFilter = true;
    c.wantMale = o.sex == "male" ? 1 : 0;
  }
  std::string message;
  if (!o.years.empty() && !SetYearRange(&c, o.years[0], o.years[1], &message))
    throw CommandError(Plain(std::string(InScript(message))));
  // The name is taken as typed, the class trimmed, as in the search dialog.
  if (!o.name.empty()) {
    c.nameMode = o.exactName ? 2 : 1;
    c.SetNamePattern(o.name);
  }
  const std::string cls = Trimmed(o.className);
  if (!cls.empty()) {
    c.classMode = o.exactClass ? 2 : 1;
    c.SetClassPattern(cls);
  }
  MDataBase db;
  OpenStore(&db);
  ListMatches(db, c);
}

void RunExport(const std::string& dirArg) {
  // An empty text names no folder (it would be taken as the root).
  if (dirArg.empty()) throw UsageError("the export folder must not be empty");
  MDataBase db;
  OpenStore(&db);
  if (!FileExists(db.StorePath())) throw CommandError("no case store at " + Shown(db.StorePath()));
  std::string dir = dirArg;
  if (dir.back() != '/') dir += '/';
  const std::string path = dir + kExportFolderName + "/";
  if (!CreateDirectories(path)) throw CommandError("cannot create " + Shown(path));
  if (!db.ExportStore(path)) StoreFailed(db, "export into " + Shown(path) + " failed");
  std::cout << InScript(kExportDonePrefix) << path << InScript(kExportDoneSuffix) << '\n';
}

void RunImport(const std::string& file) {
  const fs::path p(file);
  if (!WildcardMatch(kStoreNames[0] + std::string(".dat"), p.filename().string()) ||
      !FileExists(p))
    throw CommandError(kNoImportFileMessage);
  std::string folder = p.has_parent_path() ? p.parent_path().string() + "/" : "./";
  if (!DirectoryExists(folder + kCommentFolderName)) throw CommandError(kNoImportFolderMessage);
  MDataBase db;
  OpenStore(&db, MDataBase::OpenMode::kCreate);
  // The file named, whatever other letter cases of its name the folder has.
  std::vector<std::string> skipped;
  if (!db.ImportStore(folder, p.filename().string(), &skipped))
    StoreFailed(db, "import failed; the case store and comment documents are unchanged");
  std::cout << InScript(kImportDoneMessage) << '\n';
  if (!skipped.empty()) std::cerr << TextInScript(SkippedDocumentsText(skipped)) << '\n';
}

void RunCompact() {
  MDataBase db;
  OpenStore(&db);
  if (db.RecordCount() < kMinRecordsToCompact) {
    if (db.LastFault() == StoreFault::kDamaged) throw CommandError(Plain(db.FaultText()));
    throw CommandError(kTooFewToCompactMessage);
  }
  if (!db.CompactStore()) StoreFailed(db, "compaction failed; the case store is unchanged");
  std::cout << InScript(kCompactDoneMessage) << '\n';
}

const RegisterCommands registerCases([](CLI::App& app) {
  CLI::App* cases = app.add_subcommand("cases", "list, search, export, import or compact the case store");
  cases->require_subcommand(1);

  CLI::App* list = cases->add_subcommand("list", "every live case, in slot order");
  AddProgramDirOption(list);
  list->callback([] {
    MDataBase db;
    OpenStore(&db);
    ListMatches(db, SearchCriteria{});
  });

  auto options = std::make_shared<SearchOptions>();
  CLI::App* search = cases->add_subcommand("search", "the live cases that meet every condition given");
  AddProgramDirOption(search);
  search->add_option("--name", options->name, "name contains TEXT (taken as typed)");
  search->add_flag("--exact-name", options->exactName, "the name equals TEXT");
  search->add_option("--class", options->className, "class contains TEXT (trimmed)");
  search->add_flag("--exact-class", options->exactClass, "the class equals TEXT");
  search->add_option("--sex", options->sex, "male or female")->check(CLI::IsMember({"male", "female"}));
  search->add_option("--years", options->years, "birth years FROM TO (before the common era negative)")
      ->expected(2);
  search->add_option("--province", options->province, "province list position")
      ->check(CLI::Range(-1, 32767));
  search->callback([options] { RunSearch(*options); });

  auto dir = std::make_shared<std::string>();
  CLI::App* exp = cases->add_subcommand("export", "copy the store and comment documents into DIR/Lumtar_导出数据");
  AddProgramDirOption(exp);
  exp->add_option("DIR", *dir, "target folder")->required();
  exp->callback([dir] { RunExport(*dir); });

  auto file = std::make_shared<std::string>();
  CLI::App* imp = cases->add_subcommand("import", "replace the store and comment documents by an exported set");
  AddProgramDirOption(imp);
  imp->add_option("FILE", *file, "the set's Lumtar.dat")->required();
  imp->callback([file] { RunImport(*file); });

  CLI::App* compact = cases->add_subcommand("compact", "rewrite the store without deleted cases");
  AddProgramDirOption(compact);
  compact->callback([] { RunCompact(); });
});

}  // namespace
}  // namespace lumtar::cli
