// The one message box every window uses.
//
// Modal, owned by a window, with a fixed text, a short caption, an icon and
// either OK or Yes/No (optionally with No as the default button). Tests
// install a handler that answers instead of a person.
#pragma once

#include <QString>

#include <functional>
#include <memory>

class QMessageBox;
class QWidget;

namespace lumtar {

enum class MsgIcon { Information, Warning, Error };
enum class MsgButtons { Ok, YesNo, YesNoDefaultNo };
enum class MsgResult { Ok, Yes, No };

struct MsgRequest {
  QWidget* owner = nullptr;
  QString text;
  QString caption;
  MsgIcon icon = MsgIcon::Information;
  MsgButtons buttons = MsgButtons::Ok;
};

using MsgHandler = std::function<MsgResult(const MsgRequest&)>;

// A request's text may hold parts marked Verbatim (a name a person typed,
// a path): under traditional characters they are shown as they are. A
// handler gets the texts without the marks.
MsgResult ShowMessageBox(const MsgRequest& request);
QString Verbatim(const QString& text);

// The box ShowMessageBox shows for `request`, not yet shown (for looking at
// the boxes without answering them).
std::unique_ptr<QMessageBox> BuildMessageBox(const MsgRequest& request);

// OK box.
void ShowMessage(QWidget* owner, const QString& text, const QString& caption,
                 MsgIcon icon = MsgIcon::Information);
// Yes/No box; true for Yes.
bool AskYesNo(QWidget* owner, const QString& text, const QString& caption,
              MsgIcon icon = MsgIcon::Information, bool noIsDefault = false);

// Replaces the real boxes (nullptr restores them). Returns the previous one.
MsgHandler SetMessageHandler(MsgHandler handler);

}  // namespace lumtar
