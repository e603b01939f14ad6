#include "widgets.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QLineEdit>
#include <QRadioButton>

namespace lumtar {

void InstallFontSubstitutions() {
  QFont::insertSubstitution(QStringLiteral("宋体"), QString::fromLatin1(kSongTiFamily));
  QFont::insertSubstitution(QStringLiteral("SimSun"), QString::fromLatin1(kSongTiFamily));
  QFont::insertSubstitution(QStringLiteral("黑体"), QStringLiteral("Noto Sans CJK SC"));
  QFont::insertSubstitution(QStringLiteral("楷体_GB2312"), QString::fromLatin1(kSongTiFamily));
}

QFont SongTiPixelFont(int pixelSize) {
  QFont f(QString::fromLatin1(kSongTiFamily));
  f.setPixelSize(pixelSize);
  return f;
}

QFont SongTiPointFont(int pointSize) {
  QFont f(QString::fromLatin1(kSongTiFamily));
  f.setPointSize(pointSize);
  return f;
}

QColor ColorFromBgr(uint32_t bgr) {
  return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                static_cast<int>((bgr >> 16) & 0xFF));
}

uint32_t BgrFromColor(const QColor& c) {
  return static_cast<uint32_t>(c.red()) | (static_cast<uint32_t>(c.green()) << 8) |
         (static_cast<uint32_t>(c.blue()) << 16);
}

RadioGroup::RadioGroup(const QString& caption, const QStringList& items, int columns, QWidget* parent)
    : QGroupBox(caption, parent), group_(new QButtonGroup(this)) {
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(8, 4, 8, 4);
  grid->setVerticalSpacing(2);
  if (columns < 1) columns = 1;
  for (int i = 0; i < items.size(); ++i) {
    auto* b = new QRadioButton(items[i], this);
    group_->addButton(b, i);
    buttons_.push_back(b);
    grid->addWidget(b, i / columns, i % columns);
  }
  connect(group_, &QButtonGroup::idToggled, this, [this](int id, bool on) {
    if (on) emit itemIndexChanged(id);
  });
}

int RadioGroup::itemIndex() const { return group_->checkedId(); }

void RadioGroup::setItemIndex(int index) {
  if (index >= 0 && index < count()) buttons_[static_cast<size_t>(index)]->setChecked(true);
}

UpDownEdit::UpDownEdit(QWidget* parent) : QSpinBox(parent) {
  lineEdit()->setReadOnly(true);
  setWrapping(false);
}

ColorSwatch::ColorSwatch(QWidget* parent) : QLabel(parent) {
  setAutoFillBackground(true);
  setFrameShape(QFrame::Panel);
  setFrameShadow(QFrame::Sunken);
  setColor(Qt::white);
}

void ColorSwatch::setColor(const QColor& c) {
  color_ = c;
  setStyleSheet(QStringLiteral("background-color: %1;").arg(c.name()));
}

}  // namespace lumtar
