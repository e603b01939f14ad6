#include "editordialogs.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QDoubleValidator>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPrintDialog>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <filesystem>

#include "files.h"
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

// The four styles a face is offered in; bold and italic are drawn for a
// face that has no such cut, as CJK faces mostly have none.
const char* const kFontStyles[] = {"常规", "倾斜", "粗体", "粗偏斜"};
constexpr double kFontSizes[] = {8, 9, 10, 10.5, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};
constexpr double kMaxFontSize = 1638;  // the largest size a rich-text file holds

QListWidget* PickList(QWidget* parent, const QStringList& items, int visibleRows) {
  auto* list = new QListWidget(parent);
  list->addItems(items);
  list->setMinimumHeight(visibleRows * list->fontMetrics().height() + 6);
  return list;
}

// The font dialog: face, style, size, strike-out and underline, and the
// text colour from a list, with a sample.
class FontColorDialog : public QDialog {
 public:
  FontColorDialog(QWidget* owner, const FontChoice& preset) : QDialog(owner), presetSize_(PresetSize(preset.font)) {
    setWindowTitle(QStringLiteral("字体"));

    // A face asked for by its Windows name (宋体) is shown as the face that
    // stands in for it.
    const QString family = QFontInfo(preset.font).family();
    QStringList families = QFontDatabase::families();
    if (!families.contains(family)) families.prepend(family);
    families_ = PickList(this, families, 8);
    families_->setCurrentRow(static_cast<int>(families.indexOf(family)));

    QStringList styleNames;
    for (const char* name : kFontStyles) styleNames << QString::fromUtf8(name);
    styles_ = PickList(this, styleNames, 8);
    styles_->setCurrentRow((preset.font.bold() ? 2 : 0) + (preset.font.italic() ? 1 : 0));

    sizes_ = new QComboBox(this);
    sizes_->setEditable(true);
    sizes_->setInsertPolicy(QComboBox::NoInsert);
    for (double size : kFontSizes) sizes_->addItem(QString::number(size));
    sizes_->setValidator(new QDoubleValidator(1, kMaxFontSize, 1, sizes_));
    sizes_->setCurrentText(QString::number(presetSize_));

    strikeOut_ = new QCheckBox(QStringLiteral("删除线(&K)"), this);
    strikeOut_->setChecked(preset.font.strikeOut());
    underline_ = new QCheckBox(QStringLiteral("下划线(&U)"), this);
    underline_->setChecked(preset.font.underline());

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

    sample_ = new QLabel(QStringLiteral("AaBbYyZz 七政四余"), this);
    sample_->setAlignment(Qt::AlignCenter);
    sample_->setFrameShape(QFrame::StyledPanel);
    // On the ground of text boxes, light in every look, so that the usual
    // dark colours read also where a skin darkens the dialog.
    sample_->setBackgroundRole(QPalette::Base);
    sample_->setAutoFillBackground(true);
    sample_->setFixedSize(240, 64);

    auto* grid = new QGridLayout;
    auto caption = [this](const char* text, QWidget* buddy) {
      auto* label = new QLabel(QString::fromUtf8(text), this);
      label->setBuddy(buddy);
      return label;
    };
    grid->addWidget(caption("字体(&F):", families_), 0, 0);
    grid->addWidget(caption("字形(&Y):", styles_), 0, 1);
    grid->addWidget(caption("大小(&S):", sizes_), 0, 2);
    grid->addWidget(families_, 1, 0);
    grid->addWidget(styles_, 1, 1);
    grid->addWidget(sizes_, 1, 2, Qt::AlignTop);
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(1, 2);
    grid->setColumnStretch(2, 1);

    auto* effects = new QGroupBox(QStringLiteral("效果"), this);
    auto* effectsBox = new QVBoxLayout(effects);
    effectsBox->addWidget(strikeOut_);
    effectsBox->addWidget(underline_);
    effectsBox->addWidget(caption("颜色(&C):", colors_));
    effectsBox->addWidget(colors_);
    auto* sampleBox = new QGroupBox(QStringLiteral("示例"), this);
    auto* sampleLayout = new QVBoxLayout(sampleBox);
    sampleLayout->addWidget(sample_, 0, Qt::AlignCenter);
    auto* lower = new QHBoxLayout;
    lower->addWidget(effects);
    lower->addWidget(sampleBox, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* box = new QVBoxLayout(this);
    box->addLayout(grid);
    box->addLayout(lower);
    box->addWidget(buttons);

    connect(families_, &QListWidget::currentRowChanged, this, [this] { ShowSample(); });
    connect(styles_, &QListWidget::currentRowChanged, this, [this] { ShowSample(); });
    connect(sizes_, &QComboBox::currentTextChanged, this, [this] { ShowSample(); });
    connect(strikeOut_, &QCheckBox::toggled, this, [this] { ShowSample(); });
    connect(underline_, &QCheckBox::toggled, this, [this] { ShowSample(); });
    connect(colors_, &QComboBox::currentIndexChanged, this, [this] { ShowSample(); });
    ShowSample();
  }

  FontChoice Choice() const {
    QFont font(families_->currentItem() ? families_->currentItem()->text() : QString());
    // A size left empty or out of range keeps the one the dialog came with.
    bool ok = false;
    double size = sizes_->currentText().toDouble(&ok);
    if (!ok || size < 1 || size > kMaxFontSize) size = presetSize_;
    font.setPointSizeF(size);
    const int style = std::max(0, styles_->currentRow());
    font.setBold(style >= 2);
    font.setItalic(style % 2 == 1);
    font.setStrikeOut(strikeOut_->isChecked());
    font.setUnderline(underline_->isChecked());
    return {font, colors_->currentData().value<QColor>()};
  }

 private:
  static double PresetSize(const QFont& font) {
    if (font.pointSizeF() > 0) return font.pointSizeF();
    if (font.pixelSize() > 0) return font.pixelSize() * 0.75;
    return 12;
  }

  void ShowSample() {
    const FontChoice choice = Choice();
    QFont shown = choice.font;
    // The sample keeps to its frame.
    shown.setPointSizeF(std::min(shown.pointSizeF(), 28.0));
    sample_->setFont(shown);
    QPalette pal = sample_->palette();
    pal.setColor(QPalette::WindowText, choice.color);
    sample_->setPalette(pal);
  }

  double presetSize_;
  QListWidget* families_;
  QListWidget* styles_;
  QComboBox* sizes_;
  QCheckBox* strikeOut_;
  QCheckBox* underline_;
  QComboBox* colors_;
  QLabel* sample_;
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
  if (!request.folder.isEmpty()) dialog.setDirectory(request.folder);
  if (!request.fileName.isEmpty()) dialog.selectFile(request.fileName);
  QComboBox* options = nullptr;
  if (!request.options.isEmpty()) {
    // The dialog's own widgets, with the choice in a row of its own below
    // the file type.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    options = new QComboBox(&dialog);
    options->addItems(request.options);
    options->setCurrentIndex(std::clamp(request.option, 0, static_cast<int>(request.options.size()) - 1));
    if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) {
      const int row = grid->rowCount();
      grid->addWidget(new QLabel(request.optionLabel, &dialog), row, 0);
      grid->addWidget(options, row, 1);
    }
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  answer->fileName = dialog.selectedFiles().first();
  answer->filterIndex = std::max(1, static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1);
  answer->option = options ? options->currentIndex() : 0;
  return true;
}

FileDialogHandler SetFileDialogHandler(FileDialogHandler handler) {
  return Swap(std::move(handler));
}

bool ConfirmOverwrite(QWidget* owner, const QString& path) {
  const QFileInfo info(path);
  if (!info.exists()) return true;
  return AskYesNo(owner, QStringLiteral("%1 已存在。\n要替换它吗？").arg(Verbatim(info.fileName())),
                  QStringLiteral("确认另存为"), MsgIcon::Warning, true);
}

namespace {

// The folder chooser. It is Qt's own dialog in every desktop, so that a
// folder typed into it that does not exist can be created on
// confirmation (Qt's refuses it as not found).
class FolderDialog : public QFileDialog {
 public:
  FolderDialog(QWidget* owner, const QString& title, const QString& folder) : QFileDialog(owner, title, folder) {
    setFileMode(QFileDialog::Directory);
    setOptions(QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
    // Qt's dialog greys its button while the typed folder does not exist;
    // here such a folder can be chosen, to be created.
    auto* name = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    auto* buttons = findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
    if (name && buttons)
      connect(name, &QLineEdit::textChanged, this, [buttons](const QString& text) {
        if (QPushButton* choose = buttons->button(QDialogButtonBox::Open))
          if (!text.trimmed().isEmpty()) choose->setEnabled(true);
      });
  }

  void accept() override {
    const QStringList chosen = selectedFiles();
    if (!chosen.isEmpty()) {
      const QString folder = QDir::cleanPath(chosen.first());
      const QFileInfo info(folder);
      if (!info.exists() && !info.isSymLink()) {
        if (!AskYesNo(this, QStringLiteral("文件夹“%1”不存在，要创建它吗？").arg(Verbatim(QDir::toNativeSeparators(folder))),
                      QStringLiteral("确认"), MsgIcon::Information))
          return;
        if (!CreateDirectories(std::filesystem::path(QFile::encodeName(folder).toStdString()))) {
          ShowMessage(this, QStringLiteral("无法创建文件夹“%1”。").arg(Verbatim(QDir::toNativeSeparators(folder))),
                      QStringLiteral("错误"), MsgIcon::Error);
          return;
        }
      }
    }
    QFileDialog::accept();
  }
};

}  // namespace

bool ChooseFolder(QWidget* owner, const QString& title, QString* folder) {
  FolderDialog dialog(owner, title, *folder);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  *folder = QDir::cleanPath(dialog.selectedFiles().first());
  return true;
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
