#include "frmdili.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>

#include "files.h"
#include "inifile.h"
#include "msgbox.h"
#include "places.h"
#include "scriptui.h"
#include "widgets.h"

namespace lumtar {
namespace {

constexpr int kDegreesLimitJing = 3;  // typing limits of the four boxes
constexpr int kOtherLimit = 2;

// Shows a stored piece in full. The typing limit only keeps the user from
// typing longer numbers; a longer stored text must not be cut, or saving
// it unchanged would write a different value.
void ShowPiece(QLineEdit* edit, int limit, const std::string& piece) {
  QString text = QString::fromStdString(piece);
  edit->setMaxLength(std::max(limit, static_cast<int>(text.size())));
  edit->setText(text);
}

}  // namespace

TFrmDiLi::TFrmDiLi(QWidget* parent, const QString& iniPath) : QDialog(parent) {
  setWindowTitle(QStringLiteral("经纬度修改"));
  setFont(SongTiPixelFont(14));
  setModal(true);

  QString path = iniPath.isEmpty()
                     ? QString::fromStdString(ProgramPath(kPlacesRelativePath).string())
                     : iniPath;
  ini_ = std::make_unique<IniFile>(path.toStdString());

  auto* root = new QHBoxLayout(this);
  root->setContentsMargins(10, 10, 10, 10);
  root->setSpacing(14);

  auto* lists = new QVBoxLayout();
  CboSheng = new QComboBox(this);
  CboShi = new QComboBox(this);
  for (QComboBox* c : {CboSheng, CboShi}) {
    // A list popup, so that 18 rows show in every look (a menu-like popup
    // would ignore the row count and fill the screen).
    c->setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; }"));
    c->setMaxVisibleItems(18);
    c->setMinimumWidth(170);
    c->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    lists->addWidget(c);
  }
  lists->addStretch(1);
  root->addLayout(lists);

  auto* boxes = new QGridLayout();
  boxes->setHorizontalSpacing(4);
  boxes->setVerticalSpacing(8);
  auto makeEdit = [this](int limit, int width) {
    auto* e = new QLineEdit(this);
    e->setMaxLength(limit);
    e->setFixedWidth(width);
    e->setAlignment(Qt::AlignRight);
    return e;
  };
  LedtJingDu = makeEdit(kDegreesLimitJing, 48);
  LedtJingDu->setText(QStringLiteral("120"));
  LedtJingFen = makeEdit(kOtherLimit, 38);
  LedtWeiDu = makeEdit(kOtherLimit, 48);
  LedtWeiFen = makeEdit(kOtherLimit, 38);
  auto label = [this](const char* text) { return new QLabel(QString::fromUtf8(text), this); };
  boxes->addWidget(label("经度"), 0, 0);
  boxes->addWidget(LedtJingDu, 0, 1);
  boxes->addWidget(label("度"), 0, 2);
  boxes->addWidget(LedtJingFen, 0, 3);
  boxes->addWidget(label("分"), 0, 4);
  boxes->addWidget(label("纬度"), 1, 0);
  boxes->addWidget(LedtWeiDu, 1, 1);
  boxes->addWidget(label("度"), 1, 2);
  boxes->addWidget(LedtWeiFen, 1, 3);
  boxes->addWidget(label("分"), 1, 4);
  BtoEdit = new QPushButton(QStringLiteral("修改"), this);
  auto* right = new QVBoxLayout();
  right->addLayout(boxes);
  right->addSpacing(6);
  right->addWidget(BtoEdit, 0, Qt::AlignRight);
  right->addStretch(1);
  root->addLayout(right);

  connect(CboSheng, &QComboBox::currentIndexChanged, this, [this] { CboShengClick(); });
  connect(CboShi, &QComboBox::currentIndexChanged, this, [this] { CboShiClick(); });
  connect(BtoEdit, &QPushButton::clicked, this, [this] { BtoEditClick(); });

  {
    QSignalBlocker block(CboSheng);
    for (int i = 0; i < kEditableProvinceCount; ++i)
      CboSheng->addItem(QString::fromUtf8(ProvinceNames[static_cast<size_t>(i)]));
    ShowEntriesInScript(CboSheng);
    CboSheng->setCurrentIndex(0);
  }
  CboShengClick();

  layout()->setSizeConstraint(QLayout::SetFixedSize);
}

TFrmDiLi::~TFrmDiLi() = default;

void TFrmDiLi::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (QScreen* s = screen()) {
    QRect area = s->availableGeometry();
    move(area.center() - rect().center());
  }
}

void TFrmDiLi::CboShengClick() {
  int province = CboSheng->currentIndex();
  if (province < 0) return;
  {
    QSignalBlocker block(CboShi);
    CboShi->clear();
    for (const std::string& city : ReadCityNames(*ini_, province))
      CboShi->addItem(QString::fromStdString(city));
    ShowEntriesInScript(CboShi);
    if (CboShi->count() > 0) CboShi->setCurrentIndex(0);
  }
  if (CboShi->count() > 0) CboShiClick();
}

void TFrmDiLi::CboShiClick() {
  int province = CboSheng->currentIndex();
  if (province < 0 || CboShi->currentIndex() < 0) return;
  CityValuePieces p =
      SplitCityValue(ReadCityValue(*ini_, province, CurrentEntryText(CboShi).toStdString()));
  ShowPiece(LedtJingDu, kDegreesLimitJing, p.longitudeDegrees);
  ShowPiece(LedtJingFen, kOtherLimit, p.longitudeMinutes);
  ShowPiece(LedtWeiDu, kOtherLimit, p.latitudeDegrees);
  ShowPiece(LedtWeiFen, kOtherLimit, p.latitudeMinutes);
}

void TFrmDiLi::BtoEditClick() {
  int province = CboSheng->currentIndex();
  if (province < 0 || CboShi->currentIndex() < 0) return;
  const QString provinceName = CurrentEntryText(CboSheng);
  const QString city = CurrentEntryText(CboShi);
  if (!AskYesNo(this, QStringLiteral("确定要修改：%1%2 的经纬度数据吗？").arg(provinceName, city),
                QStringLiteral("注意了"), MsgIcon::Warning, true))
    return;

  int lonDeg, lonMin, latDeg, latMin;
  if (!ParseEditorCoordinate(LedtJingDu->text().toStdString(), LedtJingFen->text().toStdString(),
                             180, &lonDeg, &lonMin)) {
    ShowMessage(this, QStringLiteral("经度在-180到180之间，分数在0-60之间"),
                QStringLiteral("输入错误"), MsgIcon::Error);
    return;
  }
  if (!ParseEditorCoordinate(LedtWeiDu->text().toStdString(), LedtWeiFen->text().toStdString(),
                             90, &latDeg, &latMin)) {
    ShowMessage(this, QStringLiteral("纬度在-90到90之间，分数在0-60之间"),
                QStringLiteral("输入错误"), MsgIcon::Error);
    return;
  }
  if (!ini_->WriteString(provinceName.toStdString(), city.toStdString(),
                         FormatCityValue(lonDeg, lonMin, latDeg, latMin))) {
    ShowMessage(this, QStringLiteral("经纬度数据没有保存：文件 dat/dili.ini 无法写入。"),
                QStringLiteral("错误"), MsgIcon::Error);
    return;
  }
  ShowMessage(this, QStringLiteral("完成"), QStringLiteral("LumtarV3.1"), MsgIcon::Information);
}

}  // namespace lumtar
