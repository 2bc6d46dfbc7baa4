#pragma once

#include "platform/help_engine.h"

#include <QString>

namespace sorvane::platform {

// The program's common-dialog component: one object whose members the handlers set and
// whose methods show a dialog. Failures are thrown as DialogError.
class CommonDialog {
 public:
  explicit CommonDialog(HelpEngine& helpEngine) : helpEngine_(helpEngine) {}

  bool CancelError = false;
  QString HelpFile;
  int HelpCommand = 0;

  // Asks the help engine to open HelpFile with HelpCommand.
  void ShowHelp() { helpEngine_.show(HelpFile, HelpCommand); }

 private:
  HelpEngine& helpEngine_;
};

}  // namespace sorvane::platform
