// Message boxes answered instead of a person: every box is remembered, an
// OK box is confirmed, and a Yes/No box answered as `answerYes` says (Yes
// unless told) unless an answer is set for its text.
#pragma once

#include <QString>
#include <QStringList>

#include <map>
#include <vector>

#include "msgbox.h"

namespace lumtar::test {

class AnsweredBoxes {
 public:
  explicit AnsweredBoxes(bool answerYes = true) : answerYes(answerYes) {
    SetMessageHandler([this](const MsgRequest& r) {
      seen.push_back(r);
      if (r.buttons == MsgButtons::Ok) return MsgResult::Ok;
      auto it = answers.find(r.text);
      return (it == answers.end() ? this->answerYes : it->second) ? MsgResult::Yes : MsgResult::No;
    });
  }
  ~AnsweredBoxes() { SetMessageHandler(nullptr); }
  AnsweredBoxes(const AnsweredBoxes&) = delete;
  AnsweredBoxes& operator=(const AnsweredBoxes&) = delete;

  QStringList Texts() const {
    QStringList t;
    for (const auto& r : seen) t << r.text;
    return t;
  }
  // Each box as "caption|text|icon".
  QStringList Seen() const {
    QStringList t;
    for (const auto& r : seen)
      t << r.caption + QLatin1Char('|') + r.text + QLatin1Char('|') +
               (r.icon == MsgIcon::Error ? "error" : r.icon == MsgIcon::Warning ? "warning" : "information");
    return t;
  }
  void Clear() { seen.clear(); }

  bool answerYes;                   // the answer to a Yes/No box without one of its own

  std::map<QString, bool> answers;  // text -> Yes (true) or No
  std::vector<MsgRequest> seen;
};

}  // namespace lumtar::test
