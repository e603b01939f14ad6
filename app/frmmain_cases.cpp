// The case tree, saving cases and the menus that work on the case store.
#include <QTreeWidget>

#include "database.h"
#include "frmmain.h"
#include "inifile.h"

namespace lumtar {
namespace {

constexpr int kStartUpCases = 1000;

bool SameClassName(const QString& a, const QString& b) {
  // ASCII letters compare without case; other characters as they are.
  if (a.size() != b.size()) return false;
  for (qsizetype i = 0; i < a.size(); ++i) {
    QChar x = a[i], y = b[i];
    if (x.unicode() < 128 && y.unicode() < 128) {
      if (x.toLower() != y.toLower()) return false;
    } else if (x != y) {
      return false;
    }
  }
  return true;
}

}  // namespace

std::vector<int> TFrmMain::StartUpSlots() const {
  std::vector<int> slotList;
  const int count = DataBase->RecordCount();
  for (int slot = count - 1; slot >= count - kStartUpCases && slot >= 0; --slot) slotList.push_back(slot);
  return slotList;
}

void TFrmMain::FillTree(const std::vector<int>& slotList) {
  Tree->clear();
  auto* root = new QTreeWidgetItem(Tree, {QStringLiteral("命例")});
  if (XmInit) {
    const int count = XmInit->ReadInteger("classes", "count", 0);
    for (int k = 1; k <= count; ++k) {
      const std::string name = XmInit->ReadString("classes", std::to_string(k), "");
      if (!name.empty()) new QTreeWidgetItem(root, {QString::fromStdString(name)});
    }
  }
  Tree->setUpdatesEnabled(false);
  if (DataBase->BeginScan()) {
    CaseRecord record;
    for (int slot : slotList) {
      if (!DataBase->ReadScanned(slot, &record)) continue;
      const QString className = QString::fromStdString(record.ClassNameUtf8());
      QTreeWidgetItem* node = nullptr;
      for (int i = 0; i < root->childCount() && !node; ++i)
        if (SameClassName(root->child(i)->text(0), className)) node = root->child(i);
      if (!node) node = new QTreeWidgetItem(root, {className});
      new QTreeWidgetItem(node, {QString::fromStdString(CaseText(record))});
    }
    DataBase->EndScan();
  }
  Tree->setUpdatesEnabled(true);
  root->setExpanded(true);
}

void TFrmMain::SbtoSaveClick() {}
void TFrmMain::mnuF_importClick() {}
void TFrmMain::mnuF_exportClick() {}
void TFrmMain::mnuF_compactClick() {}

}  // namespace lumtar
