// The real dialogs, answered by a timer as a user would answer them.

#include "platform/common_dialog.h"
#include "platform/file_dialogs.h"
#include "platform/message_boxes.h"
#include "scripted_platform.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QProxyStyle>
#include <QPushButton>
#include <QStyleFactory>
#include <QTest>
#include <QTimer>

namespace sorvane::platform {
namespace {

using testing::TempFolder;

// What the message box showed, noted just before it is answered.
struct Seen {
  QString text, title, preselected;
  Qt::TextFormat format = Qt::AutoText;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QStringList buttonsLeftToRight;
  bool closedByEsc = false;
};

// Presses `caption` on the message box that opens next, after Esc when `escFirst`.
void answerNextBox(const QString& caption, bool escFirst, Seen& seen) {
  QTimer::singleShot(0, [caption, escFirst, &seen] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    const auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    seen.text = label->text(), seen.format = label->textFormat();
    seen.title = box->windowTitle(), seen.icon = box->icon();
    QList<QAbstractButton*> buttons = box->buttons();
    std::sort(buttons.begin(), buttons.end(), [](auto* a, auto* b) { return a->x() < b->x(); });
    for (QAbstractButton* button : buttons) seen.buttonsLeftToRight.append(button->text());
    seen.preselected = box->defaultButton() ? box->defaultButton()->text() : QString();
    if (escFirst) QTest::keyClick(box, Qt::Key_Escape);
    seen.closedByEsc = !box->isVisible();
    for (QAbstractButton* button : buttons)
      if (!seen.closedByEsc && button->text() == caption) button->click();
  });
}

// Puts the dialog buttons in the order of one desktop's habit.
class ButtonLayoutStyle final : public QProxyStyle {
 public:
  explicit ButtonLayoutStyle(QDialogButtonBox::ButtonLayout layout)
      : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))), layout_(layout) {}
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* returnData) const override {
    return hint == SH_DialogButtonLayout ? layout_ : QProxyStyle::styleHint(hint, option, widget, returnData);
  }

 private:
  QDialogButtonBox::ButtonLayout layout_;
};

// On every desktop's button order: Abort, Retry, Ignore in that order, Retry preselected, no
// escape; Yes then No, No preselected, which Esc answers; Critical and Information only OK, which
// Esc answers. The text is plain, a CR a line break.
TEST(QtMessageBoxes, EachStyleKeepsItsButtonsOnEveryDesktopAndShowsPlainText) {
  const QString originalStyle = QApplication::style()->name();
  QtMessageBoxes boxes;
  struct Press {
    MessageStyle style;
    const char* caption;  // none: Esc answers
    MessageAnswer answer;
    QMessageBox::Icon icon;
    QStringList buttons;  // left to right
    QString preselected;  // none: the box's own choice on showing
  };
  const QStringList abortRetryIgnore = {"&Abort", "&Retry", "&Ignore"}, yesNo = {"&Yes", "&No"};
  const Press presses[] = {
      {MessageStyle::AbortRetryIgnore, "&Abort", MessageAnswer::Abort, QMessageBox::Critical, abortRetryIgnore, "&Retry"},
      {MessageStyle::AbortRetryIgnore, "&Retry", MessageAnswer::Retry, QMessageBox::Critical, abortRetryIgnore, "&Retry"},
      {MessageStyle::AbortRetryIgnore, "&Ignore", MessageAnswer::Ignore, QMessageBox::Critical, abortRetryIgnore, "&Retry"},
      {MessageStyle::YesNoQuestion, "&Yes", MessageAnswer::Yes, QMessageBox::Question, yesNo, "&No"},
      {MessageStyle::YesNoQuestion, "", MessageAnswer::No, QMessageBox::Question, yesNo, "&No"},
      {MessageStyle::Critical, "", MessageAnswer::Ok, QMessageBox::Critical, {"OK"}, ""},
      {MessageStyle::Information, "", MessageAnswer::Ok, QMessageBox::Information, {"OK"}, ""}};
  for (const auto layout : {QDialogButtonBox::WinLayout, QDialogButtonBox::MacLayout, QDialogButtonBox::KdeLayout,
                            QDialogButtonBox::GnomeLayout, QDialogButtonBox::AndroidLayout}) {
    QApplication::setStyle(new ButtonLayoutStyle(layout));
    for (const Press& press : presses) {
      Seen seen;
      // Esc is tried on a box without an escape, to see it stay open, and answers where no button is named.
      const bool noEscape = press.style == MessageStyle::AbortRetryIgnore;
      answerNextBox(press.caption, noEscape || !*press.caption, seen);
      EXPECT_EQ(boxes.show(nullptr, "The file '/tmp/<b>x.txt'\rcould not be read.", press.style, kApplicationTitle),
                press.answer)
          << layout << " " << press.caption;
      EXPECT_EQ(std::tie(seen.buttonsLeftToRight, seen.preselected, seen.closedByEsc, seen.icon),
                std::tuple(press.buttons, press.preselected, !*press.caption, press.icon)) << layout;
      EXPECT_EQ(std::tie(seen.text, seen.format, seen.title),
                std::tuple(QString("The file '/tmp/<b>x.txt'\ncould not be read."), Qt::PlainText, QString(kApplicationTitle)));
    }
  }
  QApplication::setStyle(QStyleFactory::create(originalStyle));
}

// "All Files (*.*)" is every file, as in a folder run; the captions read as the filter gives them.
TEST(OpenDialog, AllFilesShowsNamesWithoutADot) {
  TempFolder folder;
  for (const char* name : {"README", "page.js"}) testing::writeFile(folder / name, "");
  testing::RecordingHelpEngine help;
  QtFileDialogs fileDialogs;
  CommonDialog dialog(help, fileDialogs, nullptr);
  dialog.InitDir = QString::fromStdString(folder.path());
  dialog.Filter = "All Files (*.*)|*.*|JavaScript Files (*.js)|*.js|HTML Files (*.htm;*.html)|*.htm;*.html|Text Files"
                  "(*.txt)|*.txt";
  dialog.FilterIndex = 1;
  QStringList captions, shown;
  QTimer::singleShot(0, [&] {
    auto* chooser = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(chooser, nullptr);
    // Notes the filter captions and the names listed, then picks the second filter and opens a file.
    auto* types = chooser->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    for (int i = 0; i < types->count(); ++i) captions.append(types->itemText(i));
    const auto* view = chooser->findChild<QListView*>(QStringLiteral("listView"));
    const auto rows = [view] { return view->model()->rowCount(view->rootIndex()); };
    ASSERT_TRUE(QTest::qWaitFor([&] { return rows() > 0; }));
    QTest::qWait(50);  // the rest of the folder's batch
    for (int row = 0; row < rows(); ++row)
      shown.append(view->model()->index(row, 0, view->rootIndex()).data().toString());
    QTest::keyClick(types, Qt::Key_Down);
    auto* edit = chooser->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    QTest::keyClicks(edit, QStringLiteral("page.js"));
    QTest::keyClick(edit, Qt::Key_Return);
    chooser->close();  // nothing once answered; a check that failed on the way leaves it open
  });
  dialog.ShowOpen();
  EXPECT_EQ(captions, (QStringList{"All Files (*.*)", "JavaScript Files (*.js)", "HTML Files (*.htm;*.html)",
                                   "Text Files(*.txt)"}));
  shown.sort();
  EXPECT_EQ(std::tuple(shown, dialog.FileName, dialog.FilterIndex),
            std::tuple(QStringList{"README", "page.js"}, QString::fromStdString(folder / "page.js"), 2));
}

}  // namespace
}  // namespace sorvane::platform
