#include "editordialogs.h"

#include <QColorDialog>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QFontInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPrintDialog>
#include <QPushButton>
#include <QVBoxLayout>

#include "msgbox.h"
#include "textio.h"

namespace lumtar {
namespace {

// The handler in place of one kind of dialog; empty for the real dialog.
template <typename Handler>
Handler& Installed() {
  static Handler handler;
  return handler;
}

template <typename Handler>
Handler Swap(Handler handler) {
  Handler old = std::move(Installed<Handler>());
  Installed<Handler>() = std::move(handler);
  return old;
}

// The sixteen colours of the Windows font dialog.
struct NamedColor {
  const char* name;
  QRgb rgb;
};
constexpr NamedColor kFontColors[] = {
    {"黑色", 0x000000}, {"褐红色", 0x800000}, {"绿色", 0x008000}, {"橄榄色", 0x808000},
    {"藏青色", 0x000080}, {"紫色", 0x800080}, {"深青色", 0x008080}, {"灰色", 0x808080},
    {"银色", 0xC0C0C0}, {"红色", 0xFF0000}, {"酸橙色", 0x00FF00}, {"黄色", 0xFFFF00},
    {"蓝色", 0x0000FF}, {"紫红色", 0xFF00FF}, {"水绿色", 0x00FFFF}, {"白色", 0xFFFFFF},
};

QIcon Swatch(const QColor& c) {
  QPixmap p(24, 12);
  p.fill(c);
  return QIcon(p);
}

// Qt's font dialog with the colour list below it.
class FontColorDialog : public QDialog {
 public:
  FontColorDialog(QWidget* owner, const FontChoice& preset) : QDialog(owner) {
    setWindowTitle(QStringLiteral("字体"));
    fonts_ = new QFontDialog(this);
    fonts_->setWindowFlags(Qt::Widget);
    fonts_->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
    // A family asked for by its Windows name (宋体) is shown as the face
    // that stands in for it.
    QFont shown = preset.font;
    shown.setFamily(QFontInfo(preset.font).family());
    fonts_->setCurrentFont(shown);

    colors_ = new QComboBox(this);
    colors_->setIconSize(QSize(24, 12));
    int current = -1;
    for (const NamedColor& c : kFontColors) {
      const QColor color = QColor::fromRgb(c.rgb);
      if (color == preset.color.toRgb()) current = colors_->count();
      colors_->addItem(Swatch(color), QString::fromUtf8(c.name), color);
    }
    if (current < 0) {
      current = colors_->count();
      colors_->addItem(Swatch(preset.color), QStringLiteral("自定义"), preset.color);
    }
    colors_->setCurrentIndex(current);

    auto* colorRow = new QHBoxLayout;
    auto* colorLabel = new QLabel(QStringLiteral("颜色(&C):"), this);
    colorLabel->setBuddy(colors_);
    colorRow->addWidget(colorLabel);
    colorRow->addWidget(colors_);
    colorRow->addStretch(1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* box = new QVBoxLayout(this);
    box->addWidget(fonts_);
    box->addLayout(colorRow);
    box->addWidget(buttons);
  }

  FontChoice Choice() const {
    return {fonts_->currentFont(), colors_->currentData().value<QColor>()};
  }

 private:
  QFontDialog* fonts_;
  QComboBox* colors_;
};

}  // namespace

bool ChooseFont(QWidget* owner, FontChoice* choice) {
  if (Installed<FontDialogHandler>()) return Installed<FontDialogHandler>()(owner, choice);
  FontColorDialog dialog(owner, *choice);
  if (dialog.exec() != QDialog::Accepted) return false;
  *choice = dialog.Choice();
  return true;
}

FontDialogHandler SetFontDialogHandler(FontDialogHandler handler) {
  return Swap(std::move(handler));
}

bool ChooseColor(QWidget* owner, QColor* color) {
  if (Installed<ColorDialogHandler>()) return Installed<ColorDialogHandler>()(owner, color);
  const QColor chosen = QColorDialog::getColor(*color, owner, QStringLiteral("颜色"));
  if (!chosen.isValid()) return false;
  *color = chosen;
  return true;
}

ColorDialogHandler SetColorDialogHandler(ColorDialogHandler handler) {
  return Swap(std::move(handler));
}

bool RunFileDialog(const FileDialogRequest& request, FileDialogAnswer* answer) {
  if (Installed<FileDialogHandler>()) return Installed<FileDialogHandler>()(request, answer);
  QFileDialog dialog(request.owner, request.title);
  dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  const QStringList filters = QtNameFilters(request.filter);
  dialog.setNameFilters(filters);
  if (request.filterIndex >= 1 && request.filterIndex <= filters.size())
    dialog.selectNameFilter(filters[request.filterIndex - 1]);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  answer->fileName = dialog.selectedFiles().first();
  answer->filterIndex = std::max(1, static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1);
  return true;
}

FileDialogHandler SetFileDialogHandler(FileDialogHandler handler) {
  return Swap(std::move(handler));
}

bool ConfirmOverwrite(QWidget* owner, const QString& path) {
  const QFileInfo info(path);
  if (!info.exists()) return true;
  return AskYesNo(owner, QStringLiteral("%1 已存在。\n要替换它吗？").arg(info.fileName()),
                  QStringLiteral("确认另存为"), MsgIcon::Warning, true);
}

bool RunPrintDialog(QWidget* owner, QPrinter* printer) {
  if (Installed<PrintDialogHandler>()) return Installed<PrintDialogHandler>()(owner, printer);
  QPrintDialog dialog(printer, owner);
  return dialog.exec() == QDialog::Accepted;
}

PrintDialogHandler SetPrintDialogHandler(PrintDialogHandler handler) {
  return Swap(std::move(handler));
}

}  // namespace lumtar
