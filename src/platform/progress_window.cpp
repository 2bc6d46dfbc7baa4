#include "platform/progress_window.h"

#include "vocabulary/vocabulary.h"

#include <QCoreApplication>
#include <QProgressDialog>

namespace sorvane::platform {

QtProgressWindow::QtProgressWindow() = default;
QtProgressWindow::~QtProgressWindow() = default;

void QtProgressWindow::start(const QString& label, int total) {
  // No cancel button: a task stopped half way would leave the files half done.
  dialog_ = std::make_unique<QProgressDialog>(label, QString(), 0, total);
  dialog_->setWindowTitle(QString::fromLatin1(kApplicationTitle));
  dialog_->setMinimumDuration(500);
  // Nothing else of the program is open to block.
  dialog_->setWindowModality(Qt::NonModal);
  // It goes when finish() says so, not when the value reaches the total.
  dialog_->setAutoClose(false);
  dialog_->setAutoReset(false);
  dialog_->setValue(0);
}

void QtProgressWindow::advance(int done) {
  if (!dialog_) return;
  dialog_->setValue(done);
  // No event loop runs while the task does: the window appears and is drawn here.
  QCoreApplication::processEvents();
}

void QtProgressWindow::finish() { dialog_.reset(); }

}  // namespace sorvane::platform
