#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QTextBrowser;

namespace sorvane::platform {

// The help window's find bar: finds its text in the help as it is typed, and the next
// occurrence at each Enter, going on from the top after the last one; letter case is ignored.
// It says so when the text does not occur.
class HelpFindBar final : public QWidget {
  Q_OBJECT
 public:
  HelpFindBar(QTextBrowser& browser, QWidget* parent);

  // Shows the bar with its text selected, ready to be typed over.
  void open();

 private:
  void find(bool next);

  QTextBrowser& browser_;
  QLineEdit* text_;
  QLabel* notFound_;
};

}  // namespace sorvane::platform
