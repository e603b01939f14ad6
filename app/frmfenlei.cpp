#include "frmfenlei.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "caseclasses.h"
#include "msgbox.h"
#include "widgets.h"

namespace lumtar {

TFrmFenLei::TFrmFenLei(const IniFile* settings, QWidget* parent, const QStringList& shown) : QDialog(parent) {
  setWindowTitle(QStringLiteral("分类保存"));
  setFont(SongTiPixelFont(14));

  Label1 = new QLabel(QStringLiteral("保存类别"), this);
  CboFenLei = MakeClassBox(this, settings, shown);
  CboFenLei->setMinimumWidth(150);
  Label1->setBuddy(CboFenLei);
  if (CboFenLei->count() > 0) CboFenLei->setCurrentIndex(0);
  else CboFenLei->setEditText(QString());

  BtnOk = new QPushButton(QStringLiteral("确定"), this);
  BtnOk->setDefault(true);
  BtnCancel = new QPushButton(QStringLiteral("取消"), this);

  auto* fieldRow = new QHBoxLayout;
  fieldRow->addWidget(Label1);
  fieldRow->addWidget(CboFenLei, 1);
  auto* buttonRow = new QHBoxLayout;
  buttonRow->addStretch(1);
  buttonRow->addWidget(BtnOk);
  buttonRow->addWidget(BtnCancel);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(12, 14, 12, 10);
  layout->setSpacing(14);
  layout->addLayout(fieldRow);
  layout->addLayout(buttonRow);
  setFixedSize(sizeHint().expandedTo(QSize(260, 100)));

  connect(BtnOk, &QPushButton::clicked, this, [this] { BtnOkClick(); });
  connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TFrmFenLei::showEvent(QShowEvent* event) {
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
  QDialog::showEvent(event);
}

void TFrmFenLei::BtnOkClick() {
  const QString text = ShownClassName(CboFenLei->currentText()).trimmed();
  if (text.isEmpty()) {
    ShowMessage(this, QStringLiteral("类别名不能为空"), QStringLiteral("错误"), MsgIcon::Error);
    return;
  }
  className = text;
  accept();
}

}  // namespace lumtar
