#include "frmsetcan.h"

#include <QColorDialog>
#include <QGridLayout>
#include <QGuiApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <utility>

#include "chartrequest.h"
#include "files.h"
#include "msgbox.h"
#include "widgets.h"

namespace lumtar {

TFrmSetcan::TFrmSetcan(QWidget* parent, const QString& iniPath) : QDialog(parent) {
  setWindowTitle(QStringLiteral("排盘设置"));
  setFont(SongTiPixelFont(14));
  setModal(true);

  QString path = iniPath.isEmpty() ? QString::fromStdString(ProgramPath(kSettingsRelativePath).string())
                                   : iniPath;
  ini_ = std::make_unique<IniFile>(path.toStdString());

  auto* root = new QVBoxLayout(this);
  root->setContentsMargins(8, 8, 8, 8);
  root->setSpacing(6);

  Rdozx_style = new RadioGroup(QStringLiteral("星盘制式"), {QStringLiteral("黄道制"), QStringLiteral("赤道制")}, 2, this);
  root->addWidget(Rdozx_style);

  auto* group1 = new QGroupBox(QStringLiteral("背景色"), this);
  auto* g1 = new QHBoxLayout(group1);
  g1->setContentsMargins(8, 4, 8, 4);
  Labzx_Color = new ColorSwatch(group1);
  Labzx_Color->setMinimumSize(120, 22);
  Button1 = new QPushButton(QStringLiteral("设置"), group1);
  g1->addWidget(Labzx_Color, 1);
  g1->addWidget(Button1);
  root->addWidget(group1);

  Rdozx_luoji = new RadioGroup(QStringLiteral("罗喉、计都"), {QStringLiteral("罗南计北"), QStringLiteral("罗北计南")}, 2, this);
  root->addWidget(Rdozx_luoji);

  RdoMingGong = new RadioGroup(QStringLiteral("命宫起法"), {QStringLiteral("弧角计算"), QStringLiteral("按时支起")}, 2, this);
  root->addWidget(RdoMingGong);

  auto* orbRow = new QHBoxLayout();
  auto* orbLabel = new QLabel(QStringLiteral("相位误差值"), this);
  LedtRangle = new QLineEdit(this);  // kept for the caption's buddy; the up-down shows the value
  LedtRangle->hide();
  UpRangle = new UpDownEdit(this);
  UpRangle->setRange(1, 10);
  UpRangle->setMaximumWidth(60);
  orbLabel->setBuddy(UpRangle);
  orbRow->addWidget(orbLabel);
  orbRow->addWidget(UpRangle);
  orbRow->addStretch(1);
  root->addLayout(orbRow);

  RdoDate = new RadioGroup(QStringLiteral("干支时间"),
                           {QStringLiteral("北京时间"), QStringLiteral("真太阳时"), QStringLiteral("地方时")}, 3, this);
  root->addWidget(RdoDate);

  auto* buttons = new QHBoxLayout();
  Button2 = new QPushButton(QStringLiteral("默认值"), this);
  BitBtn1 = new QPushButton(QStringLiteral("确认"), this);
  BitBtn2 = new QPushButton(QStringLiteral("取消"), this);
  BitBtn1->setDefault(true);
  buttons->addWidget(Button2);
  buttons->addStretch(1);
  buttons->addWidget(BitBtn1);
  buttons->addWidget(BitBtn2);
  root->addLayout(buttons);

  connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
  connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
  connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
  connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);

  chooseColor = [this](QColor* c) {
    QColor chosen = QColorDialog::getColor(*c, this, QStringLiteral("颜色"));
    if (!chosen.isValid()) return false;
    *c = chosen;
    return true;
  };

  // The six keys as the next chart reads them: a hand-edited value outside
  // its range shows as the value the chart will use, so "确认" without a
  // change keeps the chart as it is.
  const ChartSettings s = ReadChartSettings(*ini_);
  Rdozx_style->setItemIndex(s.frame);
  Labzx_Color->setColor(ColorFromBgr(s.backgroundColour));
  Rdozx_luoji->setItemIndex(s.nodeConvention);
  UpRangle->setValue(s.aspectOrb);
  RdoMingGong->setItemIndex(s.ascendantMethod);
  RdoDate->setItemIndex(s.pillarTime);

  setFixedSize(sizeHint().expandedTo(QSize(275, 321)));
}

TFrmSetcan::~TFrmSetcan() = default;

void TFrmSetcan::showEvent(QShowEvent* event) {
  // In the middle of the screen, wherever the main window is.
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
  QDialog::showEvent(event);
}

void TFrmSetcan::Button1Click() {
  QColor c = Labzx_Color->color();
  if (chooseColor && chooseColor(&c)) Labzx_Color->setColor(c);
}

void TFrmSetcan::Button2Click() {
  Rdozx_style->setItemIndex(0);
  Labzx_Color->setColor(ColorFromBgr(0xFFFFFF));
  Rdozx_luoji->setItemIndex(0);
  UpRangle->setValue(3);
  RdoMingGong->setItemIndex(0);
  RdoDate->setItemIndex(0);
}

void TFrmSetcan::BitBtn1Click() {
  // Every group shows a selection; a group without one would write its default.
  auto index = [](RadioGroup* g) { return g->itemIndex() < 0 ? 0 : g->itemIndex(); };
  const std::pair<const char*, int> keys[] = {
      {"guidao", index(Rdozx_style)},
      {"bkcolor", static_cast<int>(BgrFromColor(Labzx_Color->color()))},
      {"luoji", index(Rdozx_luoji)},
      {"npos", UpRangle->value()},
      {"mgong", index(RdoMingGong)},
      {"iDate", index(RdoDate)},
  };
  for (const auto& [key, value] : keys) {
    if (!ini_->WriteInteger(kSettingsSection, key, value)) {
      // The dialog stays open: the choices are not lost, and the user may
      // cancel.
      ShowMessage(this, QStringLiteral("排盘设置没有保存：文件 dat/set.ini 无法写入。"), QStringLiteral("错误"),
                  MsgIcon::Error);
      return;
    }
  }
  accept();
}

}  // namespace lumtar
