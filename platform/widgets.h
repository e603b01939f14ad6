// Small widgets shared by the windows: a radio group with an item index, a
// read-only number edit with an up-down control, a colour swatch, and the
// fonts the program asks for by name.
#pragma once

#include <QColor>
#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QSpinBox>
#include <QStringList>

#include <cstdint>
#include <vector>

class QButtonGroup;
class QRadioButton;

namespace lumtar {

// The CJK serif face that stands in for 宋体.
inline constexpr const char* kSongTiFamily = "Noto Serif CJK SC";

// Maps the program's Windows font names (宋体 …) to installed faces.
void InstallFontSubstitutions();
// 宋体 at a pixel size.
QFont SongTiPixelFont(int pixelSize);
// 宋体 at a Windows point size (96 dpi: size 9 is 12 pixels).
QFont SongTiPointFont(int pointSize);

// 0x00BBGGRR <-> QColor.
QColor ColorFromBgr(uint32_t bgr);
uint32_t BgrFromColor(const QColor& c);

class RadioGroup : public QGroupBox {
  Q_OBJECT
 public:
  RadioGroup(const QString& caption, const QStringList& items, int columns, QWidget* parent = nullptr);
  int itemIndex() const;
  void setItemIndex(int index);
  int count() const { return static_cast<int>(buttons_.size()); }
  QRadioButton* button(int i) const { return buttons_.at(static_cast<size_t>(i)); }
 signals:
  void itemIndexChanged(int index);

 private:
  QButtonGroup* group_;
  std::vector<QRadioButton*> buttons_;
};

// A spin box whose text cannot be typed into: only the arrows change it.
class UpDownEdit : public QSpinBox {
  Q_OBJECT
 public:
  explicit UpDownEdit(QWidget* parent = nullptr);
};

// A label painted in one colour.
class ColorSwatch : public QLabel {
  Q_OBJECT
 public:
  explicit ColorSwatch(QWidget* parent = nullptr);
  QColor color() const { return color_; }
  void setColor(const QColor& c);

 private:
  QColor color_;
};

}  // namespace lumtar
