#include "engine/run/messages.h"
#include "journal/undo.h"
#include "main_window/check_value.h"
#include "main_window/elided_path_label.h"
#include "main_window/file_types_box.h"
#include "main_window/folder_views.h"
#include "main_window/pattern_marks.h"
#include "main_window/term_box.h"
#include "preview_window/mark_colours.h"
#include "run_program.h"
#include "main_window_fixture.h"
#include "preview_window/frm_preview.h"
#include "preview_window/preview_model.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTimer>
#include <QToolTip>
#include <sys/file.h>

namespace sorvane::testing {
namespace {

class MainWindow : public MainWindowFixture {
 protected:
  // The next start, on keys as an earlier run (or a user) left them.
  void startWith(std::initializer_list<std::pair<QString, QString>> keys) {
    settings::SettingsStore seeded = settings::SettingsStore::atFile(storePath());
    for (const auto& [key, value] : keys) seeded.SaveSetting("Settings", key, value);
    seeded.sync();
    start();
  }
  QString stored(const QString& section, const QString& key) const {
    return settings::SettingsStore::atFile(storePath()).GetSetting(section, key, QStringLiteral("<absent>"));
  }
};

// Whether `widget` reaches beyond its frame or covers its border, caption or outer strip.
bool crossesItsFrame(QWidget& widget) {
  QWidget& frame = *widget.parentWidget();
  if (!frame.rect().contains(widget.geometry())) return true;
  QImage alone(frame.size(), QImage::Format_RGB32);
  alone.fill(frame.palette().color(QPalette::Window));
  frame.render(&alone, QPoint(), QRegion(), QWidget::RenderFlags());
  const QRgb in = alone.pixel(frame.rect().center());
  const QRect area = widget.geometry();
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x) {
      const QRgb at = alone.pixel(x, y);
      if (std::abs(qRed(at) - qRed(in)) + std::abs(qGreen(at) - qGreen(in)) + std::abs(qBlue(at) - qBlue(in)) > 24) return true;
    }
  return false;
}

std::vector<QWidget*> runSensitive(const ui::MainWindowWidgets& w) {
  return {w.lstFiles, w.cmdOpen, w.cmdClose,   w.cmdCloseAll, w.lblFolder,        w.cmdBrowse, w.chkRecursive, w.lblFind,
          w.lblReplace, w.cmbFind, w.cmbReplace, w.chkCaseSensitive, w.chkWholeWord, w.chkRegularExpression, w.cmdHelp,
          w.cmdReplace, w.cmdExit};
}

QStringList entriesOf(const QComboBox& box) {
  QStringList entries;
  for (int i = 0; i < box.count(); ++i) entries.append(box.itemText(i));
  return entries;
}

std::pair<ui::Twips, ui::Twips> sizeOf(const ui::frmSorvane& window) { return {window.outerWidth(), window.outerHeight()}; }

// Recursive, Case Sensitive, Remember These Files, Whole word, Regular expression.
std::vector<CheckValue> boxValues(const ui::MainWindowWidgets& w) {
  return {ui::checkValue(*w.chkRecursive), ui::checkValue(*w.chkCaseSensitive), ui::checkValue(*w.chkRememberTheseFiles),
          ui::checkValue(*w.chkWholeWord), ui::checkValue(*w.chkRegularExpression)};
}
using enum CheckValue;

TEST_F(MainWindow, AnEmptyStoreGivesTheFirstStartAndEverySettingComesBackAtTheNextStart) {
  EXPECT_EQ(window->windowTitle(), "Sorvane Version 2.1.0");
  EXPECT_FALSE(w().cmdUndo->isEnabled()) << "nothing to undo yet";
  EXPECT_EQ(sizeOf(*window), (std::pair<ui::Twips, ui::Twips>(8000, 4800)));
  // No folder chosen: a run rewrites nothing.
  EXPECT_TRUE(w().lblFolder->text().isEmpty() && w().Dir1->path().isEmpty());
  EXPECT_EQ(boxValues(w()), (std::vector{Cleared, Checked, Cleared, Cleared, Cleared}));
  EXPECT_TRUE(w().cmbFind->currentText().isEmpty() && w().cmbReplace->count() == 0 && w().lstFiles->count() == 0);
  ASSERT_EQ(w().cmbFileTypes->count(), static_cast<int>(std::size(kFileTypes)));
  for (int i = 0; i < w().cmbFileTypes->count(); ++i) EXPECT_EQ(w().cmbFileTypes->itemText(i), kFileTypes[i].caption);
  EXPECT_EQ(w().cmbFileTypes->currentIndex(), 0);
  // Masks can be typed but are never completed, files can be selected in ranges, the folder lists take no input.
  EXPECT_EQ(std::tuple(w().cmbFileTypes->isEditable(), w().cmbFileTypes->completer(), w().lstFiles->selectionMode(),
                       w().Dir1->isEnabled() || w().File1->isEnabled()),
            std::tuple(true, nullptr, QAbstractItemView::ExtendedSelection, false));
  for (const int side : {16, 32}) {  // a hand-drawn icon for each size, the background showing around the page
    EXPECT_TRUE(window->windowIcon().availableSizes().contains(QSize(side, side))) << side;
    const QImage image = window->windowIcon().pixmap(side).toImage();
    EXPECT_TRUE(image.hasAlphaChannel() && qAlpha(image.pixel(0, 0)) == 0) << side;
  }

  const QString data = QString::fromStdString(folder.path());
  w().optFolderFile[1]->click();
  w().lblFolder->setText(data);
  w().cmbFind->setEditText("find me");
  ui::appendTerms(*w().cmbFind, {"one", "two"});
  ui::appendTerms(*w().cmbReplace, {"", "x"});
  w().cmbReplace->setEditText("replace me");
  ui::setCheckValue(*w().chkCaseSensitive, CheckValue::Cleared);
  ui::setCheckValue(*w().chkRecursive, CheckValue::Grayed);
  ui::setCheckValue(*w().chkRememberTheseFiles, CheckValue::Checked);
  ui::setCheckValue(*w().chkWholeWord, CheckValue::Checked);
  ui::setCheckValue(*w().chkRegularExpression, CheckValue::Grayed);
  for (const char* masks : {"*.h", "*.cpp; *.h", "*.h"}) ui::recordFileMasks(*w().cmbFileTypes, masks);
  w().cmbFileTypes->setEditText("!*.log");
  w().lstFiles->addItems({"/a/1.txt", "/gone/3.txt"});
  window->setOuterSize(9600, 7200);
  w().cmdExit->click();

  start();
  showActive();
  EXPECT_TRUE(w().cmbFind->hasFocus()) << "typing goes into the find box at start-up";
  EXPECT_EQ(sizeOf(*window), (std::pair<ui::Twips, ui::Twips>(9600, 7200)));
  EXPECT_EQ(window->layout().frameFolder.Height, 7200 - 1080);
  EXPECT_TRUE(w().optFolderFile[1]->isChecked() && w().frameFiles->isVisible() && !w().cmbFileTypes->isVisible());
  for (const QString& shown : {w().lblFolder->text(), w().lblFolder->toolTip(), w().File1->path()}) EXPECT_EQ(shown, data);
  EXPECT_EQ(QStringList(w().cmbFind->currentText()) + entriesOf(*w().cmbFind), (QStringList{"find me", "one", "two"}));
  EXPECT_EQ(QStringList(w().cmbReplace->currentText()) + entriesOf(*w().cmbReplace), (QStringList{"replace me", "", "x"}));
  EXPECT_EQ(boxValues(w()), (std::vector{Grayed, Cleared, Checked, Checked, Grayed}));
  EXPECT_EQ(std::pair(stored("Settings", "Whole Word"), stored("Settings", "Regular Expression")), std::pair(QString("1"), QString("2")));
  EXPECT_EQ(std::pair(w().cmbFileTypes->currentText(), ui::recentFileMasks(*w().cmbFileTypes)),
            std::pair(QString("!*.log"), QStringList{"*.h", "*.cpp; *.h"}));  // newest first, once each
  EXPECT_EQ(w().lstFiles->count() == 2 ? w().lstFiles->item(1)->text() : QString(), "/gone/3.txt");
  for (const CheckValue next : {CheckValue::Checked, CheckValue::Cleared, CheckValue::Checked}) {  // never grayed again
    w().chkRecursive->click();
    EXPECT_EQ(ui::checkValue(*w().chkRecursive), next);
  }
}

TEST_F(MainWindow, AValueThatDoesNotConvertLeavesItsControlAsDesignedAndTheSizeHasAMinimum) {
  startWith({{"Window Width", "wide"}, {"Case Sensitive", "7"}, {"Select Files", "False"}, {"Select a Folder", "False"},
             {"Checkbox Recursive", "1"}, {"Path", "/no/such/folder"}, {"File Types To Search", "Text files (*.txt)"}});
  EXPECT_EQ(window->outerWidth(), 8625);  // as designed
  EXPECT_EQ(boxValues(w()), (std::vector{Checked, Cleared, Cleared, Cleared, Cleared}));
  EXPECT_TRUE(w().lblFolder->text() == "/no/such/folder" && w().Dir1->path().isEmpty());
  EXPECT_EQ(std::pair(w().cmbFileTypes->currentIndex(), w().cmbFileTypes->currentText()),
            std::pair(-1, QString("Text files (*.txt)")));  // as typed text
  EXPECT_FALSE(w().optFolderFile[0]->isChecked() || w().optFolderFile[1]->isChecked());
  EXPECT_TRUE(w().frameFiles->isVisible());  // neither on: the file-mode layout

  startWith({{"Window Width", "5000"}, {"Window Height", "9000.5"}});
  EXPECT_EQ(window->outerWidth(), 8000);  // the minimum
  EXPECT_NEAR(window->outerHeight(), 9000.5, 8);
  window->showMaximized();
  window->showMinimized();  // minimized from maximized: the window is both
  w().cmdExit->click();
  EXPECT_EQ(stored("Settings", "Window Maximized"), "<absent>");

  start().showMaximized();
  w().cmdExit->click();
  EXPECT_EQ(stored("Settings", "Window Maximized"), "True");
  EXPECT_EQ(stored("Settings", "Window Width"), "5000");
  EXPECT_TRUE(start().isMaximized());
}

TEST_F(MainWindow, ClosingDuringARunSavesHidesAndLeavesTheFileWholeWithoutAReport) {
  const std::string path = folder / "long.txt", text = std::string(5000, 'x') + "old";
  writeFile(path, text);
  listFiles({path});
  w().cmbFind->setEditText("old");
  scripted.pump.onPump = [&] { if (scripted.pump.calls == 2) window->close(); };
  w().cmdReplace->click();
  EXPECT_EQ(std::tuple(scripted.boxes.shown.empty(), window->isVisible(), readFile(path)), std::tuple(true, false, text));
  EXPECT_EQ(namesIn(folder.path()), (std::vector<std::string>{"Sorvane.conf", "long.txt"}));
  EXPECT_EQ(stored("Terms", "Find Term 0"), "old");  // saved as Exit saves
}

// Stop (its button, Esc, the progress window's close box) ends a run as Abort does, serial or parallel.
TEST_F(MainWindow, StoppingARunLeavesEachFileOldOrNewJournaledAndReported) {
  constexpr int kFiles = 40;
  const std::string before = std::string(300, 'x') + "old", after = std::string(300, 'x') + "new";
  const std::vector<std::tuple<const char*, int, std::function<void(QProgressDialog&)>>> ways = {
      {"Stop", 1, [](QProgressDialog& progress) { progress.findChild<QPushButton*>()->click(); }},
      {"Esc", 3, [](QProgressDialog& progress) { QTest::keyClick(&progress, Qt::Key_Escape); }},
      {"close box", 1, [](QProgressDialog& progress) { progress.close(); }}};
  batchFiles = 4;  // several batches, so a stop falls between two
  for (const auto& [way, parallel, stop] : ways) {
    jobs = parallel;
    start();
    // A folder run: it does not know how many files it will meet.
    const std::string tree = folder / "tree";
    std::filesystem::create_directory(tree);
    std::vector<std::string> paths;
    for (int i = 0; i < kFiles; ++i) writeFile(paths.emplace_back(tree + "/f" + std::to_string(i) + ".txt"), before);
    w().lblFolder->setText(QString::fromStdString(tree));
    w().cmbFind->setEditText("old");
    w().cmbReplace->setEditText("new");
    scripted.boxes.shown.clear();
    bool stopped = false;
    scripted.pump.onPump = [&, stop = stop, way = way] {
      // Once the first batch is in place.
      if (stopped || std::ranges::none_of(paths, [&](auto& path) { return readFile(path) == after; })) return;
      stopped = true;
      auto& progress = *window->findChild<QProgressDialog*>();
      if (std::string(way) == "Stop") {
        // A run that lasts is shown after about half a second.
        QTest::qWait(platform::kProgressShownAfterMilliseconds + 200);
        EXPECT_TRUE(progress.isVisible());
      }
      stop(progress);
    };
    w().cmdReplace->click();
    scripted.pump.onPump = nullptr;
    std::vector<std::string> texts;
    for (const std::string& path : paths) texts.push_back(readFile(path));
    const auto replaced = std::ranges::count(texts, after);
    EXPECT_EQ(std::ranges::count(texts, before), kFiles - replaced) << "each file old or new";
    EXPECT_TRUE(replaced > 0 && replaced < kFiles) << way << ", " << parallel << " jobs: " << replaced;
    EXPECT_EQ(scripted.boxes.shown.size() == 1 ? lastBox() : QString(), QString("Made %1 replacements.").arg(replaced))
        << way;
    EXPECT_EQ(window->findChild<QProgressDialog*>(), nullptr) << "gone before the report";
    EXPECT_EQ(journal::undoLastRun(state.path()).restored.size(), static_cast<std::size_t>(replaced));
  }
}

// Tab goes through the controls in their start-up order, in each mode; a focused button takes Enter, else Replace
// does; Esc exits; access keys press the buttons of the frame shown.
TEST_F(MainWindow, KeysReachTheControlsInOrderAndTheButtonsOfTheVisibleFrame) {
  showActive();
  const auto tabbing = [this] {
    std::vector<QWidget*> seen;
    w().optFolderFile[0]->isChecked() ? w().optFolderFile[0]->setFocus() : w().optFolderFile[1]->setFocus();
    for (QWidget* at = QApplication::focusWidget(); seen.size() <= 30 && (seen.empty() || at != seen.front());
         at = QApplication::focusWidget()) {
      seen.push_back(at);
      QTest::keyClick(at, Qt::Key_Tab);
    }
    return seen;
  };
  EXPECT_EQ(tabbing(), (std::vector<QWidget*>{w().optFolderFile[0], w().cmdBrowse, w().chkRecursive, w().cmbFind,
                                               w().cmbReplace, w().chkCaseSensitive, w().chkWholeWord,
                                               w().chkRegularExpression, w().cmbFileTypes, w().cmdHelp, w().cmdPreview, w().cmdReplace, w().cmdExit}));
  w().optFolderFile[1]->click();
  EXPECT_EQ(tabbing(), (std::vector<QWidget*>{w().optFolderFile[1], w().lstFiles, w().cmdOpen, w().cmdClose,
                                               w().cmdCloseAll, w().chkRememberTheseFiles, w().cmbFind,
                                               w().cmbReplace, w().chkCaseSensitive, w().chkWholeWord, w().chkRegularExpression,
                                               w().cmdHelp, w().cmdPreview,
                                               w().cmdReplace, w().cmdExit}));

  QSignalSpy exitClicks(w().cmdExit, &QPushButton::clicked);
  // Help that cannot be shown ends the command without a message.
  scripted.help.fail = true;
  w().cmdHelp->setFocus();
  QTest::keyClick(w().cmdHelp, Qt::Key_Return);
  scripted.help.fail = false;
  const std::vector<std::tuple<QWidget*, Qt::Key, Qt::KeyboardModifier>> asksForHelp = {
      {w().cmdHelp, Qt::Key_Return, {}}, {w().cmbFind, Qt::Key_F1, {}}, {window.get(), Qt::Key_H, Qt::AltModifier}};
  for (const auto& [to, key, modifier] : asksForHelp) {
    scripted.help.command = 0;
    QTest::keyClick(to, key, modifier);
    EXPECT_TRUE(eventually([&] { return scripted.help.command == platform::kHelpContents; })) << key;
  }
  EXPECT_TRUE(scripted.boxes.shown.empty() && scripted.help.file.endsWith("/Sorvane Help.hlp"));
  EXPECT_EQ(scripted.help.owner, window.get()) << "the help window belongs to the main window";

  // An empty file list, or no folder chosen (which would name the root of the disk), runs nothing.
  std::vector<bool> enabledDuringBox;
  MousePointer pointerDuringBox = MousePointer::Default;
  scripted.boxes.onShow = [&](const ShownBox&) {
    for (QWidget* control : runSensitive(w())) enabledDuringBox.push_back(control->isEnabled());
    pointerDuringBox = window->MousePointer();
  };
  for (const auto& [mode, says] : {std::pair{1, messages::kEmptyFileList}, std::pair{0, messages::kNoFolderChosen}}) {
    w().optFolderFile[mode]->click();
    enabledDuringBox.clear(), scripted.boxes.shown.clear();
    w().cmbFind->setFocus();
    QTest::keyClick(w().cmbFind, Qt::Key_Return);
    EXPECT_TRUE(w().cmbFind->hasFocus());
    ASSERT_EQ(scripted.boxes.shown.size(), 1u) << says;
    EXPECT_EQ(scripted.boxes.shown[0].text, QString::fromLatin1(says));
    EXPECT_EQ(std::pair(enabledDuringBox, pointerDuringBox), std::pair(std::vector<bool>(17, false), MousePointer::Hourglass));
    for (QWidget* control : runSensitive(w())) EXPECT_TRUE(control->isEnabled());
    EXPECT_EQ(window->MousePointer(), MousePointer::Default);
    EXPECT_TRUE(w().optFolderFile[0]->isEnabled() && w().cmbFileTypes->isEnabled());  // left as they are
  }
  QTest::keyClick(window.get(), Qt::Key_R, Qt::AltModifier);
  EXPECT_TRUE(eventually([&] { return scripted.boxes.shown.size() == 2u; }));
  // A frame takes none of the keys that press a button (Enter, under some platform themes; Select here).
  for (QWidget* frame : {w().frameFolder, w().frameFiles, w().frameControls}) {
    QKeyEvent select(QEvent::KeyPress, Qt::Key_Select, Qt::NoModifier);
    QApplication::sendEvent(frame, &select);
    EXPECT_FALSE(select.isAccepted()) << frame->objectName().toStdString();
  }

  QTest::keyClick(window.get(), Qt::Key_O, Qt::AltModifier);  // its frame is hidden in folder mode
  QTest::keyClick(window.get(), Qt::Key_B, Qt::AltModifier);
  EXPECT_TRUE(eventually([&] { return scripted.dialogs.folderTitles.size() == 1; }));
  EXPECT_TRUE(w().lblFolder->text().isEmpty() && scripted.dialogs.fileRequests.empty()) << "cancelled: nothing changes";
  w().optFolderFile[1]->click();
  QTest::keyClick(window.get(), Qt::Key_O, Qt::AltModifier);
  EXPECT_TRUE(eventually([&] { return scripted.dialogs.fileRequests.size() == 1; }));

  w().cmbFind->setEditText("abc");
  w().cmbReplace->setEditText("xyz");
  for (QComboBox* box : {w().cmbReplace, w().cmbFind}) {  // a click, unlike Tab, selects nothing by itself
    QTest::mouseClick(box->lineEdit(), Qt::LeftButton, {}, QPoint(5, 5));
    QCoreApplication::processEvents();
    EXPECT_EQ(box->lineEdit()->selectedText(), box->currentText());
  }
  QTest::keyClicks(w().cmbFind, "by esc");
  QTest::keyClick(w().cmbFind, Qt::Key_Escape);
  EXPECT_EQ(stored("Settings", "Text Find"), "by esc");
  for (const auto& [key, box] : {std::pair{Qt::Key_W, w().chkWholeWord}, {Qt::Key_E, w().chkRegularExpression}}) {
    QTest::keyClick(window.get(), key, Qt::AltModifier);
    EXPECT_TRUE(eventually([box] { return box->isChecked() && box->hasFocus(); })) << qPrintable(box->text());
  }
  QTest::keyClick(window.get(), Qt::Key_X, Qt::AltModifier);
  EXPECT_TRUE(eventually([&] { return exitClicks.count() == 2; }));
}

// No completion: the recent terms must not turn what is typed into another term.
TEST_F(MainWindow, TheTermTypedIsTheTermReplacedAndRecorded) {
  const std::string path = folder / "terms.txt";
  listFiles({path});
  showActive();
  // Undo stays off during a run, even when the window is activated then.
  bool undoDuringRun = false;
  scripted.pump.onPump = [&] {
    QEvent activation(QEvent::ActivationChange);
    QCoreApplication::sendEvent(window.get(), &activation);
    undoDuringRun = undoDuringRun || w().cmdUndo->isEnabled();
  };
  for (const auto& [recent, typed, caseSensitive, expected] :
       {std::tuple{"foobar", "foo", CheckValue::Checked, "X Xbar FOOBAR"},
        std::tuple{"FOOBAR", "foobar", CheckValue::Checked, "foo X FOOBAR"},
        std::tuple{"", "Foo", CheckValue::Cleared, "X Xbar XBAR"}}) {
    writeFile(path, "foo foobar FOOBAR");
    scripted.boxes.shown.clear();
    w().cmbFind->clear();
    if (*recent != '\0') ui::appendTerms(*w().cmbFind, {recent});
    ui::setCheckValue(*w().chkCaseSensitive, caseSensitive);
    w().cmbReplace->setEditText("X");
    w().cmbFind->setFocus();
    QTest::keyClicks(w().cmbFind, typed);
    QTest::keyClick(w().cmbFind, Qt::Key_Return);
    ASSERT_EQ(scripted.boxes.shown.size(), 1u) << typed;
    EXPECT_EQ(readFile(path), expected) << typed;
  }
  EXPECT_EQ(std::tuple(entriesOf(*w().cmbFind), entriesOf(*w().cmbReplace), undoDuringRun),
            std::tuple(QStringList{"Foo"}, QStringList{"X"}, false));
  scripted.pump.onPump = nullptr;

  // The window's last run is journaled, and Undo names it; Yes (Alt+U) takes the run back and says so. Then
  // Undo names the run before.
  const QString tip = w().cmdUndo->toolTip();
  EXPECT_TRUE(tip.startsWith("Take back the run of ") && tip.endsWith(QStringLiteral("\"Foo\" \u2192 \"X\" (ignoring case), 1 file")))
      << tip.toStdString();
  scripted.boxes.shown.clear();
  scripted.boxes.answerToQuestions = MessageAnswer::Yes;
  bool progressOverWindow = false;  // the undo's progress window belongs to the main window
  scripted.boxes.onShow = [&](const ShownBox&) {
    QTimer::singleShot(0, window.get(), [&] { progressOverWindow = progressOverWindow || window->findChild<QProgressDialog*>(); });
  };
  QTest::keyClick(window.get(), Qt::Key_U, Qt::AltModifier);
  ASSERT_TRUE(eventually([&] { return scripted.boxes.shown.size() == 2u; }));
  EXPECT_EQ(scripted.boxes.shown[0].text, "T" + tip.mid(1) + "?");
  EXPECT_NE(w().cmdUndo->toolTip(), tip) << "it names the run before";
  EXPECT_EQ(readFile(path), "foo foobar FOOBAR");
  scripted.boxes.onShow = nullptr;
  EXPECT_TRUE(progressOverWindow);
}

// While Regular expression is ticked, a broken pattern or template is marked as it is typed and refused by Replace
// and by Preview: the box at fault takes the focus with its text from the fault on selected, and nothing is read,
// written or recorded. A sound pattern runs as the command line runs it, and Undo names it in the same words.
TEST_F(MainWindow, APatternIsCheckedAsTypedRefusedWhenBrokenAndRunAsTheCommandLineRunsIt) {
  const std::string inWindow = folder / "window", onCommandLine = folder / "cli";
  for (const std::string& copy : {inWindow, onCommandLine}) {
    std::filesystem::create_directories(copy + "/sub");
    writeFile(copy + "/a.txt", "alpha beta\r\nxalpha beta");
    writeFile(copy + "/sub/b.txt", "<b>alpha one</b>");
  }
  w().lblFolder->setText(QString::fromStdString(inWindow));
  ui::setCheckValue(*w().chkRecursive, Checked);
  showActive();
  QTest::keyClick(window.get(), Qt::Key_E, Qt::AltModifier);
  ASSERT_TRUE(eventually([&] { return w().chkRegularExpression->isChecked(); }));
  const QColor plainBase = w().cmbFind->palette().color(QPalette::Base);
  w().cmbFind->setFocus();
  w().cmbFind->setEditText(QStringLiteral("\u00E9"));
  QTest::keyClicks(w().cmbFind, ")b|");
  const QPalette marked = w().cmbFind->palette();
  EXPECT_TRUE(ui::isMarked(*w().cmbFind) && !ui::isMarked(*w().cmbReplace));
  EXPECT_EQ(w().cmbFind->toolTip(), "Not a pattern that can be used: unmatched closing parenthesis at offset 1");
  EXPECT_TRUE(marked.color(QPalette::Base) != plainBase && marked.color(QPalette::Base).red() > marked.color(QPalette::Base).green() &&
              preview::contrastRatio(marked.color(QPalette::Base), marked.color(QPalette::Text)) >= 4.5);

  // Replace (Enter in the box), then Preview with a broken template.
  QTest::keyClick(w().cmbFind, Qt::Key_Return);
  ASSERT_EQ(scripted.boxes.shown.size(), 1u);
  EXPECT_EQ(std::tuple(scripted.boxes.shown[0].text, scripted.boxes.shown[0].style, scripted.boxes.shown[0].title),
            std::tuple(QString("The find text is not a pattern that can be used:\r\runmatched closing parenthesis at offset 1."),
                       MessageStyle::Critical, QString("Sorvane")));
  EXPECT_TRUE(eventually([&] { return w().cmbFind->hasFocus() && w().cmbFind->lineEdit()->selectedText() == ")b|"; }))
      << w().cmbFind->lineEdit()->selectedText().toStdString();
  w().cmbFind->setEditText("(al\\w*) (\\w+)");
  EXPECT_TRUE(!ui::isMarked(*w().cmbFind) && w().cmbFind->toolTip().isEmpty());
  w().cmbReplace->setEditText("x${9}y");
  EXPECT_EQ(std::pair(ui::isMarked(*w().cmbReplace), w().cmbReplace->toolTip()),
            std::pair(true, QString("Not a template that can be used: the pattern has no group 9 at offset 1")));
  w().chkRegularExpression->click();  // off: nothing to check
  EXPECT_FALSE(ui::isMarked(*w().cmbReplace));
  w().chkRegularExpression->click();
  QTest::keyClick(window.get(), Qt::Key_P, Qt::AltModifier);
  EXPECT_TRUE(eventually([&] { return scripted.boxes.shown.size() == 2u && w().cmbReplace->hasFocus(); }));
  EXPECT_EQ(std::pair(lastBox(), w().cmbReplace->lineEdit()->selectedText()),
            std::pair(QString("The replace text is not a template that can be used:\r\rthe pattern has no group 9 at offset 1."),
                      QString("${9}y")));
  EXPECT_EQ(window->findChild<preview::frmPreview*>(), nullptr);
  EXPECT_EQ(std::tuple(w().cmbFind->count(), w().cmbReplace->count(), readFile(inWindow + "/a.txt"), w().cmdUndo->isEnabled()),
            std::tuple(0, 0, std::string("alpha beta\r\nxalpha beta"), false));

  w().cmbFind->setEditText("(");  // a template cannot be judged against a broken pattern
  EXPECT_TRUE(ui::isMarked(*w().cmbFind) && !ui::isMarked(*w().cmbReplace));
  w().cmbFind->setEditText("(al\\w*) (\\w+)");
  w().cmbReplace->setEditText("$2 \\U$1");
  w().chkWholeWord->click();
  w().cmdReplace->click();
  const ProgramRun cli = runProgram(SORVANE_CLI_PATH, {"--find", "(al\\w*) (\\w+)", "--replace", "$2 \\U$1", "--regex", "--word",
                                                       "--no-undo", "--folder", onCommandLine, "--recursive"});
  EXPECT_EQ(std::pair(lastBox().toStdString(), cli.status), std::pair(lastLine(cli.out), 0));
  EXPECT_EQ(lastBox(), "Made 2 replacements.");
  for (const char* name : {"/a.txt", "/sub/b.txt"}) EXPECT_EQ(readFile(inWindow + name), readFile(onCommandLine + name)) << name;
  EXPECT_EQ(readFile(inWindow + "/a.txt"), "beta ALPHA\r\nxalpha beta");
  EXPECT_TRUE(w().cmdUndo->toolTip().contains(QStringLiteral("/(al\\w*) (\\w+)/ \u2192 \"$2 \\U$1\" (whole words)")))
      << w().cmdUndo->toolTip().toStdString();
  w().cmbFind->setEditText("");  // finds nothing, as an empty term does
  w().cmbReplace->setEditText("\\U$0");
  w().cmdReplace->click();
  EXPECT_EQ(std::pair(lastBox(), readFile(inWindow + "/sub/b.txt")), std::pair(QString("Made 0 replacements."), readFile(onCommandLine + "/sub/b.txt")));
}

bool refuseLocks = false;
int lockUnlessRefused(int fd, int operation) {
  if (!refuseLocks) return ::flock(fd, operation);
  errno = ENOLCK;
  return -1;
}

// Folders the run could not read, and a journal that keeps nothing, are told after the report.
TEST_F(MainWindow, WhatARunCouldNotDoIsToldAfterItsReport) {
  const std::string gone = folder / "gone";
  w().lblFolder->setText(QString::fromStdString(gone));
  w().cmbFind->setEditText("old");
  w().cmdReplace->click();
  ASSERT_EQ(scripted.boxes.shown.size(), 2u);
  EXPECT_EQ(scripted.boxes.shown[0].text, "Made 0 replacements.");
  EXPECT_EQ(std::pair(scripted.boxes.shown[1].style, lastBox()),
            std::pair(MessageStyle::Critical, "This folder could not be read, so its files were passed over:\r\r" +
                                                  QString::fromStdString(gone) + ": Path not found (error 76)"));

  journal::RunRecorder refusing(state.path(), "sorvane", {}, {.lock = &lockUnlessRefused});
  const EngineOptions options{.yieldInterval = std::chrono::nanoseconds(0), .batch = {}};
  window = std::make_unique<ui::frmSorvane>(scripted.services(), *store, options, &refusing);
  const std::string a = folder / "a.txt", b = folder / "b.txt", c = folder / "c.txt";
  for (const std::string& path : {a, b, c}) writeFile(path, "old");
  listFiles({a});
  w().cmbFind->setEditText("old");
  w().cmdReplace->click();
  const QString older = w().cmdUndo->toolTip();
  refuseLocks = true;
  listFiles({b});
  scripted.boxes.shown.clear();
  w().cmdReplace->click();
  refuseLocks = false;
  ASSERT_EQ(scripted.boxes.shown.size(), 2u);
  EXPECT_TRUE(lastBox().startsWith("This run cannot be taken back:\r\r")) << lastBox().toStdString();
  EXPECT_TRUE(older.startsWith("Take back the run of ") && w().cmdUndo->toolTip() == older + "\n(The last run cannot be taken back.)");

  for (const std::string& path : {a, b}) writeFile(path, "old");
  listFiles({a, b, c});  // a Replace from the preview counts its progress in the files chosen
  showActive();
  QTest::keyClick(window.get(), Qt::Key_P, Qt::AltModifier);
  preview::frmPreview* preview = nullptr;
  ASSERT_TRUE(eventually([&] { return (preview = window->findChild<preview::frmPreview*>()) && !preview->searching(); }));
  preview->model().setData(preview->model().index(0, 0), Qt::Unchecked, Qt::CheckStateRole);
  int bar = -1;  // the progress window's whole
  scripted.pump.onPump = [&] {
    if (auto* progress = window->findChild<QProgressDialog*>()) bar = progress->maximum();
  };
  preview->cmdReplace->click();
  EXPECT_TRUE(eventually([&] { return lastBox().startsWith("Made "); }));
  EXPECT_EQ(bar, 2);  // of 3 listed
  window.reset();  // before its journal
}

TEST_F(MainWindow, BrowsedFolderIsShownAndRunWithItsTypeAndRecursion) {
  // Longer than the label: it shows the start and the end of the path, never a cut-off end.
  const std::string root = folder / (std::string(60, 'l') + "/data");
  std::filesystem::create_directories(root + "/sub");
  for (const char* name : {"/page.html", "/notes.txt", "/sub/deep.htm"}) writeFile(root + name, "old");
  const QString chosen = QString::fromStdString(root);
  scripted.dialogs.nextFolder = chosen;
  w().cmdBrowse->click();
  EXPECT_EQ(scripted.dialogs.folderTitles, std::vector<QString>{"Select a folder"});
  for (const QString& path : {w().lblFolder->text(), w().lblFolder->toolTip(), w().Dir1->path()}) EXPECT_EQ(path, chosen);
  const QString shown = qobject_cast<ui::ElidedPathLabel*>(w().lblFolder)->shownText();
  EXPECT_TRUE(shown.contains(QChar(0x2026)) && shown.endsWith("l/data") && shown.startsWith(chosen.left(4))) << shown.toStdString();
  EXPECT_EQ(w().File1->count(), 2);

  w().cmbFileTypes->setCurrentIndex(1);
  ui::setCheckValue(*w().chkRecursive, CheckValue::Checked);
  ui::setCheckValue(*w().chkCaseSensitive, CheckValue::Cleared);
  w().cmbFind->setEditText("old");
  w().cmbReplace->setEditText("new");
  writeFile(root + "/later.txt", "");  // the run refreshes the file list
  w().cmdReplace->click();
  EXPECT_EQ(std::tuple(scripted.boxes.shown.back().text, readFile(root + "/sub/deep.htm") + readFile(root + "/notes.txt"),
                       w().File1->count()), std::tuple(QString("Made 2 replacements."), std::string("newold"), 3));
  // Typed masks take the files the command line's --glob takes; a binary file is passed over. The text heads the
  // box's recent masks.
  const std::string inWindow = folder / "masked", onCommandLine = folder / "masked-cli";
  for (const std::string& copy : {inWindow, onCommandLine}) {
    std::filesystem::create_directories(copy + "/skip/deeper");
    std::filesystem::create_directories(copy + "/sub");
    for (const char* name : {"/a.TXT", "/b.js", "/b.min.js", "/noext", "/skip/c.txt", "/sub/d.txt", "/sub/e.htm"})
      writeFile(copy + name, "old");
    writeFile(copy + "/bin.txt", std::string("old\0old", 7));
  }
  w().lblFolder->setText(QString::fromStdString(inWindow));
  w().cmbFileTypes->setEditText("*.txt; *.JS ;!*.min.js; !skip/");
  w().cmdReplace->click();
  const ProgramRun cli = runProgram(SORVANE_CLI_PATH, {"--find", "old", "--replace", "new", "--ignore-case", "--no-undo", "--folder",
                                                       onCommandLine, "--recursive", "--glob", "*.txt", "--glob", "*.JS",
                                                       "--glob", "!*.min.js", "--glob", "!skip/"});
  EXPECT_EQ(std::pair(lastBox().toStdString(), cli.status), std::pair(lastLine(cli.out), 0));
  EXPECT_EQ(lastBox(), "Made 3 replacements.");
  for (const char* name : {"/a.TXT", "/b.js", "/b.min.js", "/noext", "/skip/c.txt", "/sub/d.txt", "/sub/e.htm", "/bin.txt"})
    EXPECT_EQ(readFile(inWindow + name), readFile(onCommandLine + name)) << name;
  EXPECT_EQ(w().cmbFileTypes->itemText(static_cast<int>(std::size(kFileTypes))), "*.txt; *.JS ;!*.min.js; !skip/");
  // A folder whose name the dialog could only approximate is refused, and the folder stays.
  std::filesystem::create_directory(folder / "caf\xE9");
  scripted.dialogs.nextFolder = QString::fromStdString(folder / "caf\uFFFD");
  w().cmdBrowse->click();
  EXPECT_TRUE(scripted.boxes.shown.back().text.endsWith("a folder above it in folder mode."));
  EXPECT_EQ(w().lblFolder->text(), QString::fromStdString(inWindow));
}

// In both modes, at the designed size and a large one; tick boxes whole; wrapped captions at the window's font.
TEST_F(MainWindow, EachModeShowsItsFramesWithTheirWidgetsDrawnWhole) {
  const std::string longName = std::string(150, 'n') + ".txt";
  writeFile(folder / longName, "");
  w().File1->setPath(QString::fromStdString(folder.path()));
  w().lstFiles->addItem(QString::fromStdString(folder / longName));
  showActive();
  for (const auto& [width, height] : {std::pair{8000, 4800}, {8625, 8850}, {10000, 7000}}) {  // smallest, designed, large
    window->setOuterSize(width, height);
    for (QRadioButton* mode : w().optFolderFile) {
      mode->click();
      const bool folderMode = mode == w().optFolderFile[0];
      EXPECT_EQ(std::tuple(w().frameFolder->isVisible(), w().frameFiles->isVisible(), w().lblFileTypes->isVisible(),
                           w().cmbFileTypes->isVisible()), std::tuple(folderMode, !folderMode, folderMode, folderMode));
      EXPECT_EQ(std::pair(window->layout().frameControls.Height, w().frameControls->height()),
                folderMode ? std::pair(3015.0F, 201) : std::pair(2220.0F, 148));
      for (QWidget* frame : {w().frameFolder, w().frameFiles, w().frameControls})
        for (QWidget* widget : frame->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
          EXPECT_FALSE(widget->isVisibleTo(window.get()) && crossesItsFrame(*widget))
              << widget->metaObject()->className() << " at " << widget->x() << ", " << widget->y() << ", " << width
              << ", " << qPrintable(mode->text());
      for (QCheckBox* box : {w().chkWholeWord, w().chkRegularExpression})  // the caption whole
        EXPECT_LE(box->sizeHint().width(), box->width()) << qPrintable(box->text()) << width;
      // A long name is shortened in the middle, not scrolled; its tooltip shows it whole.
      QListWidget* list = folderMode ? w().File1 : w().lstFiles;
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
  EXPECT_EQ(w().frameFolder->geometry(), w().frameFiles->geometry());  // one place for both

  for (QCheckBox* box :
       {w().chkRecursive, w().chkCaseSensitive, w().chkRememberTheseFiles, w().chkWholeWord, w().chkRegularExpression}) {
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

}  // namespace
}  // namespace sorvane::testing
