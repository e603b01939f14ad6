// The one message box every window uses.
//
// Modal, owned by a window, with a fixed text, a short caption, an icon and
// either OK or Yes/No (optionally with No as the default button). Tests
// install a handler that answers instead of a person.
#pragma once

#include <QString>

#include <functional>

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

MsgResult ShowMessageBox(const MsgRequest& request);

// OK box.
void ShowMessage(QWidget* owner, const QString& text, const QString& caption,
                 MsgIcon icon = MsgIcon::Information);
// Yes/No box; true for Yes.
bool AskYesNo(QWidget* owner, const QString& text, const QString& caption,
              MsgIcon icon = MsgIcon::Information, bool noIsDefault = false);

// Replaces the real boxes (nullptr restores them). Returns the previous one.
MsgHandler SetMessageHandler(MsgHandler handler);

}  // namespace lumtar
