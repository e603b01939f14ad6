#include "guardedapp.h"

#include <exception>
#include <new>

#include "frmmain.h"
#include "msgbox.h"

namespace lumtar {

bool GuardedApplication::notify(QObject* receiver, QEvent* event) {
  QString text;
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::bad_alloc&) {
    text = QStringLiteral("内存不足，操作没有完成。");
  } catch (const std::exception& e) {
    text = QStringLiteral("操作出错，没有完成：") + QString::fromLocal8Bit(e.what());
  } catch (...) {
    text = QStringLiteral("操作出错，没有完成。");
  }
  ShowMessage(activeWindow(), text, QString::fromUtf8(kAppTitle), MsgIcon::Error);
  return false;
}

}  // namespace lumtar
