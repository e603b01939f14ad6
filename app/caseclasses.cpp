#include "caseclasses.h"

#include <QComboBox>
#include <QLineEdit>

#include <algorithm>
#include <map>
#include <string>

#include "gbk.h"
#include "inifile.h"

namespace lumtar {
namespace {

constexpr const char* kCountKey = "count";

std::string FoldedKey(std::string key) {
  for (char& c : key)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return key;
}

// The section read once: keys folded, the first of equal keys winning.
std::map<std::string, std::string> SectionMap(const IniFile& ini) {
  std::map<std::string, std::string> values;
  for (auto& [key, value] : ini.ReadSectionValues(kClassesSection)) values.emplace(FoldedKey(key), value);
  return values;
}

int ClassCount(const IniFile& ini) {
  return std::clamp(ini.ReadInteger(kClassesSection, kCountKey, 0), 0, kMaxClassCount);
}

}  // namespace

bool SameIgnoringAsciiCase(const QString& a, const QString& b) {
  return a.size() == b.size() && FoldedClassName(a) == FoldedClassName(b);
}

QString FoldedClassName(const QString& name) {
  QString folded = name;
  for (QChar& c : folded)
    if (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) c = QChar(c.unicode() - 'A' + 'a');
  return folded;
}

QString ShownClassName(const QString& name) {
  QString shown = name;
  for (QChar& c : shown)
    if (c.unicode() < 0x20 || c.unicode() == 0x7F) c = QLatin1Char(' ');
  return shown;
}

QStringList ReadClassList(const IniFile& ini, const QString& missing) {
  const int count = ClassCount(ini);
  QStringList names;
  if (count == 0) return names;
  const auto values = SectionMap(ini);
  for (int k = 1; k <= count; ++k) {
    auto it = values.find(std::to_string(k));
    const QString name = it == values.end() ? missing : QString::fromStdString(it->second);
    if (!name.isEmpty()) names << name;
  }
  return names;
}

bool ClassListHolds(const IniFile& ini, const QString& name) {
  const QStringList names = ReadClassList(ini, QString());
  return std::any_of(names.begin(), names.end(), [&](const QString& n) { return SameClassName(n, name); });
}

void AppendClassToList(IniFile& ini, const QString& name) {
  const int count = ClassCount(ini) + 1;
  ini.WriteInteger(kClassesSection, kCountKey, count);
  ini.WriteString(kClassesSection, std::to_string(count), name.toStdString());
}

bool RenameClassInList(IniFile& ini, const QString& oldName, const QString& newName) {
  const int count = ClassCount(ini);
  const auto values = SectionMap(ini);
  for (int k = 1; k <= count; ++k) {
    auto it = values.find(std::to_string(k));
    if (it != values.end() && SameClassName(QString::fromStdString(it->second), oldName)) {
      ini.WriteString(kClassesSection, std::to_string(k), newName.toStdString());
      return true;
    }
  }
  return false;
}

void WriteClassList(IniFile& ini, const QStringList& names) {
  ini.WriteInteger(kClassesSection, kCountKey, static_cast<int>(names.size()));
  for (qsizetype i = 0; i < names.size(); ++i)
    ini.WriteString(kClassesSection, std::to_string(i + 1), names[i].toStdString());
}

QComboBox* MakeClassBox(QWidget* parent, const IniFile* settings, const QStringList& shown) {
  auto* box = new QComboBox(parent);
  box->setEditable(true);
  box->setInsertPolicy(QComboBox::NoInsert);
  // A list popup, so that the row count holds in every look.
  box->setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; }"));
  box->setMaxVisibleItems(16);
  box->lineEdit()->setValidator(new GbkByteValidator(kMaxClassBytes, box));
  QStringList names;
  if (settings) names = ReadClassList(*settings, QString::fromUtf8(kMissingClassName));
  for (const QString& name : shown) {
    const bool listed = std::any_of(names.cbegin(), names.cend(),
                                    [&name](const QString& n) { return SameClassName(n, name); });
    if (!listed && !name.isEmpty()) names << name;
  }
  box->addItems(names);
  return box;
}

int GbkByteLength(const QString& text) { return static_cast<int>(Utf8ToGbk(text.toStdString()).size()); }

bool GbkCanHold(const QString& text) {
  const std::string utf8 = text.toStdString();
  return GbkToUtf8(Utf8ToGbk(utf8)) == utf8;
}

QValidator::State GbkByteValidator::validate(QString& input, int&) const {
  return GbkByteLength(input) <= maxBytes_ && GbkCanHold(input) ? Acceptable : Invalid;
}

}  // namespace lumtar
