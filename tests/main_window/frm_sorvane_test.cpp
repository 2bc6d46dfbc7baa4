#include "journal/run_recorder.h"
#include "journal/undo.h"
#include "main_window/check_value.h"
#include "main_window/folder_views.h"
#include "main_window/frm_sorvane.h"
#include "main_window/term_box.h"
#include "scripted_platform.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <QApplication>
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
#include <QStyleOptionButton>
#include <QToolTip>
#include <QSignalSpy>
#include <QTest>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <tuple>

namespace sorvane::testing {
namespace {

using ui::frmSorvane;

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

class MainWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* type : {"All Files (*.*)", "HTML Files (*.htm, *.html)", "JavaScript Files (*.js)", "Text Files (*.txt)"})
      window.cmbFileTypes->addItem(QString::fromLatin1(type));
    window.optFolderFile_Click(0);  // as start-up applies the mode
  }

  void showActive() {
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  }

  void fileMode() {
    window.optFolderFile[1]->click();
    ASSERT_TRUE(window.frameFiles->isVisibleTo(&window));
  }

  std::vector<QWidget*> runSensitive() const {
    return {window.lstFiles,   window.cmdOpen,    window.cmdClose,         window.cmdCloseAll, window.lblFolder,
            window.cmdBrowse,  window.chkRecursive, window.lblFind,        window.lblReplace,  window.cmbFind,
            window.cmbReplace, window.chkCaseSensitive, window.cmdHelp,    window.cmdReplace,  window.cmdExit};
  }

  EngineOptions yieldingOftenJournaled() {
    EngineOptions options;
    options.yieldInterval = std::chrono::nanoseconds(0);
    options.bufferCapacity = 64;
    options.journal = &journal;
    return options;
  }

  TemporaryStateHome state;
  journal::RunRecorder journal{state.path(), "sorvane"};
  ScriptedMessageBoxes boxes;
  CountingEventPump pump;
  RecordingHelpEngine help;
  ScriptedFileDialogs dialogs;
  frmSorvane window{{boxes, pump, help, dialogs}, yieldingOftenJournaled()};
};

TEST_F(MainWindow, CaptionsAndAccessKeysAreAsDesigned) {
  EXPECT_EQ(window.windowTitle(), "Sorvane");
  EXPECT_EQ(window.windowIcon().availableSizes().size(), 2);
  EXPECT_EQ(window.frameFolder->title(), "Rename All Files in this Folder");
  EXPECT_EQ(window.frameFiles->title(), "Select File(s) to Rename");
  EXPECT_TRUE(window.frameControls->title().isEmpty());
  EXPECT_EQ(window.chkRecursive->text(), "Find and replace text in all sub-folders");
  EXPECT_EQ(window.chkRememberTheseFiles->text(), "Remember these files");
  EXPECT_EQ(window.chkCaseSensitive->text(), "Case Sensitive");
  EXPECT_EQ(window.optFolderFile[0]->text(), "Select a Folder");
  EXPECT_EQ(window.optFolderFile[1]->text(), "Select File(s)");
  EXPECT_EQ(window.lblFind->text(), "Find every occurrence of:");
  EXPECT_EQ(window.lblReplace->text(), "Replace with:");
  EXPECT_EQ(window.lblFileTypes->text(), "Find and replace text in these files:");
  EXPECT_EQ(window.cmdBrowse->text(), "&Browse...");
  EXPECT_EQ(window.cmdOpen->text(), "&Open...");
  EXPECT_EQ(window.cmdClose->text(), "&Close");
  EXPECT_EQ(window.cmdCloseAll->text(), "Close &All");
  EXPECT_EQ(window.cmdHelp->text(), "&Help");
  EXPECT_EQ(window.cmdExit->text(), "E&xit");
  EXPECT_EQ(window.cmdReplace->text(), "&Replace");
  EXPECT_TRUE(window.optFolderFile[0]->isChecked());
  EXPECT_TRUE(window.cmbFind->isEditable());
  EXPECT_FALSE(window.cmbFileTypes->isEditable());
  EXPECT_EQ(window.lstFiles->selectionMode(), QAbstractItemView::ExtendedSelection);
  EXPECT_FALSE(window.Dir1->isEnabled());
  EXPECT_FALSE(window.File1->isEnabled());
}

TEST_F(MainWindow, AccessKeysActivateTheirButtons) {
  showActive();
  QSignalSpy exitClicks(window.cmdExit, &QPushButton::clicked);
  QSignalSpy browseClicks(window.cmdBrowse, &QPushButton::clicked);
  QSignalSpy openClicks(window.cmdOpen, &QPushButton::clicked);

  QTest::keyClick(&window, Qt::Key_H, Qt::AltModifier);
  EXPECT_TRUE(eventually([&] { return help.command == 3; }));
  EXPECT_TRUE(help.file.endsWith("/Sorvane Help.hlp"));

  window.lblFolder->setText(QString());
  QTest::keyClick(&window, Qt::Key_R, Qt::AltModifier);
  ASSERT_TRUE(eventually([&] { return boxes.shown.size() == 1; }));
  EXPECT_EQ(boxes.shown[0].text, "Made 0 replacements.");

  QTest::keyClick(&window, Qt::Key_O, Qt::AltModifier);  // its frame is hidden in folder mode
  QTest::keyClick(&window, Qt::Key_B, Qt::AltModifier);
  EXPECT_TRUE(eventually([&] { return browseClicks.count() == 1; }));
  EXPECT_EQ(openClicks.count(), 0);
  window.optFolderFile[1]->click();
  QTest::keyClick(&window, Qt::Key_O, Qt::AltModifier);
  EXPECT_TRUE(eventually([&] { return openClicks.count() == 1; }));
  QTest::keyClick(&window, Qt::Key_X, Qt::AltModifier);
  EXPECT_TRUE(eventually([&] { return exitClicks.count() == 1; }));
}

TEST_F(MainWindow, EnterReplacesAndEscExits) {
  showActive();
  QSignalSpy exitClicks(window.cmdExit, &QPushButton::clicked);
  window.lblFolder->setText(QString());
  window.cmbFind->setFocus();
  QTest::keyClick(window.cmbFind, Qt::Key_Return);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, "Made 0 replacements.");

  QTest::keyClick(window.cmbFind, Qt::Key_Escape);
  EXPECT_EQ(exitClicks.count(), 1);

  // A focused button takes Enter for itself.
  window.cmdHelp->setFocus();
  QTest::keyClick(window.cmdHelp, Qt::Key_Return);
  EXPECT_EQ(help.command, 3);
  EXPECT_EQ(boxes.shown.size(), 1u);
}

TEST_F(MainWindow, ModeSwitchAppliesItsFiveSettings) {
  showActive();
  fileMode();
  EXPECT_FALSE(window.frameFolder->isVisible());
  EXPECT_TRUE(window.frameFiles->isVisible());
  EXPECT_EQ(window.layout().frameControls.Height, 2175);
  EXPECT_EQ(window.frameControls->height(), 145);
  EXPECT_FALSE(window.lblFileTypes->isVisible());
  EXPECT_FALSE(window.cmbFileTypes->isVisible());

  window.optFolderFile[0]->click();
  EXPECT_TRUE(window.frameFolder->isVisible());
  EXPECT_FALSE(window.frameFiles->isVisible());
  EXPECT_EQ(window.layout().frameControls.Height, 3015);
  EXPECT_TRUE(window.lblFileTypes->isVisible());
  EXPECT_TRUE(window.cmbFileTypes->isVisible());
  // Both mode frames share one place.
  EXPECT_EQ(window.frameFolder->geometry(), window.frameFiles->geometry());
}

TEST_F(MainWindow, TermBoxesSelectTheirWholeTextOnFocus) {
  showActive();
  window.cmbFind->setEditText("abc");
  window.cmbReplace->setEditText("xyz");
  window.cmdHelp->setFocus();
  QTest::keyClick(window.cmdHelp, Qt::Key_Tab, Qt::ShiftModifier);  // designed order: cmbFind precedes
  window.cmbFind->setFocus(Qt::TabFocusReason);
  QCoreApplication::processEvents();
  EXPECT_EQ(window.cmbFind->lineEdit()->selectedText(), "abc");
  QTest::keyClicks(window.cmbFind, "new");
  EXPECT_EQ(window.cmbFind->currentText(), "new");

  QTest::mouseClick(window.cmbReplace->lineEdit(), Qt::LeftButton, {}, QPoint(5, 5));
  QCoreApplication::processEvents();
  EXPECT_EQ(window.cmbReplace->lineEdit()->selectedText(), "xyz");
}

TEST_F(MainWindow, EmptyListRefusalReenablesTheControlsAndLeavesTheFocus) {
  showActive();
  fileMode();
  std::vector<bool> enabledDuringBox;
  int pointerDuringBox = -1;
  boxes.onShow = [&](const ShownBox&) {
    for (QWidget* control : runSensitive()) enabledDuringBox.push_back(control->isEnabled());
    pointerDuringBox = window.MousePointer();
  };
  window.cmbFind->setFocus();
  QTest::keyClick(window.cmbFind, Qt::Key_Return);
  EXPECT_TRUE(window.cmbFind->hasFocus());
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, "You must open at least one file in which to perform the replacement.");
  EXPECT_EQ(boxes.shown[0].style, 16);
  EXPECT_EQ(boxes.shown[0].title, "Sorvane");
  EXPECT_EQ(enabledDuringBox, std::vector<bool>(15, false));
  EXPECT_EQ(pointerDuringBox, 11);
  for (QWidget* control : runSensitive()) EXPECT_TRUE(control->isEnabled());
  EXPECT_EQ(window.MousePointer(), 0);
  EXPECT_TRUE(window.optFolderFile[0]->isEnabled());  // left as they are
  EXPECT_TRUE(window.cmbFileTypes->isEnabled());
}

// No completion: the recent terms must not turn what is typed into another term.
TEST_F(MainWindow, TheTermTypedIsTheTermReplaced) {
  TempFolder folder;
  const std::string path = folder / "terms.txt";
  fileMode();
  window.lstFiles->addItem(QString::fromStdString(path));
  ui::setCheckValue(*window.chkCaseSensitive, 1);
  showActive();
  for (const auto& [recent, typed, expected] :
       {std::tuple{"foobar", "foo", "X Xbar FOOBAR"}, std::tuple{"FOOBAR", "foobar", "foo X FOOBAR"}}) {
    writeFile(path, "foo foobar FOOBAR");
    boxes.shown.clear();
    window.cmbFind->clear();
    ui::appendTerms(*window.cmbFind, {recent});
    window.cmbReplace->setEditText("X");
    window.cmbFind->setFocus();
    QTest::keyClicks(window.cmbFind, typed);
    QTest::keyClick(window.cmbFind, Qt::Key_Return);
    ASSERT_EQ(boxes.shown.size(), 1u) << typed;
    EXPECT_EQ(readFile(path), expected) << typed;
  }
}

TEST_F(MainWindow, ReplaceFromTheWidgetsRewritesTheListedFilesAndCanBeTakenBack) {
  TempFolder folder;
  writeFile(folder / "a.txt", "Old old\r\nOLD");
  writeFile(folder / "b.txt", std::string("\xFE\xFF\0o\0L\0d\0!", 10));  // UTF-16 BE
  ::chmod((folder / "a.txt").c_str(), 0640);
  const timespec old[2] = {{1000000000, 0}, {1000000000, 987654321}};
  ::utimensat(AT_FDCWD, (folder / "a.txt").c_str(), old, 0);
  fileMode();
  window.lstFiles->addItems({QString::fromStdString(folder / "a.txt"), QString::fromStdString(folder / "b.txt")});
  window.cmbFind->setEditText("old");
  window.cmbReplace->setEditText("new");
  ui::setCheckValue(*window.chkCaseSensitive, 0);
  bool disabledDuringRun = false;
  boxes.onShow = [&](const ShownBox&) {
    disabledDuringRun = !window.cmdReplace->isEnabled() && window.MousePointer() == 11;
  };

  window.cmdReplace->click();

  EXPECT_EQ(readFile(folder / "a.txt"), "new new\r\nnew");
  EXPECT_EQ(readFile(folder / "b.txt"), std::string("\xFE\xFF\0n\0e\0w\0!", 10));
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, "Made 4 replacements.");
  EXPECT_EQ(boxes.shown[0].style, 64);
  EXPECT_TRUE(disabledDuringRun);
  EXPECT_EQ(window.cmbFind->count(), 1);
  EXPECT_EQ(window.cmbFind->itemText(0), "old");
  EXPECT_EQ(window.cmbReplace->itemText(0), "new");
  EXPECT_TRUE(window.cmdReplace->isEnabled());

  const journal::UndoOutcome undo = journal::undoLastRun(state.path(), false);
  EXPECT_TRUE(undo.complete());
  EXPECT_EQ(undo.run.frontEnd, "sorvane");
  EXPECT_EQ(readFile(folder / "a.txt"), "Old old\r\nOLD");
  EXPECT_EQ(readFile(folder / "b.txt"), std::string("\xFE\xFF\0o\0L\0d\0!", 10));
  struct stat st {};
  ::stat((folder / "a.txt").c_str(), &st);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(st.st_mtim.tv_sec, old[1].tv_sec);
  EXPECT_EQ(st.st_mtim.tv_nsec, old[1].tv_nsec);
}

TEST_F(MainWindow, FolderRunUsesTheFolderTypeAndRecursion) {
  TempFolder folder;
  std::filesystem::create_directory(folder / "sub");
  writeFile(folder / "page.html", "old");
  writeFile(folder / "notes.txt", "old");
  writeFile(folder / "sub/deep.htm", "old");
  window.lblFolder->setText(QString::fromStdString(folder.path()));
  window.File1->setPath(QString::fromStdString(folder.path()));
  window.cmbFileTypes->setCurrentIndex(1);
  ui::setCheckValue(*window.chkRecursive, 1);
  window.cmbFind->setEditText("old");
  window.cmbReplace->setEditText("new");
  writeFile(folder / "later.txt", "");  // the run refreshes the file list

  window.cmdReplace->click();

  EXPECT_EQ(boxes.shown.back().text, "Made 2 replacements.");
  EXPECT_EQ(readFile(folder / "sub/deep.htm"), "new");
  EXPECT_EQ(readFile(folder / "notes.txt"), "old");
  EXPECT_EQ(window.File1->count(), 3);
}

TEST_F(MainWindow, ClosingDuringARunLeavesTheFileWholeAndShowsNoReport) {
  TempFolder folder;
  const std::string text = std::string(10000, 'x') + "old";
  writeFile(folder / "long.txt", text);
  fileMode();
  window.lstFiles->addItem(QString::fromStdString(folder / "long.txt"));
  window.cmbFind->setEditText("old");
  window.show();
  pump.onPump = [&] {
    if (pump.calls == 3) window.close();
  };
  window.cmdReplace->click();
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_EQ(readFile(folder / "long.txt"), text);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
}

TEST_F(MainWindow, GrayedBoxTogglesOnlyBetweenClearAndTicked) {
  ui::setCheckValue(*window.chkRecursive, 2);
  EXPECT_EQ(ui::checkValue(*window.chkRecursive), 2);
  std::vector<int> seen;
  for (int click = 0; click < 4; ++click) {
    window.chkRecursive->click();
    seen.push_back(ui::checkValue(*window.chkRecursive));
  }
  EXPECT_EQ(seen, (std::vector<int>{1, 0, 1, 0}));
}

TEST_F(MainWindow, OuterSizeRoundTripsInTwips) {
  window.show();
  window.setOuterSize(9600, 7200);
  EXPECT_EQ(window.outerWidth(), 9600);
  EXPECT_EQ(window.outerHeight(), 7200);
  EXPECT_EQ(window.layout().frameFolder.Height, 7200 - 1080);
}

// Frames as designed: every widget clear of its frame's caption and border, in both modes, at the
// designed size and a large one; tick boxes whole; wrapped captions at the window's font.
TEST_F(MainWindow, FramesAndTheirWidgetsAreDrawnWhole) {
  window.show();
  const std::pair<QWidget*, const char*> named[] = {
      {window.File1, "File1"}, {window.Dir1, "Dir1"}, {window.chkRecursive, "chkRecursive"},
      {window.cmdBrowse, "cmdBrowse"}, {window.lblFolder, "lblFolder"},
      {window.chkRememberTheseFiles, "chkRememberTheseFiles"}, {window.cmdOpen, "cmdOpen"},
      {window.cmdClose, "cmdClose"}, {window.cmdCloseAll, "cmdCloseAll"}, {window.lstFiles, "lstFiles"},
      {window.cmbFileTypes, "cmbFileTypes"}, {window.chkCaseSensitive, "chkCaseSensitive"},
      {window.cmbReplace, "cmbReplace"}, {window.cmbFind, "cmbFind"}, {window.lblFileTypes, "lblFileTypes"},
      {window.lblFind, "lblFind"}, {window.lblReplace, "lblReplace"}};
  const auto expectClearOfTheFrames = [&](const char* size) {
    for (QRadioButton* mode : window.optFolderFile) {
      mode->click();
      for (const auto& [widget, name] : named) {
        if (!widget->isVisibleTo(&window)) continue;
        EXPECT_FALSE(crossesItsFrame(*widget)) << name << ", " << size << ", " << qPrintable(mode->text());
      }
    }
  };
  expectClearOfTheFrames("designed");
  window.setOuterSize(10000, 7000);
  expectClearOfTheFrames("10000 x 7000");

  for (QCheckBox* box : {window.chkRecursive, window.chkCaseSensitive, window.chkRememberTheseFiles}) {
    QStyleOptionButton option;
    option.initFrom(box);
    EXPECT_TRUE(box->rect().contains(box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box)))
        << qPrintable(box->text());
  }
  const QCheckBox& remember = *window.chkRememberTheseFiles;
  const int captionLeft = remember.style()->pixelMetric(QStyle::PM_IndicatorWidth) +
                          remember.style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing);
  const QRect room(0, 0, remember.width() - captionLeft, remember.height());
  const QRect caption = QFontMetrics(window.font()).boundingRect(room, Qt::TextWordWrap, remember.text());
  EXPECT_EQ(remember.font(), window.font());
  EXPECT_TRUE(room.contains(caption)) << caption.width() << " x " << caption.height() << " in " << room.width()
                                      << " x " << room.height();
  EXPECT_GT(caption.height(), QFontMetrics(window.font()).height());  // it does wrap
}

TEST_F(MainWindow, LongNamesAreShortenedInTheMiddleNotScrolled) {
  TempFolder folder;
  const std::string longName = std::string(150, 'n') + ".txt";
  writeFile(folder / longName, "");
  window.File1->setPath(QString::fromStdString(folder.path()));
  window.lstFiles->addItem(QString::fromStdString(folder / longName));
  showActive();
  for (QListWidget* list : {static_cast<QListWidget*>(window.File1), window.lstFiles}) {
    window.optFolderFile[list == window.File1 ? 0 : 1]->click();
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
