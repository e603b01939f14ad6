#include "frmmain.h"

#include <QLabel>
#include <QMenuBar>

#include "frmsetcan.h"

namespace lumtar {

TFrmMain::TFrmMain(QWidget* parent) : QMainWindow(parent) {
  setWindowTitle(QStringLiteral("LumtarV3.1"));
  resize(1000, 750);
  auto* settings = menuBar()->addMenu(QStringLiteral("设置(&S)"));
  settings->addAction(QStringLiteral("排盘设置"), this, [this] { mnuSetCanClick(); });
  auto* label = new QLabel(QStringLiteral("七政四余星命"), this);
  label->setAlignment(Qt::AlignCenter);
  setCentralWidget(label);
}

TFrmMain::~TFrmMain() = default;

void TFrmMain::mnuSetCanClick() {
  TFrmSetcan dlg(this);
  dlg.exec();
}

}  // namespace lumtar
