#include "msgbox.h"

#include <QAbstractButton>
#include <QMessageBox>

namespace lumtar {
namespace {

MsgHandler& Handler() {
  static MsgHandler handler;
  return handler;
}

}  // namespace

MsgHandler SetMessageHandler(MsgHandler handler) {
  MsgHandler old = std::move(Handler());
  Handler() = std::move(handler);
  return old;
}

MsgResult ShowMessageBox(const MsgRequest& r) {
  if (Handler()) return Handler()(r);
  QMessageBox box(r.owner);
  box.setWindowTitle(r.caption);
  box.setText(r.text);
  switch (r.icon) {
    case MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
    case MsgIcon::Warning: box.setIcon(QMessageBox::Warning); break;
    case MsgIcon::Error: box.setIcon(QMessageBox::Critical); break;
  }
  if (r.buttons == MsgButtons::Ok) {
    box.setStandardButtons(QMessageBox::Ok);
    box.button(QMessageBox::Ok)->setText(QStringLiteral("确定"));
    box.exec();
    return MsgResult::Ok;
  }
  box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
  box.button(QMessageBox::Yes)->setText(QStringLiteral("是(&Y)"));
  box.button(QMessageBox::No)->setText(QStringLiteral("否(&N)"));
  box.setDefaultButton(r.buttons == MsgButtons::YesNoDefaultNo ? QMessageBox::No : QMessageBox::Yes);
  box.setEscapeButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes ? MsgResult::Yes : MsgResult::No;
}

void ShowMessage(QWidget* owner, const QString& text, const QString& caption, MsgIcon icon) {
  ShowMessageBox({owner, text, caption, icon, MsgButtons::Ok});
}

bool AskYesNo(QWidget* owner, const QString& text, const QString& caption, MsgIcon icon,
              bool noIsDefault) {
  return ShowMessageBox({owner, text, caption, icon,
                         noIsDefault ? MsgButtons::YesNoDefaultNo : MsgButtons::YesNo}) ==
         MsgResult::Yes;
}

}  // namespace lumtar
