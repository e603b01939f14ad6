// The place editor "经纬度修改": corrects the coordinates of a city of
// dat/dili.ini. It neither adds nor removes cities or provinces; a change
// goes to the file at once.
#pragma once

#include <QDialog>

#include <memory>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace lumtar {

class IniFile;

class TFrmDiLi : public QDialog {
  Q_OBJECT
 public:
  // Edits the program folder's dat/dili.ini, or `iniPath` when given.
  explicit TFrmDiLi(QWidget* parent = nullptr, const QString& iniPath = QString());
  ~TFrmDiLi() override;

  QComboBox* CboSheng = nullptr;   // the 34 provinces with a section
  QComboBox* CboShi = nullptr;     // the cities of the chosen province
  QLineEdit* LedtJingDu = nullptr;
  QLineEdit* LedtJingFen = nullptr;
  QLineEdit* LedtWeiDu = nullptr;
  QLineEdit* LedtWeiFen = nullptr;
  QPushButton* BtoEdit = nullptr;  // 修改

  void CboShengClick();
  void CboShiClick();
  void BtoEditClick();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  std::unique_ptr<IniFile> ini_;
};

}  // namespace lumtar
