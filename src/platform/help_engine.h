#pragma once

#include <QString>

class QWidget;

namespace sorvane::platform {

// The help commands the program uses: show the help file's contents, or the section a key names.
inline constexpr int kHelpContents = 3;
inline constexpr int kHelpKey = 0x101;

// Shows a help file. The window's implementation is HelpWindowEngine; tests stand in for it.
class HelpEngine {
 public:
  virtual ~HelpEngine() = default;
  // Opens `helpFile` with `command` (kHelpContents, or kHelpKey at the section named `key`) in a
  // window that belongs to `owner`: over it, above it, with its icon. Throws DialogError when it cannot.
  virtual void show(QWidget* owner, const QString& helpFile, int command, const QString& key) = 0;
};

}  // namespace sorvane::platform
