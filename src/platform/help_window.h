#pragma once

#include "platform/help_engine.h"

#include <QPointer>
#include <QString>
#include <vector>

class QTextBrowser;
class QUrl;
class QWidget;

namespace sorvane::platform {

class HelpFindBar;

// Shows the help file in a help window of the program's own: one non-modal window, reused by
// every show(), destroyed with the engine or with the window it belongs to. Alt+Left goes back to where the
// last link was followed from, Ctrl+F opens a find bar, Esc closes the find bar, then the window.
class HelpWindowEngine final : public HelpEngine {
 public:
  HelpWindowEngine() = default;
  ~HelpWindowEngine() override;
  HelpWindowEngine(const HelpWindowEngine&) = delete;
  HelpWindowEngine& operator=(const HelpWindowEngine&) = delete;

  // kHelpContents loads `helpFile` (HTML) at its top, kHelpKey at the anchor named `key`, and
  // brings the window to the front; any other command throws DialogError 5. A missing file is
  // shown as a message, not thrown.
  void show(QWidget* owner, const QString& helpFile, int command, const QString& key) override;

 private:
  void createWindow(QWidget* owner);
  // Makes the help window `owner`'s, placed over it when it is not on the screen yet.
  void belongTo(QWidget* owner);
  // Loads the HTML file at `path` and scrolls to `anchor`, or to the top when it is empty.
  void showPage(const QString& path, const QString& anchor);
  void followLink(const QUrl& url);
  void goBack();

  // Where a followed link was followed from: the file and how far down it was.
  struct Place {
    QString file;
    int top;
  };

  QPointer<QWidget> window_;
  QTextBrowser* browser_ = nullptr;  // a child of window_
  HelpFindBar* findBar_ = nullptr;   // a child of window_
  QString shownFile_;                // for relative links
  std::vector<Place> history_;       // the latest last
};

}  // namespace sorvane::platform
