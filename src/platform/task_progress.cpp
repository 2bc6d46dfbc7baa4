#include "platform/task_progress.h"

#include "vocabulary/vocabulary.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressDialog>

namespace sorvane::platform {

QProgressDialog* newProgressDialog(QWidget* parent, int total) {
  auto* dialog = new QProgressDialog(parent);
  auto* label = new QLabel(dialog);
  label->setTextFormat(Qt::PlainText);
  dialog->setLabel(label);
  dialog->setCancelButton(nullptr);
  dialog->setWindowTitle(QString::fromLatin1(kApplicationTitle));
  // The main window's controls are off already, and a modal window would swallow its close request.
  dialog->setWindowModality(Qt::NonModal);
  // It goes when its task ends, not when a count reaches its end.
  dialog->setAutoClose(false);
  dialog->setAutoReset(false);
  dialog->setRange(0, total);
  dialog->setMinimumDuration(kProgressShownAfterMilliseconds);
  // The timer that shows it restarts with that duration only from the start value.
  dialog->setValue(0);
  return dialog;
}

QLabel& labelOf(QProgressDialog& dialog) { return *dialog.findChild<QLabel*>(); }

QtTaskProgress::QtTaskProgress(QWidget* owner) : owner_(owner) {}
QtTaskProgress::~QtTaskProgress() = default;

void QtTaskProgress::start(const QString& label, int total) {
  // No cancel button: a task stopped half way would leave the files half done.
  dialog_.reset(newProgressDialog(owner_, total));
  labelOf(*dialog_).setText(label);
}

void QtTaskProgress::advance(int done) {
  if (!dialog_) return;
  dialog_->setValue(done);
  // No event loop runs while the task does: the window appears and is drawn here.
  QCoreApplication::processEvents();
}

void QtTaskProgress::finish() { dialog_.reset(); }

}  // namespace sorvane::platform
