// The main window as the window tests drive it.
#pragma once

#include <QComboBox>
#include <QCoreApplication>
#include <QString>
#include <QtTest/QTest>

#include <filesystem>
#include <functional>
#include <initializer_list>
#include <memory>

#include "frmfenlei.h"
#include "frmmain.h"
#include "preview.h"
#include "tempdir.h"

namespace lumtar::test {

// A fresh program folder for a window test, made the program's folder: dat/
// with the shipped data files named (the place list unless told otherwise).
inline std::unique_ptr<TempDir> ProgramFolder(std::initializer_list<const char*> shipped = {"dili.ini"}) {
  auto dir = std::make_unique<TempDir>();
  SetProgramDir(dir->str());
  CreateDirectories(*dir / "dat");
  for (const char* file : shipped)
    CopyFileOverwrite(std::filesystem::path(LUMTAR_SOURCE_DIR) / "data" / file, *dir / "dat" / file);
  return dir;
}

// Shows the window and waits until it is on screen; null when it never is.
inline std::unique_ptr<TFrmMain> Shown(std::unique_ptr<TFrmMain> w) {
  w->show();
  if (!QTest::qWaitForWindowExposed(w.get())) return nullptr;
  QCoreApplication::processEvents();
  return w;
}

// Types the birth the window tests chart: 1990-3-7 10:30 (the boxes' list
// positions), under the name given. The place is left to the caller.
inline void TypeBirth(TFrmMain& w, const QString& name = QStringLiteral("张三")) {
  w.Edtname->setText(name);
  w.EdtYear->setText(QStringLiteral("1990"));
  w.cbom->setCurrentIndex(2);
  w.cbod->setCurrentIndex(6);
  w.cbos->setCurrentIndex(10);
  w.cbomin->setCurrentIndex(30);
}

// Answers the dialogs a window test meets (TFrmMain::runCaseDialog): the
// save dialog with the class given, anything else cancelled.
inline std::function<int(QDialog&)> SaveIntoClass(const QString& className) {
  return [className](QDialog& d) {
    auto* save = qobject_cast<TFrmFenLei*>(&d);
    if (!save) return static_cast<int>(QDialog::Rejected);
    save->CboFenLei->setEditText(className);
    save->BtnOkClick();
    return save->result();
  };
}

// The rows of a test run in the standard look and under every skin the
// program ships: a column "skin", empty for the standard look.
inline void AddSkinRows() {
  QTest::addColumn<QString>("skin");
  QTest::newRow("standard look") << QString();
  for (const char* name : {"Mx1", "墨夜", "青瓷"}) QTest::newRow(name) << QString::fromUtf8(name);
}

// Gives a program folder the skins the program ships and chooses the one
// named in its dat/xminit.ini (empty: the setting stays as it is).
inline void UseShippedSkin(const std::filesystem::path& programDir, const QString& skin) {
  CopyFolder(std::filesystem::path(LUMTAR_SOURCE_DIR) / "data/skins", programDir / "skins");
  ChooseSkin(programDir, skin.toStdString());
}

}  // namespace lumtar::test
