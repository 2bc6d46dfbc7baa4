#include "platform/message_boxes.h"

#include <QMessageBox>

namespace sorvane::platform {
namespace {

constexpr int kCritical = 16;
constexpr int kAbortRetryIgnore = 274;

}  // namespace

int QtMessageBoxes::show(QWidget* parent, const QString& text, int style, const QString& title) {
  QString lines = text;
  lines.replace(QChar('\r'), QChar('\n'));
  QMessageBox box(parent);
  box.setWindowTitle(title);
  // Paths and terms are shown as they are; Qt would take a name holding "<b>" for markup.
  box.setTextFormat(Qt::PlainText);
  box.setText(lines);
  if (style == kAbortRetryIgnore) {
    box.setIcon(QMessageBox::Critical);
    box.setStandardButtons(QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore);
    box.setDefaultButton(QMessageBox::Retry);
    box.setEscapeButton(QMessageBox::Ignore);
    switch (box.exec()) {
      case QMessageBox::Abort:
        return 3;
      case QMessageBox::Retry:
        return 4;
      default:
        return 5;
    }
  }
  box.setIcon(style == kCritical ? QMessageBox::Critical : QMessageBox::Information);
  box.setStandardButtons(QMessageBox::Ok);
  box.exec();
  return 1;
}

}  // namespace sorvane::platform
