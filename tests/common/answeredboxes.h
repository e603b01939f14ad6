// Message boxes answered instead of a person: every box is remembered, an
// OK box is confirmed, and a Yes/No box answered as `answerYes` says (Yes
// unless told) unless an answer is set for its text. With LUMTAR_BOX_LOG
// naming a file, every box is also added to it as a line (see LogBox), for
// msgbox_preview to show them all.
#pragma once

#include <QFile>

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
      LogBox(r);
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

  // A line "icon TAB buttons TAB caption TAB text"; a backslash, tab, CR or LF
  // of the texts is written as \\ \t \r \n.
  static void LogBox(const MsgRequest& r) {
    const QString path = qEnvironmentVariable("LUMTAR_BOX_LOG");
    if (path.isEmpty()) return;
    auto escaped = [](QString t) {
      return t.replace(QLatin1Char('\\'), QLatin1String("\\\\"))
          .replace(QLatin1Char('\t'), QLatin1String("\\t"))
          .replace(QLatin1Char('\r'), QLatin1String("\\r"))
          .replace(QLatin1Char('\n'), QLatin1String("\\n"));
    };
    QFile log(path);
    if (!log.open(QIODevice::Append | QIODevice::Text)) return;
    log.write(QString::number(static_cast<int>(r.icon)).toUtf8() + '\t' +
              QString::number(static_cast<int>(r.buttons)).toUtf8() + '\t' + escaped(r.caption).toUtf8() +
              '\t' + escaped(r.text).toUtf8() + '\n');
  }

  bool answerYes;                   // the answer to a Yes/No box without one of its own

  std::map<QString, bool> answers;  // text -> Yes (true) or No
  std::vector<MsgRequest> seen;
};

}  // namespace lumtar::test
