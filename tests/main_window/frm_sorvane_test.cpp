#include "main_window/check_value.h"
#include "main_window/folder_views.h"
#include "main_window/term_box.h"
#include "started_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHelpEvent>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStyleOptionButton>
#include <QToolTip>
#include <cstdlib>
#include <filesystem>
#include <tuple>

namespace sorvane::testing {
namespace {

using MainWindow = StartedWindow;

// The frame alone, without its widgets, on the window's background.
QImage drawnAlone(QWidget& frame) {
  QImage image(frame.size(), QImage::Format_RGB32);
  image.fill(frame.palette().color(QPalette::Window));
  frame.render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
  return image;
}

// Whether `widget` covers anything its frame draws in another colour than the frame's inside
// (its border, its caption, the strip outside the border), or reaches beyond the frame.
bool crossesItsFrame(QWidget& widget) {
  QWidget& frame = *widget.parentWidget();
  if (!frame.rect().contains(widget.geometry())) return true;
  const QImage alone = drawnAlone(frame);
  const QRgb inside = alone.pixel(frame.rect().center());
  const auto differs = [inside](QRgb pixel) {
    return std::abs(qRed(pixel) - qRed(inside)) + std::abs(qGreen(pixel) - qGreen(inside)) +
               std::abs(qBlue(pixel) - qBlue(inside)) > 24;
  };
  const QRect area = widget.geometry();
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x)
      if (differs(alone.pixel(x, y))) return true;
  return false;
}

// Access keys press their button with a short animation: the click comes a moment later.
template <typename Condition>
bool eventually(Condition condition) {
  for (int waited = 0; !condition() && waited < 2000; waited += 10) QTest::qWait(10);
  return condition();
}

std::vector<QWidget*> runSensitive(const ui::MainWindowWidgets& w) {
  return {w.lstFiles, w.cmdOpen, w.cmdClose,   w.cmdCloseAll, w.lblFolder,        w.cmdBrowse, w.chkRecursive, w.lblFind,
          w.lblReplace, w.cmbFind, w.cmbReplace, w.chkCaseSensitive, w.cmdHelp, w.cmdReplace, w.cmdExit};
}

TEST_F(MainWindow, AccessKeysActivateTheButtonsOfTheVisibleFrame) {
  showActive();
  QSignalSpy exitClicks(w().cmdExit, &QPushButton::clicked);
  QSignalSpy openClicks(w().cmdOpen, &QPushButton::clicked);

  QTest::keyClick(window.get(), Qt::Key_H, Qt::AltModifier);
  EXPECT_TRUE(eventually([&] { return scripted.help.command == platform::kHelpContents; }));
  EXPECT_TRUE(scripted.help.file.endsWith("/Sorvane Help.hlp"));

  QTest::keyClick(window.get(), Qt::Key_R, Qt::AltModifier);
  ASSERT_TRUE(eventually([&] { return scripted.boxes.shown.size() == 1; }));
  EXPECT_EQ(scripted.boxes.shown[0].text, "Made 0 replacements.");

  QTest::keyClick(window.get(), Qt::Key_O, Qt::AltModifier);  // its frame is hidden in folder mode
  QTest::keyClick(window.get(), Qt::Key_B, Qt::AltModifier);
  EXPECT_TRUE(eventually([&] { return scripted.dialogs.folderTitles.size() == 1; }));
  EXPECT_EQ(openClicks.count(), 0);
  w().optFolderFile[1]->click();
  QTest::keyClick(window.get(), Qt::Key_O, Qt::AltModifier);
  EXPECT_TRUE(eventually([&] { return scripted.dialogs.fileRequests.size() == 1; }));
  QTest::keyClick(window.get(), Qt::Key_X, Qt::AltModifier);
  EXPECT_TRUE(eventually([&] { return exitClicks.count() == 1; }));
}

TEST_F(MainWindow, EnterReplacesEscExitsAndAFocusedButtonTakesEnter) {
  showActive();
  QSignalSpy exitClicks(w().cmdExit, &QPushButton::clicked);
  w().cmbFind->setFocus();
  QTest::keyClick(w().cmbFind, Qt::Key_Return);
  ASSERT_EQ(scripted.boxes.shown.size(), 1u);
  EXPECT_EQ(scripted.boxes.shown[0].text, "Made 0 replacements.");

  QTest::keyClick(w().cmbFind, Qt::Key_Escape);
  EXPECT_EQ(exitClicks.count(), 1);

  // Help that cannot be shown ends the command without a message.
  scripted.help.fail = true;
  w().cmdHelp->setFocus();
  QTest::keyClick(w().cmdHelp, Qt::Key_Return);
  scripted.help.fail = false;
  QTest::keyClick(w().cmdHelp, Qt::Key_Return);
  EXPECT_EQ(scripted.help.command, platform::kHelpContents);
  EXPECT_EQ(scripted.boxes.shown.size(), 1u);
}

TEST_F(MainWindow, ModeSwitchAppliesItsFiveSettings) {
  for (const bool folderMode : {false, true}) {
    w().optFolderFile[folderMode ? 0 : 1]->click();
    EXPECT_EQ(w().frameFolder->isVisible(), folderMode);
    EXPECT_EQ(w().frameFiles->isVisible(), !folderMode);
    EXPECT_EQ(window->layout().frameControls.Height, folderMode ? 3015 : 2175);
    EXPECT_EQ(w().frameControls->height(), folderMode ? 201 : 145);
    EXPECT_EQ(w().lblFileTypes->isVisible(), folderMode);
    EXPECT_EQ(w().cmbFileTypes->isVisible(), folderMode);
  }
  EXPECT_EQ(w().frameFolder->geometry(), w().frameFiles->geometry());  // one place for both
}

TEST_F(MainWindow, TermBoxesSelectTheirWholeTextOnFocus) {
  showActive();
  w().cmbFind->setEditText("abc");
  w().cmbReplace->setEditText("xyz");
  w().cmbReplace->setFocus();
  QTest::keyClick(w().cmbReplace, Qt::Key_Tab, Qt::ShiftModifier);
  QCoreApplication::processEvents();
  ASSERT_TRUE(w().cmbFind->hasFocus());
  EXPECT_EQ(w().cmbFind->lineEdit()->selectedText(), "abc");
  QTest::keyClicks(w().cmbFind, "new");
  EXPECT_EQ(w().cmbFind->currentText(), "new");

  QTest::mouseClick(w().cmbReplace->lineEdit(), Qt::LeftButton, {}, QPoint(5, 5));
  QCoreApplication::processEvents();
  EXPECT_EQ(w().cmbReplace->lineEdit()->selectedText(), "xyz");
}

TEST_F(MainWindow, EmptyListRefusalReenablesTheControlsAndLeavesTheFocus) {
  showActive();
  w().optFolderFile[1]->click();
  std::vector<bool> enabledDuringBox;
  MousePointer pointerDuringBox = MousePointer::Default;
  scripted.boxes.onShow = [&](const ShownBox&) {
    for (QWidget* control : runSensitive(w())) enabledDuringBox.push_back(control->isEnabled());
    pointerDuringBox = window->MousePointer();
  };
  w().cmbFind->setFocus();
  QTest::keyClick(w().cmbFind, Qt::Key_Return);
  EXPECT_TRUE(w().cmbFind->hasFocus());
  ASSERT_EQ(scripted.boxes.shown.size(), 1u);
  EXPECT_EQ(scripted.boxes.shown[0].text, "You must open at least one file in which to perform the replacement.");
  EXPECT_EQ(scripted.boxes.shown[0].style, MessageStyle::Critical);
  EXPECT_EQ(scripted.boxes.shown[0].title, kApplicationTitle);
  EXPECT_EQ(enabledDuringBox, std::vector<bool>(15, false));
  EXPECT_EQ(pointerDuringBox, MousePointer::Hourglass);
  for (QWidget* control : runSensitive(w())) EXPECT_TRUE(control->isEnabled());
  EXPECT_EQ(window->MousePointer(), MousePointer::Default);
  EXPECT_TRUE(w().optFolderFile[0]->isEnabled());  // left as they are
  EXPECT_TRUE(w().cmbFileTypes->isEnabled());
}

// No completion: the recent terms must not turn what is typed into another term.
TEST_F(MainWindow, TheTermTypedIsTheTermReplaced) {
  const std::string path = folder / "terms.txt";
  w().optFolderFile[1]->click();
  w().lstFiles->addItem(QString::fromStdString(path));
  showActive();
  for (const auto& [recent, typed, expected] :
       {std::tuple{"foobar", "foo", "X Xbar FOOBAR"}, std::tuple{"FOOBAR", "foobar", "foo X FOOBAR"}}) {
    writeFile(path, "foo foobar FOOBAR");
    scripted.boxes.shown.clear();
    w().cmbFind->clear();
    ui::appendTerms(*w().cmbFind, {recent});
    w().cmbReplace->setEditText("X");
    w().cmbFind->setFocus();
    QTest::keyClicks(w().cmbFind, typed);
    QTest::keyClick(w().cmbFind, Qt::Key_Return);
    ASSERT_EQ(scripted.boxes.shown.size(), 1u) << typed;
    EXPECT_EQ(readFile(path), expected) << typed;
  }
}

TEST_F(MainWindow, ReplaceRewritesTheListedFilesAndRecordsTheTerms) {
  writeFile(folder / "a.txt", "Old old\r\nOLD");
  writeFile(folder / "b.txt", "old!");
  w().optFolderFile[1]->click();
  w().lstFiles->addItems({QString::fromStdString(folder / "a.txt"), QString::fromStdString(folder / "b.txt")});
  w().cmbFind->setEditText("old");
  w().cmbReplace->setEditText("new");
  ui::setCheckValue(*w().chkCaseSensitive, CheckValue::Cleared);
  bool disabledDuringRun = false;
  scripted.boxes.onShow = [&](const ShownBox&) {
    disabledDuringRun = !w().cmdReplace->isEnabled() && window->MousePointer() == MousePointer::Hourglass;
  };

  w().cmdReplace->click();

  EXPECT_EQ(readFile(folder / "a.txt"), "new new\r\nnew");
  EXPECT_EQ(readFile(folder / "b.txt"), "new!");
  ASSERT_EQ(scripted.boxes.shown.size(), 1u);
  EXPECT_EQ(scripted.boxes.shown[0].text, "Made 4 replacements.");
  EXPECT_EQ(scripted.boxes.shown[0].style, MessageStyle::Information);
  EXPECT_TRUE(disabledDuringRun);
  EXPECT_EQ(w().cmbFind->count(), 1);
  EXPECT_EQ(w().cmbFind->itemText(0), "old");
  EXPECT_EQ(w().cmbReplace->itemText(0), "new");
  EXPECT_TRUE(w().cmdReplace->isEnabled());
}

TEST_F(MainWindow, BrowsedFolderIsShownAndRunWithItsTypeAndRecursion) {
  std::filesystem::create_directory(folder / "sub");
  writeFile(folder / "page.html", "old");
  writeFile(folder / "notes.txt", "old");
  writeFile(folder / "sub/deep.htm", "old");
  const QString chosen = QString::fromStdString(folder.path());
  w().cmdBrowse->click();  // cancelled: nothing changes
  EXPECT_TRUE(w().lblFolder->text().isEmpty());
  scripted.dialogs.nextFolder = chosen;
  w().cmdBrowse->click();
  EXPECT_EQ(scripted.dialogs.folderTitles, (std::vector<QString>{"Select a folder", "Select a folder"}));
  EXPECT_EQ(w().lblFolder->text(), chosen);
  EXPECT_EQ(w().lblFolder->toolTip(), chosen);
  EXPECT_EQ(w().Dir1->path(), chosen);
  EXPECT_EQ(w().File1->count(), 2);

  w().cmbFileTypes->setCurrentIndex(1);
  ui::setCheckValue(*w().chkRecursive, CheckValue::Checked);
  w().cmbFind->setEditText("old");
  w().cmbReplace->setEditText("new");
  writeFile(folder / "later.txt", "");  // the run refreshes the file list
  w().cmdReplace->click();
  EXPECT_EQ(scripted.boxes.shown.back().text, "Made 2 replacements.");
  EXPECT_EQ(readFile(folder / "sub/deep.htm"), "new");
  EXPECT_EQ(readFile(folder / "notes.txt"), "old");
  EXPECT_EQ(w().File1->count(), 3);
}

TEST_F(MainWindow, GrayedBoxTogglesOnlyBetweenClearAndTicked) {
  ui::setCheckValue(*w().chkRecursive, CheckValue::Grayed);
  std::vector<CheckValue> seen;
  for (int click = 0; click < 4; ++click) {
    w().chkRecursive->click();
    seen.push_back(ui::checkValue(*w().chkRecursive));
  }
  EXPECT_EQ(seen, (std::vector<CheckValue>{CheckValue::Checked, CheckValue::Cleared, CheckValue::Checked,
                                           CheckValue::Cleared}));
}

// Frames as designed: every widget clear of its frame's caption and border, in both modes, at the
// designed size and a large one; tick boxes whole; wrapped captions at the window's font.
TEST_F(MainWindow, FramesAndTheirWidgetsAreDrawnWhole) {
  const auto expectClearOfTheFrames = [&](const char* size) {
    for (QRadioButton* mode : w().optFolderFile) {
      mode->click();
      for (QWidget* frame : {w().frameFolder, w().frameFiles, w().frameControls})
        for (QWidget* widget : frame->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
          if (!widget->isVisibleTo(window.get())) continue;
          EXPECT_FALSE(crossesItsFrame(*widget)) << widget->metaObject()->className() << " at " << widget->x() << ", "
                                                 << widget->y() << ", " << size << ", " << qPrintable(mode->text());
        }
    }
  };
  window->setOuterSize(8625, 8850);
  expectClearOfTheFrames("designed");
  window->setOuterSize(10000, 7000);
  expectClearOfTheFrames("10000 x 7000");

  for (QCheckBox* box : {w().chkRecursive, w().chkCaseSensitive, w().chkRememberTheseFiles}) {
    QStyleOptionButton option;
    option.initFrom(box);
    EXPECT_TRUE(box->rect().contains(box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box)))
        << qPrintable(box->text());
  }
  const QCheckBox& remember = *w().chkRememberTheseFiles;
  const int captionLeft = remember.style()->pixelMetric(QStyle::PM_IndicatorWidth) +
                          remember.style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing);
  const QRect room(0, 0, remember.width() - captionLeft, remember.height());
  const QRect caption = QFontMetrics(window->font()).boundingRect(room, Qt::TextWordWrap, remember.text());
  EXPECT_EQ(remember.font(), window->font());
  EXPECT_TRUE(room.contains(caption)) << caption.width() << " x " << caption.height() << " in " << room.width()
                                      << " x " << room.height();
  EXPECT_GT(caption.height(), QFontMetrics(window->font()).height());  // it does wrap
}

TEST_F(MainWindow, LongNamesAreShortenedInTheMiddleNotScrolled) {
  const std::string longName = std::string(150, 'n') + ".txt";
  writeFile(folder / longName, "");
  w().File1->setPath(QString::fromStdString(folder.path()));
  w().lstFiles->addItem(QString::fromStdString(folder / longName));
  showActive();
  for (QListWidget* list : {static_cast<QListWidget*>(w().File1), w().lstFiles}) {
    w().optFolderFile[list == w().File1 ? 0 : 1]->click();
    QCoreApplication::processEvents();
    EXPECT_FALSE(list->horizontalScrollBar()->isVisible());
    const QRect entry = list->visualItemRect(list->item(0));
    EXPECT_TRUE(list->viewport()->rect().contains(entry));
    QHelpEvent tip(QEvent::ToolTip, entry.center(), list->viewport()->mapToGlobal(entry.center()));
    QCoreApplication::sendEvent(list->viewport(), &tip);
    EXPECT_EQ(QToolTip::text(), list->item(0)->text());
    QToolTip::hideText();
  }
}

}  // namespace
}  // namespace sorvane::testing
