// The program's application object. An exception thrown while an event is
// handled ends that handler only: it is said in a message box, and the
// windows with what they hold (an unsaved comment) stay.
#pragma once

#include <QApplication>

namespace lumtar {

class GuardedApplication : public QApplication {
 public:
  using QApplication::QApplication;
  bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace lumtar
