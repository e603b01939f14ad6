// The main window as the window tests drive it.
#pragma once

#include <QComboBox>
#include <QCoreApplication>
#include <QString>
#include <QtTest/QTest>

#include <functional>
#include <memory>

#include "frmfenlei.h"
#include "frmmain.h"

namespace lumtar::test {

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

}  // namespace lumtar::test
