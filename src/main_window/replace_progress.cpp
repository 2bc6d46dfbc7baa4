#include "main_window/replace_progress.h"

#include "platform/task_progress.h"

#include <QLabel>
#include <QProgressDialog>

namespace sorvane::ui {
namespace {

// Wide enough for a path that tells files apart; longer ones lose their middle.
constexpr int kPathWidthInAverageCharacters = 60;

}  // namespace

ReplaceProgress::ReplaceProgress(QWidget& over, int total, std::function<void()> onStop)
    : dialog_(platform::newProgressDialog(&over, total)), label_(&platform::labelOf(*dialog_)) {
  label_->setMinimumWidth(label_->fontMetrics().averageCharWidth() * kPathWidthInAverageCharacters);
  label_->setText(QStringLiteral("Starting..."));
  dialog_->setCancelButtonText(QStringLiteral("Stop"));
  // Stop and the close box cancel; Esc rejects, as in any dialog.
  connect(dialog_, &QProgressDialog::canceled, this, onStop);
  connect(dialog_, &QDialog::rejected, this, std::move(onStop));
}

ReplaceProgress::~ReplaceProgress() { delete dialog_; }

void ReplaceProgress::fileDone(const QString& path, std::int64_t replacements) {
  ++files_;
  replacements_ += replacements;
  if (sinceDrawn_.isValid() && sinceDrawn_.elapsed() < kRedrawEveryMilliseconds) return;
  sinceDrawn_.start();
  const QString shownPath = label_->fontMetrics().elidedText(path, Qt::ElideMiddle, label_->minimumWidth());
  label_->setText(QStringLiteral("%1 %2 done, %3 %4 so far\n%5")
                      .arg(files_)
                      .arg(files_ == 1 ? QStringLiteral("file") : QStringLiteral("files"))
                      .arg(replacements_)
                      .arg(replacements_ == 1 ? QStringLiteral("replacement") : QStringLiteral("replacements"))
                      .arg(shownPath));
  if (dialog_->maximum() > 0) dialog_->setValue(std::min(files_, dialog_->maximum()));
}

}  // namespace sorvane::ui
