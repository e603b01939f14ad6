// The main window.
#pragma once

#include <QMainWindow>

namespace lumtar {

class TFrmMain : public QMainWindow {
  Q_OBJECT
 public:
  explicit TFrmMain(QWidget* parent = nullptr);
  ~TFrmMain() override;

  void mnuSetCanClick();
};

}  // namespace lumtar
