// The standard dialogs of the editors and the chart picture: font (with a
// colour, as the Windows font dialog has one), colour, file open/save and
// printer. Each goes through a handler that tests replace, as the message
// boxes do.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>

#include <functional>
#include <utility>

class QPrinter;
class QWidget;

namespace lumtar {

// ---- font

struct FontChoice {
  QFont font;    // family, point size, bold, italic, underline, strike-out
  QColor color;  // the text colour
};

// Shows the font dialog preset with *choice; on OK fills it and returns true.
bool ChooseFont(QWidget* owner, FontChoice* choice);

using FontDialogHandler = std::function<bool(QWidget* owner, FontChoice* choice)>;
// Replaces the real dialog (nullptr restores it). Returns the previous one.
FontDialogHandler SetFontDialogHandler(FontDialogHandler handler);

// ---- colour

// Shows the colour dialog preset with *color; on OK sets it and returns true.
bool ChooseColor(QWidget* owner, QColor* color);

using ColorDialogHandler = std::function<bool(QWidget* owner, QColor* color)>;
ColorDialogHandler SetColorDialogHandler(ColorDialogHandler handler);

// ---- files

struct FileDialogRequest {
  FileDialogRequest(QWidget* owner_ = nullptr, bool save_ = false, QString title_ = {}, QString filter_ = {},
                    int filterIndex_ = 1)
      : owner(owner_), save(save_), title(std::move(title_)), filter(std::move(filter_)), filterIndex(filterIndex_) {}
  QWidget* owner = nullptr;
  bool save = false;
  QString title;
  QString filter;       // "Rtf格式|*.rtf|Txt格式|*.txt"
  int filterIndex = 1;  // the entry selected at first, counting from 1
  // A choice offered below the file name ("分辨率:" with its entries);
  // none when the list is empty.
  QString optionLabel;
  QStringList options;
  int option = 0;       // the entry selected at first, counting from 0
  QString folder;       // where the dialog opens; empty: the working folder
  QString fileName;     // the name preset in it; may be empty
};

struct FileDialogAnswer {
  QString fileName;     // as typed or picked, no extension added
  int filterIndex = 1;  // the entry chosen, counting from 1
  int option = 0;       // the entry of the request's options chosen
};

// Shows the open or save dialog. A save dialog adds no extension and asks no
// overwrite question itself: the caller knows the file it really writes.
bool RunFileDialog(const FileDialogRequest& request, FileDialogAnswer* answer);

using FileDialogHandler = std::function<bool(const FileDialogRequest& request, FileDialogAnswer* answer)>;
FileDialogHandler SetFileDialogHandler(FileDialogHandler handler);

// Asks before `path` is replaced when it exists; true when it may be
// written.
bool ConfirmOverwrite(QWidget* owner, const QString& path);

// ---- folders

// Shows the folder chooser opening in *folder; on OK sets *folder to the
// folder chosen and returns true. A folder typed that does not exist yet is
// created once the user confirms it; declined or impossible, the chooser
// stays open.
bool ChooseFolder(QWidget* owner, const QString& title, QString* folder);

// ---- printer

// Shows the print dialog for the printer; true on OK.
bool RunPrintDialog(QWidget* owner, QPrinter* printer);

using PrintDialogHandler = std::function<bool(QWidget* owner, QPrinter* printer)>;
PrintDialogHandler SetPrintDialogHandler(PrintDialogHandler handler);

}  // namespace lumtar
