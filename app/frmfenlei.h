// The save-into-class dialog "分类保存": the class a new case is filed
// under. It lists the classes of dat/xminit.ini and those the tree shows
// besides, and takes a new one typed in as well.
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

class QComboBox;
class QLabel;
class QPushButton;

namespace lumtar {

class IniFile;

class TFrmFenLei : public QDialog {
  Q_OBJECT
 public:
  // `settings` is dat/xminit.ini (may be null: no classes offered from
  // it); `shown` the classes the tree shows, offered after those of the
  // file when the file lacks them.
  explicit TFrmFenLei(const IniFile* settings, QWidget* parent = nullptr, const QStringList& shown = {});

  QLabel* Label1 = nullptr;        // 保存类别
  QComboBox* CboFenLei = nullptr;  // editable, at most 13 bytes
  QPushButton* BtnOk = nullptr;      // 确定
  QPushButton* BtnCancel = nullptr;  // 取消

  // The chosen class, trimmed; set when the dialog closes with OK.
  QString className;

  // Trims the text; an empty one is refused with a message and the dialog
  // stays open, otherwise it closes with OK.
  void BtnOkClick();

 protected:
  void showEvent(QShowEvent* event) override;
};

}  // namespace lumtar
