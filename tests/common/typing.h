// Typing into a widget as a keyboard does, one character a key press, any
// character (QTest's key clicks take ASCII only).
#pragma once

#include <QApplication>
#include <QKeyEvent>
#include <QString>
#include <QWidget>

namespace lumtar::test {

inline void TypeText(QWidget* widget, const QString& text) {
  for (QChar c : text) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
    QApplication::sendEvent(widget, &press);
  }
}

}  // namespace lumtar::test
