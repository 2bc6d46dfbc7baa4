#include "platform/message_boxes.h"

#include <QMessageBox>
#include <QPushButton>

namespace sorvane::platform {
namespace {

// The message names the buttons in this order. Qt would sort standard buttons by the
// desktop's habit; buttons that share one role keep the order they were added in.
MessageAnswer askAbortRetryIgnore(QMessageBox& box) {
  QPushButton* abort = box.addButton(QStringLiteral("&Abort"), QMessageBox::ActionRole);
  QPushButton* retry = box.addButton(QStringLiteral("&Retry"), QMessageBox::ActionRole);
  box.addButton(QStringLiteral("&Ignore"), QMessageBox::ActionRole);
  box.setDefaultButton(retry);
  // No escape button: Esc and the close box give no answer, one of the three must be chosen.
  box.exec();
  if (box.clickedButton() == abort) return MessageAnswer::Abort;
  if (box.clickedButton() == retry) return MessageAnswer::Retry;
  return MessageAnswer::Ignore;
}

// Yes, then No, on every desktop. No is preselected, and Esc or the close box answer it: what
// the question asks for is done only when chosen.
MessageAnswer askYesNo(QMessageBox& box) {
  QPushButton* yes = box.addButton(QStringLiteral("&Yes"), QMessageBox::ActionRole);
  QPushButton* no = box.addButton(QStringLiteral("&No"), QMessageBox::ActionRole);
  box.setDefaultButton(no);
  box.setEscapeButton(no);
  box.exec();
  return box.clickedButton() == yes ? MessageAnswer::Yes : MessageAnswer::No;
}

}  // namespace

MessageAnswer QtMessageBoxes::show(QWidget* parent, const QString& text, MessageStyle style,
                                   const QString& title) {
  QString lines = text;
  lines.replace(QChar('\r'), QChar('\n'));
  QMessageBox box(parent);
  box.setWindowTitle(title);
  box.setTextFormat(Qt::PlainText);  // a file name such as "<b>.txt" is not markup
  box.setText(lines);
  if (style == MessageStyle::AbortRetryIgnore) {
    box.setIcon(QMessageBox::Critical);
    return askAbortRetryIgnore(box);
  }
  if (style == MessageStyle::YesNoQuestion) {
    box.setIcon(QMessageBox::Question);
    return askYesNo(box);
  }
  box.setIcon(style == MessageStyle::Critical ? QMessageBox::Critical : QMessageBox::Information);
  box.setStandardButtons(QMessageBox::Ok);
  box.exec();
  return MessageAnswer::Ok;
}

}  // namespace sorvane::platform
