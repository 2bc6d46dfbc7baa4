#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>

class QLabel;
class QProgressDialog;
class QWidget;

namespace sorvane::ui {

// The small window that shows a long run's progress over the main window: files done,
// replacements so far, the file last put in place, and Stop. It appears only when the run lasts
// longer than about half a second, and it is not modal: the main window's controls are disabled
// already, and a modal window would swallow the main window's close request.
class ReplaceProgress final : public QObject {
  Q_OBJECT
 public:
  // Drawing a label costs more than rewriting a small file: the counts are shown this often.
  static constexpr int kRedrawEveryMilliseconds = 100;

  // `total` files when they are known, else 0; `onStop` is called when the user asks to stop
  // (Stop, Esc, the close box).
  ReplaceProgress(QWidget& over, int total, std::function<void()> onStop);
  ~ReplaceProgress() override;

  void fileDone(const QString& path, std::int64_t replacements);
  QProgressDialog& dialog() const { return *dialog_; }

 private:
  QProgressDialog* dialog_;  // owned by the window it shows over, deleted with this
  QLabel* label_;
  QElapsedTimer sinceDrawn_;
  int files_ = 0;
  std::int64_t replacements_ = 0;
};

}  // namespace sorvane::ui
