// The script of the windows' texts: simplified characters (the default) or
// traditional characters (选项 → 繁體), kept in dat/xminit.ini.
//
// The windows write their texts in simplified characters. Under traditional
// characters every text a window shows is taken in that script where it is
// shown: window titles, labels, buttons, group boxes, menus and their
// entries, tabs, headers, tool tips and the hints of empty boxes, as the
// window appears, and again whenever a label or button is painted with a
// text set since. The forms come from the table written at build time
// (script.h: OpenCC's Taiwan profile and tools/script/overrides.txt); nothing
// is translated by hand. What a person typed or chose (the text of edit
// boxes, the entries of lists, the case tree's cases and classes) is never
// touched, so it is stored as it was.
#pragma once

#include <QString>

#include "script.h"

class QComboBox;
class QWidget;

namespace lumtar {

class IniFile;

// dat/xminit.ini, section "window": 1 for traditional characters, 0 (or
// missing) for simplified ones.
inline constexpr const char* kScriptSection = "window";
inline constexpr const char* kScriptKey = "fanti";
Script ReadScriptSetting(const IniFile& ini);
bool WriteScriptSetting(IniFile& ini, Script script);

// Makes `script` the program's: the engine's texts, the windows' texts and
// Qt's own (the standard dialogs in that script's Chinese). The windows open
// now take their texts again in that script at once. Needs the application
// object.
void ApplyScript(Script script);

// A text of the windows in the chosen script (script.h's WindowTextInScript).
QString ShownText(const QString& text);

// A label whose text its owner has already put in the script (keeping the
// parts a person typed): it is shown as it is set.
void KeepTextAsIs(QWidget* label);

// The entries of a list of the program's own names (provinces, cities, zones)
// shown in the chosen script; EntryText gives back an entry as the program
// knows it, for reading the list's current entry.
void ShowEntriesInScript(QComboBox* list);
QString EntryText(const QComboBox* list, int index);
QString CurrentEntryText(const QComboBox* list);

}  // namespace lumtar
