#pragma once

#include "platform/file_dialogs.h"
#include "platform/help_engine.h"

#include <QString>

class QWidget;

namespace sorvane::platform {

// Error numbers the component raises.
inline constexpr int kErrorCancelled = 32755;
inline constexpr int kErrorSelectionTooLong = 20476;

// The program's common-dialog component: one object whose members the handlers set and
// whose methods show a dialog. Failures, a cancel included when CancelError is set, are
// thrown as DialogError.
class CommonDialog {
 public:
  CommonDialog(HelpEngine& helpEngine, FileDialogs& fileDialogs, QWidget* owner)
      : helpEngine_(helpEngine), fileDialogs_(fileDialogs), owner_(owner) {}

  bool CancelError = false;
  // Help.
  QString HelpFile;
  int HelpCommand = 0;
  QString HelpKey;  // the section kHelpKey shows
  // Open.
  QString InitDir;
  QString FileName;  // after ShowOpen: one full path, or the folder then NUL and each name
  int MaxFileSize = 260;
  long Flags = 0;     // kept for the callers; the dialog always takes several existing files
  QString Filter;     // "description|pattern|description|pattern...", patterns separated by ';'
  int FilterIndex = 1;  // 1-based, in and out
  QString FileTitle;    // after a single selection, the file's name

  // Asks the help engine to open HelpFile with HelpCommand, in a window of the owner's.
  void ShowHelp() { helpEngine_.show(owner_, HelpFile, HelpCommand, HelpKey); }
  // Shows the open dialog modally; returns once the user confirms.
  void ShowOpen();

 private:
  HelpEngine& helpEngine_;
  FileDialogs& fileDialogs_;
  QWidget* owner_;
};

}  // namespace sorvane::platform
