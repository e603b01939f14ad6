// Message boxes answered instead of a person: every box is remembered, an
// OK box is confirmed, and a Yes/No box answered Yes unless an answer is
// set for its text.
#pragma once

#include <QString>
#include <QStringList>

#include <map>
#include <vector>

#include "msgbox.h"

namespace lumtar::test {

class AnsweredBoxes {
 public:
  AnsweredBoxes() {
    SetMessageHandler([this](const MsgRequest& r) {
      seen.push_back(r);
      if (r.buttons == MsgButtons::Ok) return MsgResult::Ok;
      auto it = answers.find(r.text);
      return it == answers.end() || it->second ? MsgResult::Yes : MsgResult::No;
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
  void Clear() { seen.clear(); }

  std::map<QString, bool> answers;  // text -> Yes (true) or No
  std::vector<MsgRequest> seen;
};

}  // namespace lumtar::test
