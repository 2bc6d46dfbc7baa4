#pragma once

#include <QString>

class QWidget;

namespace sorvane::platform {

// The help command the program uses: show the help file's contents.
inline constexpr int kHelpContents = 3;

// Shows a help file. The window's implementation is HelpWindowEngine; tests stand in for it.
class HelpEngine {
 public:
  virtual ~HelpEngine() = default;
  // Opens `helpFile` with `command` (kHelpContents) in a window that belongs to `owner`: over
  // it, above it, with its icon. Throws DialogError when it cannot.
  virtual void show(QWidget* owner, const QString& helpFile, int command) = 0;
};

}  // namespace sorvane::platform
