// The class list (类别) of the cases as dat/xminit.ini keeps it: section
// "classes", key "count" with the number n of classes and keys "1" … "n"
// with their names in display order. Class names compare with ASCII letters
// folded to one case, in the tree as in the file.
#pragma once

#include <QString>
#include <QStringList>
#include <QValidator>

class QComboBox;
class QWidget;

namespace lumtar {

class IniFile;

inline constexpr const char* kClassesSection = "classes";
// What the class boxes of the dialogs list for a key that is missing.
inline constexpr const char* kMissingClassName = "临时保存";
// A class made or renamed through the tree's menu: 1..12 bytes (6 Chinese
// characters); the save and search boxes take the 13 bytes a record holds.
inline constexpr int kMaxTreeClassBytes = 12;
inline constexpr int kMaxClassBytes = 13;
// More classes than anyone keeps; a damaged "count" is cut here so that it
// cannot make a list of millions of entries.
inline constexpr int kMaxClassCount = 4096;

// Equal texts, ASCII letters compared without case, every other character
// as it is (the way the original platform compared class and file names).
bool SameIgnoringAsciiCase(const QString& a, const QString& b);
inline bool SameClassName(const QString& a, const QString& b) { return SameIgnoringAsciiCase(a, b); }
// The text with ASCII letters in lower case: equal keys for names that
// SameClassName finds equal.
QString FoldedClassName(const QString& name);

// A class name as the tree and the settings file hold it: control
// characters become spaces. A line break in a name (one from a store
// written elsewhere, or pasted) would otherwise split its line in
// dat/xminit.ini and could start a section or key of its own there.
QString ShownClassName(const QString& name);

// Keys "1" … "count" in order. A missing key gives `missing`; an empty
// `missing` leaves the entry out (the tree lists no nameless class).
QStringList ReadClassList(const IniFile& ini, const QString& missing);
// True when one of the keys "1" … "count" names the class.
bool ClassListHolds(const IniFile& ini, const QString& name);
// Appends a class: "count" + 1 and the name under the new key.
void AppendClassToList(IniFile& ini, const QString& name);
// Gives the first of the keys "1" … "count" that names `oldName` the new
// name; false when none does.
bool RenameClassInList(IniFile& ini, const QString& oldName, const QString& newName);
// Writes "count" and the keys "1" … "n"; keys beyond n stay as they are.
void WriteClassList(IniFile& ini, const QStringList& names);

// The editable class box of the save and search dialogs: the classes of the
// settings file (may be null) with a missing key listed as "临时保存", then
// those of `shown` (the classes the tree shows) that the file does not list,
// at most 13 bytes to type, 16 rows shown.
QComboBox* MakeClassBox(QWidget* parent, const IniFile* settings, const QStringList& shown = {});

// The length of a text in GBK bytes, as a record field holds it.
int GbkByteLength(const QString& text);
// True when GBK holds every character of the text; any other character
// would reach the record and the settings file as '?'.
bool GbkCanHold(const QString& text);

// Keeps an edit's text within a number of GBK bytes and to characters GBK
// holds.
class GbkByteValidator : public QValidator {
 public:
  GbkByteValidator(int maxBytes, QObject* parent) : QValidator(parent), maxBytes_(maxBytes) {}
  State validate(QString& input, int& pos) const override;

 private:
  int maxBytes_;
};

}  // namespace lumtar
