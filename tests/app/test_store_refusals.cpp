// The window when the store refuses what it is asked: a case another program
// moved into a slot the tree still shows, cases an import cut short left
// aside, an import from a linked comment folder or into folders that refuse
// writes. Each refusal is a message box that says why; nothing is changed.
#include <QLineEdit>
#include <QTextEdit>
#include <QTreeWidget>
#include <QtTest>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "answeredboxes.h"
#include "database.h"
#include "files.h"
#include "frmmain.h"
#include "fuzhoucase.h"
#include "mainwindow.h"
#include "msgbox.h"
#include "tempdir.h"
#include "withoutoverride.h"

using namespace lumtar;
namespace fs = std::filesystem;

namespace {

using Boxes = test::AnsweredBoxes;
using Files = std::map<std::string, std::string>;

CaseRecord Case(const std::string& name, const std::string& className, int year) {
  return test::FuzhouCase(name, className, year);
}

// A store of the records, numbered in order, each with its document.
void WriteCases(const fs::path& folder, const fs::path& store, std::vector<CaseRecord> records) {
  std::string bytes;
  for (size_t i = 0; i < records.size(); ++i) {
    records[i].slot = static_cast<int32_t>(i);
    bytes.append(reinterpret_cast<const char*>(&records[i]), sizeof(CaseRecord));
    WriteWholeFileAtomic(folder / "Lumtar_f" / (records[i].CommentNameUtf8() + ".rtf"),
                         "{\\rtf1 " + records[i].CommentNameUtf8() + "}");
  }
  WriteWholeFileAtomic(store, bytes);
}

// The files under a folder with their bytes.
Files Tree(const fs::path& root) {
  Files files;
  std::error_code ec;
  for (fs::recursive_directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
    std::string bytes;
    if (it->is_regular_file() && !it->is_symlink()) ReadWholeFile(it->path(), &bytes);
    files[it->path().lexically_relative(root).string()] = bytes;
  }
  return files;
}

QTreeWidgetItem* Node(const TFrmMain& w, const QString& prefix) {
  QTreeWidgetItem* root = w.Tree->topLevelItem(0);
  for (int i = 0; root && i < root->childCount(); ++i) {
    if (root->child(i)->text(0) == prefix) return root->child(i);
    for (int k = 0; k < root->child(i)->childCount(); ++k)
      if (root->child(i)->child(k)->text(0).startsWith(prefix + QLatin1Char(' '))) return root->child(i)->child(k);
  }
  return nullptr;
}

int ClassIndex(const TFrmMain& w, const QString& name) {
  QTreeWidgetItem* root = w.Tree->topLevelItem(0);
  for (int i = 0; root && i < root->childCount(); ++i)
    if (root->child(i)->text(0) == name) return i;
  return -1;
}

}  // namespace

class StoreRefusalsTest : public QObject {
  Q_OBJECT

  std::unique_ptr<test::TempDir> dir_;

  fs::path Dat() const { return *dir_ / "dat"; }

  std::unique_ptr<TFrmMain> Start() {
    auto w = std::make_unique<TFrmMain>();
    w->runCaseDialog = test::SaveIntoClass(QStringLiteral("朋友"));
    w->inputCaseText = [](const QString&, const QString&, QString* text) {
      *text = QStringLiteral("新类");
      return true;
    };
    return test::Shown(std::move(w));
  }

  static void Select(TFrmMain& w, QTreeWidgetItem* node) {
    QVERIFY(node);
    w.Tree->setCurrentItem(node);
  }

 private slots:
  void init() {
    dir_ = test::ProgramFolder();
    CreateDirectories(*dir_ / "Lumtar_f");
  }
  void cleanup() { dir_.reset(); }

  // The window views P11 in slot 11 of a store never compacted; another
  // program compacts, so that P16 moves into slot 11, and the stamp of the
  // numbering is lost. Whatever the window then does through its tree is
  // refused with a message, and P16 stays as it is.
  void aCaseMovedIntoAShownSlotIsNotChanged() {
    struct Action {
      const char* what;
      std::function<void(TFrmMain&)> run;
    };
    const Action actions[] = {
        {"delete the viewed case",
         [this](TFrmMain& w) {
           Select(w, Node(w, QStringLiteral("P11")));
           w.pop_deleteClick();
         }},
        {"move it to another class",
         [this](TFrmMain& w) {
           Select(w, Node(w, QStringLiteral("P11")));
           w.MoveCaseTo(ClassIndex(w, QStringLiteral("亲友")));
         }},
        {"rename its class",
         [this](TFrmMain& w) {
           Select(w, Node(w, QStringLiteral("客户")));
           w.pop_class_renameClick();
         }},
        {"delete its class",
         [this](TFrmMain& w) {
           Select(w, Node(w, QStringLiteral("客户")));
           w.pop_class_deleteClick();
         }},
    };
    for (const Action& action : actions) {
      std::vector<CaseRecord> records;
      for (int i = 0; i < 20; ++i) {
        records.push_back(Case("P" + std::to_string(i), i % 2 ? "客户" : "亲友", 1900 + i % 200));
        records.back().isDeleted = i < 5 ? 1 : 0;
      }
      DeleteFileIfExists(Dat() / "Lumtar.gen");
      WriteCases(dir_->path(), Dat() / "Lumtar.dat", records);
      Boxes boxes;
      auto w = Start();
      QVERIFY(w);
      Select(*w, Node(*w, QStringLiteral("P11")));
      w->pop_viewClick();
      QCOMPARE(w->loadedSlot, 11);
      MDataBase other;
      QVERIFY(other.Open(dir_->str(), 0) && other.CompactStore());
      QVERIFY(DeleteFileIfExists(Dat() / "Lumtar.gen"));
      const Files before = Tree(dir_->path());

      boxes.Clear();
      action.run(*w);
      QVERIFY2(!boxes.seen.empty(), action.what);
      QVERIFY2(boxes.seen.back().text.startsWith(QString::fromUtf8(kStoreChangedMessage)), action.what);
      QCOMPARE(boxes.seen.back().icon, MsgIcon::Error);
      QVERIFY2(Tree(dir_->path()) == before, action.what);
      // The tree shows the store as it is now.
      QVERIFY(Node(*w, QStringLiteral("P16"))->text(0).endsWith(QStringLiteral("|11")));
      w->skipCloseSequence = true;
    }
  }

  // The tree's own changes (a move, a class renamed, a case saved back or
  // saved new) leave it knowing each case as it now is: later changes
  // through it go through.
  void theTreeKnowsTheCasesAfterItsOwnChanges() {
    WriteCases(dir_->path(), Dat() / "Lumtar.dat", {Case("甲", "亲友", 1990), Case("乙", "客户", 1991)});
    Boxes boxes;
    auto w = Start();
    QVERIFY(w);
    Select(*w, Node(*w, QStringLiteral("甲")));
    w->pop_viewClick();
    QVERIFY(w->caseLoaded);
    w->MoveCaseTo(ClassIndex(*w, QStringLiteral("客户")));
    Select(*w, Node(*w, QStringLiteral("客户")));
    w->pop_class_renameClick();
    w->RedtPingYu->setPlainText(QStringLiteral("改过的评语"));
    w->SbtoSaveClick();
    Select(*w, Node(*w, QStringLiteral("甲")));
    w->pop_deleteClick();
    QVERIFY(!Node(*w, QStringLiteral("甲")));
    test::TypeBirth(*w, QStringLiteral("丙"));
    w->ledtjing->setText(QStringLiteral("119:18"));
    w->ledtwei->setText(QStringLiteral("26:5"));
    w->BtnpaiClick();
    w->SbtoSaveClick();
    Select(*w, Node(*w, QStringLiteral("丙")));
    w->pop_deleteClick();
    Select(*w, Node(*w, QStringLiteral("新类")));
    w->pop_class_deleteClick();
    for (const auto& box : boxes.seen) QVERIFY2(box.icon != MsgIcon::Error, qPrintable(box.text));
    MDataBase store;
    QVERIFY(store.Open(dir_->str(), 0));
    QCOMPARE(store.RecordCount(), 3);
    CaseRecord r;
    for (int slot = 0; slot < 3; ++slot) QVERIFY(!store.ReadRecord(slot, &r));
    w->skipCloseSequence = true;
  }

  // An import cut short left the cases aside and its journal damaged: the
  // window says so at its start, naming the folder, and every store action
  // says it again; no empty store is made over the cases.
  void casesLeftAsideByAnImportAreNotHidden() {
    const fs::path aside = Dat() / "import-old-1a2b3c4d";
    WriteCases(aside, aside / "Lumtar.dat", {Case("甲", "亲友", 1990), Case("乙", "亲友", 1991)});
    WriteWholeFileAtomic(Dat() / "Lumtar.journal", "lumtar import 1\nstate for");
    const Files before = Tree(dir_->path());
    Boxes boxes;
    auto w = Start();
    QVERIFY(w);
    const QString damaged = QString::fromUtf8(kStoreDamagedMessage);
    QCOMPARE(boxes.seen.size(), size_t(1));
    QVERIFY(boxes.seen[0].text.startsWith(damaged));
    QVERIFY(boxes.seen[0].text.contains(QString::fromStdString(aside.string())));
    QCOMPARE(boxes.seen[0].icon, MsgIcon::Error);

    // 存新 of a chart, 显示全部命例.
    test::TypeBirth(*w);
    w->ledtjing->setText(QStringLiteral("119:18"));
    w->ledtwei->setText(QStringLiteral("26:5"));
    w->BtnpaiClick();
    boxes.Clear();
    w->SbtoSaveClick();
    QCOMPARE(boxes.seen.size(), size_t(1));
    QVERIFY(boxes.seen[0].text.startsWith(damaged));
    boxes.Clear();
    w->pop_showallClick();
    QCOMPARE(boxes.seen.size(), size_t(1));
    QVERIFY(boxes.seen[0].text.startsWith(damaged));
    Files after = Tree(dir_->path());
    after.erase("dat/xminit.ini");
    QVERIFY(after == before);
    QVERIFY(!PathTaken(Dat() / "Lumtar.dat"));
    w->skipCloseSequence = true;
  }

  // An import refused before anything changes says why under its message.
  void aRefusedImportSaysWhy() {
    struct Refusal {
      const char* what;
      std::function<void(const fs::path& set)> prepare;
      QString why;
    };
    test::TempDir other;
    const fs::path set = other / "set";
    const Refusal refusals[] = {
        {"a linked comment folder",
         [&](const fs::path& s) {
           RemoveTree(s / "Lumtar_f");
           CreateDirectories(other / "elsewhere");
           WriteWholeFileAtomic(other / "elsewhere/x.rtf", "{\\rtf1 x}");
           fs::create_directory_symlink(other / "elsewhere", s / "Lumtar_f");
         },
         QStringLiteral("评语文件夹 %1 是指向别处的链接，不是导出的文件夹，没有导入。")
             .arg(QString::fromStdString((set / "Lumtar_f").string()))},
        {"folders that refuse writes",
         [&](const fs::path&) {
           fs::permissions(Dat(), fs::perms(0555));
           fs::permissions(*dir_ / "Lumtar_f", fs::perms(0555));
         },
         QStringLiteral("文件夹 %1 不允许写入：权限被拒绝。").arg(QString::fromStdString(Dat().string()))},
    };
    for (const Refusal& refusal : refusals) {
      WriteCases(dir_->path(), Dat() / "Lumtar.dat", {Case("本地", "亲友", 2000)});
      RemoveTree(set);
      WriteCases(set, set / "Lumtar.dat", {Case("新", "亲友", 2001)});
      Boxes boxes;
      auto w = Start();
      QVERIFY(w);
      w->chooseImportFile = [&](const QString&) { return QString::fromStdString((set / "Lumtar.dat").string()); };
      refusal.prepare(set);
      const Files before = Tree(dir_->path());
      boxes.Clear();
      {
        test::WithoutOverride locked;
        w->mnuF_importClick();
      }
      fs::permissions(Dat(), fs::perms(0755));
      fs::permissions(*dir_ / "Lumtar_f", fs::perms(0755));
      QCOMPARE(boxes.Texts(), (QStringList{QStringLiteral("执行此操作将覆盖现有的历史记录，要继续吗？"),
                                           QStringLiteral("导入没有完成，原有的历史记录没有改变。\r\n") + refusal.why}));
      QCOMPARE(boxes.seen[1].icon, MsgIcon::Error);
      Files after = Tree(dir_->path());
      after.erase("dat/xminit.ini");
      Files was = before;
      was.erase("dat/xminit.ini");
      QVERIFY2(after == was, refusal.what);
      w->skipCloseSequence = true;
    }
  }
};

QTEST_MAIN(StoreRefusalsTest)
#include "test_store_refusals.moc"
