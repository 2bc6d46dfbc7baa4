#include "main_window/check_value.h"
#include "main_window/folder_views.h"
#include "main_window/term_box.h"
#include "started_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <filesystem>

namespace sorvane::testing {
namespace {

using StartupAndExit = StartedWindow;

QStringList entriesOf(const QComboBox& box) {
  QStringList entries;
  for (int i = 0; i < box.count(); ++i) entries.append(box.itemText(i));
  return entries;
}

TEST_F(StartupAndExit, AnEmptyStoreGivesTheFirstStart) {
  EXPECT_EQ(window->windowTitle(), "Sorvane Version 2.1.0");
  EXPECT_FALSE(window->isMaximized());
  EXPECT_EQ(window->outerWidth(), 8000);
  EXPECT_EQ(window->outerHeight(), 4800);
  EXPECT_TRUE(w().optFolderFile[0]->isChecked());
  EXPECT_TRUE(w().frameFolder->isVisible());
  EXPECT_TRUE(w().lblFolder->text().isEmpty());  // no folder chosen: a run rewrites nothing
  EXPECT_TRUE(w().Dir1->path().isEmpty());
  EXPECT_EQ(ui::checkValue(*w().chkCaseSensitive), CheckValue::Checked);
  EXPECT_EQ(ui::checkValue(*w().chkRecursive), CheckValue::Cleared);
  EXPECT_EQ(ui::checkValue(*w().chkRememberTheseFiles), CheckValue::Cleared);
  QStringList types;
  for (const FileType& type : kFileTypes) types.append(type.caption);
  EXPECT_EQ(entriesOf(*w().cmbFileTypes), types);
  EXPECT_EQ(w().cmbFileTypes->currentIndex(), 0);
  EXPECT_TRUE(w().cmbFind->currentText().isEmpty());
  EXPECT_EQ(w().cmbFind->count() + w().lstFiles->count(), 0);
}

TEST_F(StartupAndExit, EverySettingComesBackAtTheNextStart) {
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
  w().cmbFileTypes->setCurrentIndex(3);
  w().lstFiles->addItems({"/a/1.txt", "/gone/3.txt"});
  window->setOuterSize(9600, 7200);
  w().cmdExit->click();

  start();
  EXPECT_EQ(window->outerWidth(), 9600);
  EXPECT_EQ(window->outerHeight(), 7200);
  EXPECT_EQ(window->layout().frameFolder.Height, 7200 - 1080);
  EXPECT_TRUE(w().optFolderFile[1]->isChecked());
  EXPECT_TRUE(w().frameFiles->isVisible());
  EXPECT_FALSE(w().cmbFileTypes->isVisible());
  EXPECT_EQ(w().lblFolder->text(), data);
  EXPECT_EQ(w().lblFolder->toolTip(), data);
  EXPECT_EQ(w().File1->path(), data);
  EXPECT_EQ(w().cmbFind->currentText(), "find me");
  EXPECT_EQ(entriesOf(*w().cmbFind), (QStringList{"one", "two"}));
  EXPECT_EQ(w().cmbReplace->currentText(), "replace me");
  EXPECT_EQ(entriesOf(*w().cmbReplace), (QStringList{"", "x"}));
  EXPECT_EQ(ui::checkValue(*w().chkCaseSensitive), CheckValue::Cleared);
  EXPECT_EQ(ui::checkValue(*w().chkRecursive), CheckValue::Grayed);
  EXPECT_EQ(ui::checkValue(*w().chkRememberTheseFiles), CheckValue::Checked);
  EXPECT_EQ(w().cmbFileTypes->currentText(), kFileTypes[3].caption);
  ASSERT_EQ(w().lstFiles->count(), 2);
  EXPECT_EQ(w().lstFiles->item(1)->text(), "/gone/3.txt");
}

TEST_F(StartupAndExit, TheSizeHasAMinimumAndTheStateDecidesWhatIsKept) {
  seed("Settings", "Window Width", "5000");
  seed("Settings", "Window Height", "9000.5");
  start();
  EXPECT_EQ(window->outerWidth(), 8000);
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

TEST_F(StartupAndExit, AValueThatDoesNotConvertLeavesItsControlAsDesigned) {
  seed("Settings", "Window Width", "wide");
  seed("Settings", "Case Sensitive", "7");
  seed("Settings", "Checkbox Recursive", "1");
  seed("Settings", "Path", "/no/such/folder");
  seed("Settings", "File Types To Search", "Text files (*.txt)");
  seed("Settings", "Select a Folder", "False");
  seed("Settings", "Select Files", "False");
  start();
  EXPECT_EQ(window->outerWidth(), 8625);  // as designed
  EXPECT_EQ(ui::checkValue(*w().chkCaseSensitive), CheckValue::Cleared);
  EXPECT_EQ(ui::checkValue(*w().chkRecursive), CheckValue::Checked);
  EXPECT_EQ(w().lblFolder->text(), "/no/such/folder");
  EXPECT_TRUE(w().Dir1->path().isEmpty());
  EXPECT_EQ(w().cmbFileTypes->currentIndex(), -1);
  EXPECT_FALSE(w().optFolderFile[0]->isChecked());
  EXPECT_FALSE(w().optFolderFile[1]->isChecked());
  EXPECT_TRUE(w().frameFiles->isVisible());  // neither on: the file-mode layout
}

// The order a user meets pressing Tab from the first control, in each mode.
TEST_F(StartupAndExit, TabGoesThroughTheControlsInTheStartupOrder) {
  showActive();
  const auto tabbing = [this] {
    std::vector<QWidget*> seen;
    w().optFolderFile[0]->isChecked() ? w().optFolderFile[0]->setFocus() : w().optFolderFile[1]->setFocus();
    for (QWidget* at = QApplication::focusWidget(); seen.empty() || at != seen.front(); at = QApplication::focusWidget()) {
      seen.push_back(at);
      if (seen.size() > 30) break;
      QTest::keyClick(at, Qt::Key_Tab);
    }
    return seen;
  };
  EXPECT_EQ(tabbing(), (std::vector<QWidget*>{w().optFolderFile[0], w().cmdBrowse, w().chkRecursive, w().cmbFind,
                                               w().cmbReplace, w().chkCaseSensitive, w().cmbFileTypes, w().cmdHelp,
                                               w().cmdReplace, w().cmdExit}));
  w().optFolderFile[1]->click();
  EXPECT_EQ(tabbing(), (std::vector<QWidget*>{w().optFolderFile[1], w().lstFiles, w().cmdOpen, w().cmdClose,
                                               w().cmdCloseAll, w().chkRememberTheseFiles, w().cmbFind,
                                               w().cmbReplace, w().chkCaseSensitive, w().cmdHelp, w().cmdReplace,
                                               w().cmdExit}));
}

TEST_F(StartupAndExit, EscAndTheCloseBoxSaveWhatExitSaves) {
  showActive();
  w().cmbFind->setEditText("by esc");
  QTest::keyClick(window.get(), Qt::Key_Escape);
  EXPECT_EQ(stored("Settings", "Text Find"), "by esc");

  start();
  w().cmbFind->setEditText("by close");
  window->close();
  EXPECT_EQ(stored("Settings", "Text Find"), "by close");
  EXPECT_FALSE(window->isVisible());
}

TEST_F(StartupAndExit, ClosingDuringARunSavesAndLeavesTheFileWholeWithoutAReport) {
  const std::string path = folder / "long.txt";
  const std::string text = std::string(5000, 'x') + "old";
  writeFile(path, text);
  w().optFolderFile[1]->click();
  w().lstFiles->addItem(QString::fromStdString(path));
  w().cmbFind->setEditText("old");
  scripted.pump.onPump = [&] {
    if (scripted.pump.calls == 2) window->close();
  };
  w().cmdReplace->click();
  EXPECT_TRUE(scripted.boxes.shown.empty());
  EXPECT_EQ(readFile(path), text);
  EXPECT_EQ(namesIn(folder.path()), (std::vector<std::string>{"Sorvane.conf", "long.txt"}));
  EXPECT_EQ(stored("Settings", "Select Files"), "True");
  EXPECT_EQ(stored("Terms", "Find Term 0"), "old");
}

}  // namespace
}  // namespace sorvane::testing
