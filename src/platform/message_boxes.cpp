#include "platform/message_boxes.h"

#include <QMessageBox>
#include <QPushButton>

namespace sorvane::platform {
namespace {

constexpr int kCritical = 16;
constexpr int kAbortRetryIgnore = 274;
constexpr int kAnswerOk = 1;
constexpr int kAnswerAbort = 3;
constexpr int kAnswerRetry = 4;
constexpr int kAnswerIgnore = 5;

// The message names the buttons in this order. Qt would sort standard buttons by the
// desktop's habit; buttons that share one role keep the order they were added in.
int askAbortRetryIgnore(QMessageBox& box) {
  QPushButton* abort = box.addButton(QStringLiteral("&Abort"), QMessageBox::ActionRole);
  QPushButton* retry = box.addButton(QStringLiteral("&Retry"), QMessageBox::ActionRole);
  box.addButton(QStringLiteral("&Ignore"), QMessageBox::ActionRole);
  box.setDefaultButton(retry);
  // No escape button: Esc and the close box give no answer, one of the three must be chosen.
  box.exec();
  if (box.clickedButton() == abort) return kAnswerAbort;
  if (box.clickedButton() == retry) return kAnswerRetry;
  return kAnswerIgnore;
}

}  // namespace

int QtMessageBoxes::show(QWidget* parent, const QString& text, int style, const QString& title) {
  QString lines = text;
  lines.replace(QChar('\r'), QChar('\n'));
  QMessageBox box(parent);
  box.setWindowTitle(title);
  box.setTextFormat(Qt::PlainText);  // a file name such as "<b>.txt" is not markup
  box.setText(lines);
  if (style == kAbortRetryIgnore) {
    box.setIcon(QMessageBox::Critical);
    return askAbortRetryIgnore(box);
  }
  box.setIcon(style == kCritical ? QMessageBox::Critical : QMessageBox::Information);
  box.setStandardButtons(QMessageBox::Ok);
  box.exec();
  return kAnswerOk;
}

}  // namespace sorvane::platform
