#include "platform/message_boxes.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

namespace sorvane::platform {
namespace {

// What the real message box showed, noted just before it is answered.
struct Seen {
  QString text;
  QString title;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  Qt::TextFormat format = Qt::AutoText;
  qsizetype buttons = 0;
  bool retryIsDefault = false;
};

// Presses `button` on the message box that opens next.
Seen& answerNextBox(QMessageBox::StandardButton button, Seen& seen) {
  QTimer::singleShot(0, [button, &seen] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    seen.text = box->text();
    seen.title = box->windowTitle();
    seen.icon = box->icon();
    seen.format = box->textFormat();
    seen.buttons = box->buttons().size();
    seen.retryIsDefault = box->defaultButton() != nullptr && box->defaultButton() == box->button(QMessageBox::Retry);
    box->button(button)->click();
  });
  return seen;
}

TEST(QtMessageBoxes, AbortRetryIgnoreAnswersWithTheButtonNumber) {
  QtMessageBoxes boxes;
  for (const auto& [button, number] :
       {std::pair{QMessageBox::Abort, 3}, std::pair{QMessageBox::Retry, 4}, std::pair{QMessageBox::Ignore, 5}}) {
    Seen seen;
    answerNextBox(button, seen);
    EXPECT_EQ(boxes.show(nullptr, "first\rsecond", 274, "Sorvane"), number);
    EXPECT_EQ(seen.text, "first\nsecond");  // CR is a line break
    EXPECT_EQ(seen.title, "Sorvane");
    EXPECT_EQ(seen.icon, QMessageBox::Critical);
    EXPECT_EQ(seen.buttons, 3);
    EXPECT_TRUE(seen.retryIsDefault);
  }
}

TEST(QtMessageBoxes, CriticalAndInformationHaveOnlyOk) {
  QtMessageBoxes boxes;
  for (const auto& [style, icon] : {std::pair{16, QMessageBox::Critical}, std::pair{64, QMessageBox::Information}}) {
    Seen seen;
    answerNextBox(QMessageBox::Ok, seen);
    EXPECT_EQ(boxes.show(nullptr, "Made 1 replacements.", style, "Sorvane"), 1);
    EXPECT_EQ(seen.icon, icon);
    EXPECT_EQ(seen.buttons, 1);
    EXPECT_EQ(seen.format, Qt::PlainText);
  }
}

}  // namespace
}  // namespace sorvane::platform
