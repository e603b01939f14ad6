// The search dialog "查找命例": conditions on sex, birth-year range,
// province, class and name over the whole case store. The conditions belong
// to the main window and outlive the dialog, which reopens with the last
// ones; the matching slots go back to the main window for its tree.
#pragma once

#include <QDialog>
#include <QWidget>

#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace lumtar {

class IniFile;
class MDataBase;
class RadioGroup;
struct SearchCriteria;

// The small moving picture of a file search: a magnifier sweeping over a
// page. Hidden except while a search runs.
class SearchAnimation : public QWidget {
  Q_OBJECT
 public:
  explicit SearchAnimation(QWidget* parent = nullptr);
  void Start();
  void Stop();
  bool IsRunning() const;
  QSize sizeHint() const override { return {36, 28}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QTimer* timer_;
  int frame_ = 0;
};

class TFrmSearch : public QDialog {
  Q_OBJECT
 public:
  // `criteria` and `store` must outlive the dialog; `settings` is
  // dat/xminit.ini for the class list (may be null), `shown` the classes the
  // tree shows, offered after those of the file when the file lacks them.
  TFrmSearch(SearchCriteria& criteria, MDataBase& store, const IniFile* settings,
             QWidget* parent = nullptr, const QStringList& shown = {});

  RadioGroup* RdoSex = nullptr;     // 性别: 不分, 男, 女
  QComboBox* cbodiZ = nullptr;      // " " for any, then the provinces
  QLineEdit* LedtY1 = nullptr;      // 出生年从
  QLineEdit* LedtY2 = nullptr;      // 到
  QComboBox* CboFenLei = nullptr;   // 类别, editable
  QCheckBox* ChkClass = nullptr;    // 全字匹配 of the class
  QLineEdit* Edtname = nullptr;     // 姓名
  QCheckBox* ChkName = nullptr;     // 全字匹配 of the name
  SearchAnimation* Animate1 = nullptr;
  QPushButton* BtoAll = nullptr;     // 全部
  QPushButton* BtnSearch = nullptr;  // 查找
  QPushButton* BtoCancel = nullptr;  // 关闭

  // The result: the matching slots in ascending order, and whether the
  // main window is to show them.
  std::vector<int> foundSlots;
  bool showResult = false;

  // Sets the controls from the conditions and clears the result flag.
  void LoadCriteria();
  // Takes the conditions from the controls and searches; true when the
  // result is to be shown. Conditions taken before a failing step stay.
  bool CollectAndSearch();
  void BtnSearchClick();
  void BtoAllClick();
  void BtoCancelClick();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  SearchCriteria& criteria_;
  MDataBase& store_;
};

}  // namespace lumtar
