// The help window "软件帮助": instructions for use and the version history,
// each on a read-only page.
#pragma once

#include <QDialog>

class QPushButton;
class QTabWidget;
class QTextBrowser;

namespace lumtar {

class TFrmTxtHelp : public QDialog {
  Q_OBJECT
 public:
  explicit TFrmTxtHelp(QWidget* parent = nullptr);
  ~TFrmTxtHelp() override;

  QTabWidget* PageHelp = nullptr;
  QTextBrowser* MemoUse = nullptr;      // 使用说明
  QTextBrowser* MemoHistory = nullptr;  // 版本历史
  QPushButton* BtoClose = nullptr;
};

// The texts of the two pages (HTML).
QString HelpUsageText();
QString HelpHistoryText();

}  // namespace lumtar
