// The annual chart's time dialog "流年时间(公历)": a Gregorian moment and its
// time zone for the next annual chart. It is preset with the main window's
// proposal and, on a valid confirmation, writes the moment (as a Julian day,
// civil time in the chosen zone) and the zone's list position back.
#pragma once

#include <QDialog>

#include "yidateex.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace lumtar {

class UpDown;

class TFrmLiu : public QDialog {
  Q_OBJECT
 public:
  // Shows the proposal *timeZoneIndex and *momentJd; writes both back when
  // "确定" finds a valid date. Both must outlive the dialog. With a
  // `localZone` the zone list ends with the entry "当地时间 (zone)"
  // (kLocalTimeZoneIndex), the clock of that IANA zone.
  TFrmLiu(int* timeZoneIndex, double* momentJd, QWidget* parent = nullptr, const QString& localZone = {});

  QToolButton* SbtoNow = nullptr;  // 现在时间
  QLineEdit* EdtYear = nullptr;
  UpDown* UpDyear = nullptr;  // year − 619, not attached to the edit
  QComboBox* cbom = nullptr;
  QComboBox* cbod = nullptr;
  QComboBox* cbos = nullptr;
  QComboBox* cbomin = nullptr;
  QLabel* Label4 = nullptr;  // 时区
  QComboBox* Cboshiqu = nullptr;
  QPushButton* Btnok = nullptr;      // 确定
  QPushButton* Btncancel = nullptr;  // 取消

  // The current local date and time into the date controls.
  void SbtoNowClick();
  // The up-down's position plus 619 into the year edit.
  void UpDyearClick();
  // Checks the year (619..2100) and the date; on success writes the
  // values back and closes with OK, otherwise says why and stays open.
  void BtnokClick();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  int* timeZoneIndex_;
  double* momentJd_;
  calendar::MYiDateEx dateService_;
};

}  // namespace lumtar
