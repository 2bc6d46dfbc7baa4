#pragma once

#include <QString>
#include <memory>

class QLabel;
class QProgressDialog;
class QWidget;

namespace sorvane::platform {

inline constexpr int kProgressShownAfterMilliseconds = 500;

// A progress dialog as this program shows one, over `parent` or alone: not modal, shown once its
// task has taken half a second, closed only when deleted, and its label plain text (a path or a
// term is never read as markup). `total` steps, or 0 when the task cannot tell. No cancel button
// until the caller gives it one.
QProgressDialog* newProgressDialog(QWidget* parent, int total);
// Its label.
QLabel& labelOf(QProgressDialog& dialog);

// A small window that shows how far a task has come, once the task has taken about half a
// second. The task runs on the thread that tells it, so the window is drawn as it is told.
class TaskProgress {
 public:
  virtual ~TaskProgress() = default;
  // A task of `total` steps begins; `label` says what it does.
  virtual void start(const QString& label, int total) = 0;
  virtual void advance(int done) = 0;
  // The task is over: the window goes.
  virtual void finish() = 0;
};

// Shown over `owner`, kept above it and with its icon; alone without one.
class QtTaskProgress final : public TaskProgress {
 public:
  explicit QtTaskProgress(QWidget* owner);
  ~QtTaskProgress() override;
  void start(const QString& label, int total) override;
  void advance(int done) override;
  void finish() override;

 private:
  QWidget* owner_;
  std::unique_ptr<QProgressDialog> dialog_;
};

}  // namespace sorvane::platform
