#include "main_window/check_value.h"
#include "main_window/folder_views.h"
#include "main_window/frm_sorvane.h"
#include "main_window/term_box.h"
#include "scripted_platform.h"
#include "settings/exit_routine.h"
#include "settings/settings_store.h"
#include "settings/startup.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTest>
#include <filesystem>
#include <memory>

namespace sorvane::testing {
namespace {

using settings::SettingsStore;
using ui::frmSorvane;

// A store in a temporary file, and windows started and ended against it as the program does.
class StartupAndExit : public ::testing::Test {
 protected:
  QString storePath() const { return QString::fromStdString(folder / "Sorvane.conf"); }

  // Writes keys straight into the store file, as an earlier run (or a user) left them.
  void seed(const QString& section, const QString& key, const QString& value) {
    SettingsStore store = SettingsStore::atFile(storePath());
    store.SaveSetting(section, key, value);
    store.sync();
  }
  QString stored(const QString& section, const QString& key) {
    return SettingsStore::atFile(storePath()).GetSetting(section, key, QStringLiteral("<absent>"));
  }

  frmSorvane& start() {
    store = std::make_unique<SettingsStore>(SettingsStore::atFile(storePath()));
    EngineOptions yieldingOften;
    yieldingOften.yieldInterval = std::chrono::nanoseconds(0);
    yieldingOften.bufferCapacity = 64;
    window = std::make_unique<frmSorvane>(ui::WindowServices{boxes, pump, help, dialogs}, yieldingOften);
    window->setExitRoutine([this] {
      settings::saveWindowSettings(*window, *store);
      store->sync();
    });
    settings::Form_Load(*window, *store);
    return *window;
  }
  void exit() {
    window->cmdExit_Click();
    window.reset();
    store.reset();
  }

  TempFolder folder;
  ScriptedMessageBoxes boxes;
  CountingEventPump pump;
  RecordingHelpEngine help;
  ScriptedFileDialogs dialogs;
  std::unique_ptr<SettingsStore> store;
  std::unique_ptr<frmSorvane> window;
};

TEST_F(StartupAndExit, EmptyStoreGivesTheDefaults) {
  frmSorvane& w = start();
  EXPECT_EQ(w.windowTitle(), "Sorvane Version 2.1.0");
  EXPECT_FALSE(w.isMaximized());
  EXPECT_EQ(w.outerWidth(), 8000);
  EXPECT_EQ(w.outerHeight(), 4800);
  EXPECT_TRUE(w.optFolderFile[0]->isChecked());
  EXPECT_TRUE(w.frameFolder->isVisible());
  EXPECT_TRUE(w.lblFolder->text().isEmpty());  // no folder chosen: a run rewrites nothing
  EXPECT_TRUE(w.lblFolder->toolTip().isEmpty());
  EXPECT_TRUE(w.Dir1->path().isEmpty());
  EXPECT_EQ(ui::checkValue(*w.chkCaseSensitive), 1);
  EXPECT_EQ(ui::checkValue(*w.chkRecursive), 0);
  EXPECT_EQ(ui::checkValue(*w.chkRememberTheseFiles), 0);
  EXPECT_EQ(w.cmbFileTypes->count(), 4);
  EXPECT_EQ(w.cmbFileTypes->currentText(), "All Files (*.*)");
  EXPECT_TRUE(w.cmbFind->currentText().isEmpty());
  EXPECT_EQ(w.cmbFind->count(), 0);
  EXPECT_EQ(w.lstFiles->count(), 0);
}

TEST_F(StartupAndExit, EveryKeyRoundTripsThroughExitAndStartup) {
  const QString data = QString::fromStdString(folder.path());
  {
    frmSorvane& w = start();
    w.optFolderFile[1]->click();
    w.lblFolder->setText(data);
    w.cmbFind->setEditText("find me");
    w.cmbReplace->setEditText("");
    ui::appendTerms(*w.cmbFind, {"one", "two"});
    ui::appendTerms(*w.cmbReplace, {"", "x"});
    ui::setCheckValue(*w.chkCaseSensitive, 0);
    ui::setCheckValue(*w.chkRecursive, 1);
    ui::setCheckValue(*w.chkRememberTheseFiles, 1);
    w.cmbFileTypes->setCurrentIndex(3);
    w.lstFiles->addItems({"/a/1.txt", "/b/2.txt", "/gone/3.txt"});
    w.setOuterSize(9600, 7200);
    exit();
  }
  EXPECT_EQ(stored("Settings", "Window Width"), "9600");
  EXPECT_EQ(stored("Settings", "Window Height"), "7200");
  EXPECT_EQ(stored("Settings", "Window Maximized"), "False");
  EXPECT_EQ(stored("Settings", "Select a Folder"), "False");
  EXPECT_EQ(stored("Settings", "Select Files"), "True");
  EXPECT_EQ(stored("Settings", "Case Sensitive"), "0");
  EXPECT_EQ(stored("Settings", "Number of recent finds"), "1");
  EXPECT_EQ(stored("Settings", "Number of files"), "2");
  EXPECT_EQ(stored("Files", "File 2"), "/gone/3.txt");

  frmSorvane& w = start();
  EXPECT_EQ(w.outerWidth(), 9600);
  EXPECT_EQ(w.outerHeight(), 7200);
  EXPECT_TRUE(w.optFolderFile[1]->isChecked());
  EXPECT_TRUE(w.frameFiles->isVisible());
  EXPECT_FALSE(w.cmbFileTypes->isVisible());
  EXPECT_EQ(w.lblFolder->text(), data);
  EXPECT_EQ(w.cmbFind->currentText(), "find me");
  EXPECT_EQ(w.cmbFind->count(), 2);
  EXPECT_EQ(w.cmbFind->itemText(1), "two");
  EXPECT_EQ(w.cmbReplace->count(), 2);
  EXPECT_EQ(w.cmbReplace->itemText(0), "");
  EXPECT_EQ(ui::checkValue(*w.chkCaseSensitive), 0);
  EXPECT_EQ(ui::checkValue(*w.chkRecursive), 1);
  EXPECT_EQ(w.cmbFileTypes->currentText(), "Text Files (*.txt)");
  ASSERT_EQ(w.lstFiles->count(), 3);
  EXPECT_EQ(w.lstFiles->item(2)->text(), "/gone/3.txt");
  // Start-up consumed the entries: only the window holds them now.
  EXPECT_EQ(stored("Terms", "Find Term 0"), "<absent>");
  EXPECT_EQ(stored("Settings", "Number of files"), "<absent>");
  EXPECT_EQ(stored("Settings", "Number of recent finds"), "1");
}

// Earlier versions stored the program's own folder when none was chosen; it is no choice.
TEST_F(StartupAndExit, TheProgramsOwnFolderIsNotAChosenFolder) {
  for (const QString& own : {QCoreApplication::applicationDirPath(), QCoreApplication::applicationDirPath() + "/"}) {
    seed("Settings", "Path", own);
    frmSorvane& w = start();
    EXPECT_TRUE(w.lblFolder->text().isEmpty()) << qPrintable(own);
    EXPECT_TRUE(w.File1->path().isEmpty());
    window.reset();
  }
  seed("Settings", "Path", QString::fromStdString(folder.path()) + "/");
  EXPECT_EQ(start().lblFolder->text(), QString::fromStdString(folder.path()) + "/");
  EXPECT_EQ(window->File1->path(), QString::fromStdString(folder.path()) + "/");
}

TEST_F(StartupAndExit, GeometryFollowsTheWindowState) {
  seed("Settings", "Window Width", "5000");
  seed("Settings", "Window Height", "9000.5");
  frmSorvane& w = start();
  EXPECT_EQ(w.outerWidth(), 8000);  // the minimum
  EXPECT_NEAR(w.outerHeight(), 9000.5, 8);
  w.showMaximized();
  w.showMinimized();  // minimized from maximized: the window is both
  exit();
  EXPECT_EQ(stored("Settings", "Window Width"), "5000");  // a minimized exit writes no geometry
  EXPECT_EQ(stored("Settings", "Window Maximized"), "<absent>");

  seed("Settings", "Window Maximized", "true");  // not exactly "True"
  EXPECT_FALSE(start().isMaximized());
  window->showMaximized();
  exit();
  EXPECT_EQ(stored("Settings", "Window Maximized"), "True");
  EXPECT_EQ(stored("Settings", "Window Width"), "5000");
  EXPECT_TRUE(start().isMaximized());
}

TEST_F(StartupAndExit, ListCountsRestoreTheirEntries) {
  seed("Settings", "Number of recent finds", "2");
  for (const char* key : {"Find Term 0", "Find Term 1", "Find Term 2", "Find Term 3"}) seed("Terms", key, key);
  seed("Settings", "Number of recent replaces", "x7");  // no number: one entry, index 0
  seed("Terms", "Replace Term 0", "r0");
  seed("Terms", "Replace Term 1", "r1");
  frmSorvane& w = start();
  ASSERT_EQ(w.cmbFind->count(), 3);
  EXPECT_EQ(w.cmbFind->itemText(0), "Find Term 0");
  EXPECT_EQ(w.cmbFind->itemText(2), "Find Term 2");
  ASSERT_EQ(w.cmbReplace->count(), 1);
  EXPECT_EQ(w.cmbReplace->itemText(0), "r0");
  EXPECT_EQ(stored("Terms", "Find Term 3"), "Find Term 3");  // beyond the count: untouched

  w.cmbFind->clear();
  exit();
  EXPECT_EQ(stored("Settings", "Number of recent finds"), "-1");
  EXPECT_TRUE(start().cmbFind->count() == 0);
}

TEST_F(StartupAndExit, RunWithoutExitLeavesNoBlankEntries) {
  seed("Settings", "Number of recent finds", "1");
  seed("Terms", "Find Term 0", "a");
  seed("Terms", "Find Term 1", "b");
  EXPECT_EQ(start().cmbFind->count(), 2);
  window.reset();  // a crash: the exit routine never runs
  store.reset();
  EXPECT_EQ(start().cmbFind->count(), 0);
}

TEST_F(StartupAndExit, FilesAreKeptOnlyWhileRememberingIsTicked) {
  for (const int remember : {0, 2}) {
    frmSorvane& w = start();
    w.lstFiles->addItem("/x.txt");
    ui::setCheckValue(*w.chkRememberTheseFiles, remember);
    exit();
    EXPECT_EQ(stored("Settings", "Number of files"), "<absent>") << remember;
    EXPECT_EQ(ui::checkValue(*start().chkRememberTheseFiles), remember);  // a grayed box comes back grayed
    EXPECT_EQ(window->lstFiles->count(), 0);
    window.reset();
  }
}

TEST_F(StartupAndExit, FailingValuesAreSkippedOneByOne) {
  seed("Settings", "Window Width", "wide");
  seed("Settings", "Case Sensitive", "7");
  seed("Settings", "Checkbox Recursive", "1");
  seed("Settings", "Path", "/no/such/folder");
  seed("Settings", "File Types To Search", "Text files (*.txt)");
  seed("Settings", "Select a Folder", "False");
  seed("Settings", "Select Files", "False");
  frmSorvane& w = start();
  EXPECT_EQ(w.outerWidth(), 8625);  // as designed
  EXPECT_EQ(ui::checkValue(*w.chkCaseSensitive), 0);
  EXPECT_EQ(ui::checkValue(*w.chkRecursive), 1);
  EXPECT_EQ(w.lblFolder->text(), "/no/such/folder");
  EXPECT_TRUE(w.Dir1->path().isEmpty());
  EXPECT_EQ(w.cmbFileTypes->currentIndex(), -1);
  EXPECT_FALSE(w.optFolderFile[0]->isChecked());
  EXPECT_FALSE(w.optFolderFile[1]->isChecked());
  EXPECT_TRUE(w.frameFiles->isVisible());  // neither on: the file-mode layout
}

TEST_F(StartupAndExit, EscAndCloseBoxSaveWhatExitSaves) {
  start().cmbFind->setEditText("by esc");
  window->activateWindow();
  QTest::keyClick(window.get(), Qt::Key_Escape);
  EXPECT_EQ(stored("Settings", "Text Find"), "by esc");
  window.reset();

  start().cmbFind->setEditText("by close");
  window->close();
  EXPECT_EQ(stored("Settings", "Text Find"), "by close");
  EXPECT_FALSE(window->isVisible());
}

TEST_F(StartupAndExit, CloseDuringARunSavesAndLeavesTheFileWhole) {
  const std::string path = folder / "long.txt";
  const std::string text = std::string(5000, 'x') + "old";
  writeFile(path, text);
  frmSorvane& w = start();
  w.optFolderFile[1]->click();
  w.lstFiles->addItem(QString::fromStdString(path));
  w.cmbFind->setEditText("old");
  pump.onPump = [&] {
    if (pump.calls == 2) w.close();
  };
  w.cmdReplace->click();
  EXPECT_TRUE(boxes.shown.empty());  // no report
  EXPECT_EQ(readFile(path), text);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 2);  // and the store
  EXPECT_EQ(stored("Settings", "Select Files"), "True");
  EXPECT_EQ(stored("Terms", "Find Term 0"), "old");
}

}  // namespace
}  // namespace sorvane::testing
