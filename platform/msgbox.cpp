#include "msgbox.h"

#include <QAbstractButton>
#include <QLabel>
#include <QMessageBox>

#include "script.h"
#include "scriptui.h"

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

QString Verbatim(const QString& text) {
  return QString::fromUtf8(kVerbatimBegin) + text + QString::fromUtf8(kVerbatimEnd);
}

namespace {

QString WithoutMarks(const QString& text) {
  QString out = text;
  return out.remove(QString::fromUtf8(kVerbatimBegin)).remove(QString::fromUtf8(kVerbatimEnd));
}

}  // namespace

std::unique_ptr<QMessageBox> BuildMessageBox(const MsgRequest& r) {
  auto box = std::make_unique<QMessageBox>(r.owner);
  box->setWindowTitle(WithoutMarks(r.caption));
  // The text is taken in the script here, its verbatim parts left as they
  // are; the label then keeps it as it is.
  box->setText(WithoutMarks(ShownText(r.text)));
  if (auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))) KeepTextAsIs(label);
  switch (r.icon) {
    case MsgIcon::Information: box->setIcon(QMessageBox::Information); break;
    case MsgIcon::Warning: box->setIcon(QMessageBox::Warning); break;
    case MsgIcon::Error: box->setIcon(QMessageBox::Critical); break;
  }
  if (r.buttons == MsgButtons::Ok) {
    box->setStandardButtons(QMessageBox::Ok);
    box->button(QMessageBox::Ok)->setText(QStringLiteral("确定"));
    return box;
  }
  box->setStandardButtons(QMessageBox::Yes | QMessageBox::No);
  box->button(QMessageBox::Yes)->setText(QStringLiteral("是(&Y)"));
  box->button(QMessageBox::No)->setText(QStringLiteral("否(&N)"));
  box->setDefaultButton(r.buttons == MsgButtons::YesNoDefaultNo ? QMessageBox::No : QMessageBox::Yes);
  box->setEscapeButton(QMessageBox::No);
  return box;
}

MsgResult ShowMessageBox(const MsgRequest& r) {
  if (Handler()) {
    MsgRequest shown = r;
    shown.text = WithoutMarks(r.text);
    shown.caption = WithoutMarks(r.caption);
    return Handler()(shown);
  }
  const std::unique_ptr<QMessageBox> box = BuildMessageBox(r);
  const int answer = box->exec();
  if (r.buttons == MsgButtons::Ok) return MsgResult::Ok;
  return answer == QMessageBox::Yes ? MsgResult::Yes : MsgResult::No;
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
