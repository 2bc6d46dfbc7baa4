#include "settings/conversions.h"
#include "settings/numbered_list.h"
#include "settings/settings_store.h"
#include "settings/window_picture.h"
#include "qt_printers.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <functional>

namespace sorvane::settings {
namespace {

TEST(Conversions, BehaveAsStoredSettingsExpect) {
  EXPECT_EQ(textToBoolean("TRUE"), true);
  EXPECT_EQ(textToBoolean("false"), false);
  EXPECT_EQ(textToBoolean("0"), false);
  EXPECT_EQ(textToBoolean("-1"), true);
  EXPECT_EQ(textToBoolean("yes"), std::nullopt);
  EXPECT_EQ(textToInteger16("2"), 2);
  EXPECT_EQ(textToInteger16("2.5"), 2);  // halves round to even
  EXPECT_EQ(textToInteger16("32768"), std::nullopt);
  EXPECT_EQ(textToInteger16("one"), std::nullopt);
  EXPECT_EQ(leadingNumber("12abc"), 12);
  EXPECT_EQ(leadingNumber("-1"), -1);
  EXPECT_EQ(leadingNumber("abc"), 0);
  EXPECT_EQ(leadingNumber(""), 0);
  EXPECT_EQ(singleToText(9600), "9600");
  EXPECT_EQ(singleToText(4000.5F), "4000.5");
  EXPECT_EQ(textToSingle("4000.5"), 4000.5F);
}

TEST(SettingsStore, ValuesComeBackExactlyAsWritten) {
  testing::TempFolder folder;
  const QString path = QString::fromStdString(folder / "store.conf");
  const QStringList values = {"",   "True", " padded ", "@at", "a=b;c", "semi;colon", "quote\"d", "ünïcødé",
                              "line\nbreak", "back\\slash", "#hash", "[section]"};
  {
    SettingsStore store = SettingsStore::atFile(path);
    for (qsizetype i = 0; i < values.size(); ++i) store.SaveSetting("Terms", "Find Term " + QString::number(i), values[i]);
    store.DeleteSetting("Terms", "Absent Key");
    ASSERT_TRUE(store.sync());
  }
  SettingsStore store = SettingsStore::atFile(path);
  for (qsizetype i = 0; i < values.size(); ++i)
    EXPECT_EQ(store.GetSetting("Terms", "Find Term " + QString::number(i), "<absent>"), values[i]);
  EXPECT_EQ(store.GetSetting("Terms", "Find Term 99", "<absent>"), "<absent>");
  EXPECT_EQ(store.GetSetting("Nowhere", "Window Width", "8000"), "8000");
}

TEST(SettingsStore, UnwritableStoreReportsFailure) {
  testing::TempFolder folder;
  testing::writeFile(folder / "a-file", "");  // a file where the store's folder should be: even root fails
  SettingsStore store = SettingsStore::atFile(QString::fromStdString(folder / "a-file/store.conf"));
  store.SaveSetting("Settings", "Path", "/x");
  EXPECT_FALSE(store.sync());
}

// A store in a temporary file, seeded as an earlier run (or a user) left it.
class Picture : public ::testing::Test {
 protected:
  void seed(const QString& section, const QString& key, const QString& value) {
    store.SaveSetting(section, key, value);
  }
  QString stored(const QString& section, const QString& key) const {
    return store.GetSetting(section, key, QStringLiteral("<absent>"));
  }

  testing::TempFolder folder;
  SettingsStore store = SettingsStore::atFile(QString::fromStdString(folder / "Sorvane.conf"));
};

TEST_F(Picture, EmptyStoreGivesTheFirstStart) {
  const WindowPicture first = readWindowPicture(store);
  EXPECT_EQ(first.state, WindowState::Normal);
  EXPECT_EQ(first.width, 8000);
  EXPECT_EQ(first.height, 4800);
  EXPECT_EQ(first.folderMode, true);
  EXPECT_EQ(first.fileMode, false);
  EXPECT_TRUE(first.folder.isEmpty());  // no folder chosen: a folder run rewrites nothing
  EXPECT_EQ(first.recursive, CheckValue::Cleared);
  EXPECT_EQ(first.caseSensitive, CheckValue::Checked);
  EXPECT_EQ(first.rememberFiles, CheckValue::Cleared);
  EXPECT_EQ(first.fileType, kFileTypes[0].caption);
  EXPECT_TRUE(first.findText.isEmpty() && first.replaceText.isEmpty());
  EXPECT_FALSE(first.recentFinds || first.recentReplaces || first.files);
}

TEST_F(Picture, WrittenAsTextsAndReadBackWhole) {
  WindowPicture exit;
  exit.width = 9600;
  exit.height = 4000.5F;
  exit.folderMode = false;
  exit.fileMode = true;
  exit.folder = QString::fromStdString(folder.path());
  exit.findText = "find me";
  exit.caseSensitive = CheckValue::Cleared;
  exit.recursive = CheckValue::Checked;
  exit.rememberFiles = CheckValue::Checked;
  exit.fileType = kFileTypes[3].caption;
  exit.recentFinds = QStringList{"one", "two"};
  exit.recentReplaces = QStringList{};
  exit.files = QStringList{"/a/1.txt", "/gone/3.txt"};
  writeWindowPicture(store, exit);
  for (const auto& [key, text] : std::vector<std::pair<QString, QString>>{
           {"Window Maximized", "False"}, {"Window Width", "9600"}, {"Window Height", "4000.5"},
           {"Select a Folder", "False"}, {"Select Files", "True"}, {"Case Sensitive", "0"},
           {"Checkbox Recursive", "1"}, {"Number of recent finds", "1"}, {"Number of recent replaces", "-1"},
           {"Number of files", "1"}, {"Text Replace", ""}})
    EXPECT_EQ(stored("Settings", key), text) << qPrintable(key);
  EXPECT_EQ(stored("Terms", "Find Term 1"), "two");
  EXPECT_EQ(stored("Files", "File 1"), "/gone/3.txt");

  const WindowPicture start = readWindowPicture(store);
  EXPECT_EQ(start.width, 9600);
  EXPECT_EQ(start.height, 4000.5F);
  EXPECT_EQ(start.folderMode, false);
  EXPECT_EQ(start.fileMode, true);
  EXPECT_EQ(start.folder, exit.folder);
  EXPECT_EQ(start.findText, "find me");
  EXPECT_EQ(start.caseSensitive, CheckValue::Cleared);
  EXPECT_EQ(start.recursive, CheckValue::Checked);
  EXPECT_EQ(start.rememberFiles, CheckValue::Checked);
  EXPECT_EQ(start.fileType, kFileTypes[3].caption);
  EXPECT_EQ(start.recentFinds, exit.recentFinds);
  EXPECT_EQ(start.recentReplaces, QStringList{});  // a count of -1: an empty list, no entry read
  EXPECT_EQ(start.files, exit.files);
  // The entries and the file count were consumed: only the window holds them now.
  EXPECT_EQ(stored("Terms", "Find Term 0"), "<absent>");
  EXPECT_EQ(stored("Files", "File 0"), "<absent>");
  EXPECT_EQ(stored("Settings", "Number of files"), "<absent>");
  EXPECT_EQ(stored("Settings", "Number of recent finds"), "1");
  EXPECT_FALSE(readWindowPicture(store).files);
}

TEST_F(Picture, CountsSayHowManyEntriesAreRead) {
  seed("Settings", "Number of recent finds", "2");
  for (const char* key : {"Find Term 0", "Find Term 1", "Find Term 2", "Find Term 3"}) seed("Terms", key, key);
  seed("Settings", "Number of recent replaces", "x7");  // no number: one entry, index 0
  seed("Terms", "Replace Term 0", "r0");
  seed("Terms", "Replace Term 1", "r1");
  seed("Settings", "Number of files", "1");  // a run that never exited: File 0 and 1 are gone
  const WindowPicture start = readWindowPicture(store);
  EXPECT_EQ(start.recentFinds, (QStringList{"Find Term 0", "Find Term 1", "Find Term 2"}));
  EXPECT_EQ(start.recentReplaces, QStringList{"r0"});
  EXPECT_EQ(start.files, QStringList{});
  EXPECT_EQ(stored("Terms", "Find Term 3"), "Find Term 3");  // beyond the count: untouched
}

TEST_F(Picture, WindowStateDecidesTheGeometryWritten) {
  seed("Settings", "Window Width", "5000");
  WindowPicture exit;
  exit.width = 9000;
  exit.height = 7000;
  exit.state = WindowState::Minimized;
  writeWindowPicture(store, exit);
  EXPECT_EQ(stored("Settings", "Window Maximized"), "<absent>");
  EXPECT_EQ(stored("Settings", "Window Width"), "5000");

  exit.state = WindowState::Maximized;
  writeWindowPicture(store, exit);
  EXPECT_EQ(stored("Settings", "Window Maximized"), "True");
  EXPECT_EQ(stored("Settings", "Window Width"), "5000");  // the normal size of an earlier exit
  const WindowPicture maximized = readWindowPicture(store);
  EXPECT_EQ(maximized.state, WindowState::Maximized);
  EXPECT_FALSE(maximized.width);

  seed("Settings", "Window Maximized", "true");  // not exactly "True"
  const WindowPicture normal = readWindowPicture(store);
  EXPECT_EQ(normal.state, WindowState::Normal);
  EXPECT_EQ(normal.width, 5000);  // the minimum is the window's to apply
}

TEST_F(Picture, FilesAreWrittenOnlyWhileRememberingIsTicked) {
  for (const CheckValue remember : {CheckValue::Cleared, CheckValue::Grayed}) {
    WindowPicture exit;
    exit.rememberFiles = remember;
    exit.files = QStringList{"/x.txt"};
    writeWindowPicture(store, exit);
    EXPECT_EQ(stored("Settings", "Number of files"), "<absent>") << static_cast<int>(remember);
    EXPECT_EQ(stored("Settings", "Remember These Files"), QString::number(static_cast<int>(remember)));
  }
}

TEST_F(Picture, TextsThatDoNotConvertGiveNoValue) {
  seed("Settings", "Window Width", "wide");
  seed("Settings", "Case Sensitive", "7");
  seed("Settings", "Checkbox Recursive", "-1");
  seed("Settings", "Select a Folder", "yes");
  seed("Settings", "Remember These Files", "2");
  const WindowPicture start = readWindowPicture(store);
  EXPECT_FALSE(start.width);
  EXPECT_EQ(start.height, 4800);
  EXPECT_FALSE(start.caseSensitive);
  EXPECT_FALSE(start.recursive);
  EXPECT_FALSE(start.folderMode);
  EXPECT_EQ(start.rememberFiles, CheckValue::Grayed);
}

// Earlier versions stored the program's own folder when none was chosen; it is no choice.
TEST_F(Picture, TheProgramsOwnFolderIsNotAChosenFolder) {
  for (const QString& own : {QCoreApplication::applicationDirPath(), QCoreApplication::applicationDirPath() + "/"}) {
    seed("Settings", "Path", own);
    EXPECT_TRUE(readWindowPicture(store).folder.isEmpty()) << qPrintable(own);
  }
  seed("Settings", "Path", QString::fromStdString(folder.path()) + "/");
  EXPECT_EQ(readWindowPicture(store).folder, QString::fromStdString(folder.path()) + "/");
}

}  // namespace
}  // namespace sorvane::settings
