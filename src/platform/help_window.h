#pragma once

#include "platform/help_engine.h"

#include <QPointer>
#include <QString>

class QTextBrowser;
class QUrl;
class QWidget;

namespace sorvane::platform {

// Shows the help file in a help window of the program's own: one non-modal top-level
// window, reused by every show(), destroyed with the engine.
class HelpWindowEngine final : public HelpEngine {
 public:
  HelpWindowEngine() = default;
  ~HelpWindowEngine() override;
  HelpWindowEngine(const HelpWindowEngine&) = delete;
  HelpWindowEngine& operator=(const HelpWindowEngine&) = delete;

  // kHelpContents loads `helpFile` (HTML) at its top and brings the window to the front;
  // any other command throws DialogError 5. A missing file is shown as a message, not thrown.
  void show(const QString& helpFile, int command) override;

 private:
  void createWindow();
  // Loads the HTML file at `path` and scrolls to `anchor`, or to the top when it is empty.
  void showPage(const QString& path, const QString& anchor);
  void followLink(const QUrl& url);

  QPointer<QWidget> window_;
  QTextBrowser* browser_ = nullptr;  // a child of window_
  QString folder_;                   // the shown file's folder, for relative links
};

}  // namespace sorvane::platform
