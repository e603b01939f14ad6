// The chart settings dialog "排盘设置": edits the six keys of dat/set.ini.
#pragma once

#include <QDialog>

#include <functional>
#include <memory>

#include "inifile.h"

class QPushButton;
class QColorDialog;
class QLineEdit;

namespace lumtar {

class RadioGroup;
class UpDownEdit;
class ColorSwatch;

class TFrmSetcan : public QDialog {
  Q_OBJECT
 public:
  // Opens the program folder's dat/set.ini, or `iniPath` when given.
  explicit TFrmSetcan(QWidget* parent = nullptr, const QString& iniPath = QString());
  ~TFrmSetcan() override;

  RadioGroup* Rdozx_style = nullptr;
  ColorSwatch* Labzx_Color = nullptr;
  QPushButton* Button1 = nullptr;  // 设置
  RadioGroup* Rdozx_luoji = nullptr;
  RadioGroup* RdoMingGong = nullptr;
  QLineEdit* LedtRangle = nullptr;
  UpDownEdit* UpRangle = nullptr;
  RadioGroup* RdoDate = nullptr;
  QPushButton* Button2 = nullptr;  // 默认值
  QPushButton* BitBtn1 = nullptr;  // 确认
  QPushButton* BitBtn2 = nullptr;  // 取消

  void Button1Click();
  void Button2Click();
  void BitBtn1Click();

  // The colour dialog used by "设置"; tests replace it.
  std::function<bool(QColor*)> chooseColor;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  std::unique_ptr<IniFile> ini_;
};

}  // namespace lumtar
