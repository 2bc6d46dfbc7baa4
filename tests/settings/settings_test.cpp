#include "settings/conversions.h"
#include "settings/numbered_list.h"
#include "settings/settings_store.h"
#include "settings/window_picture.h"
#include "qt_printers.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

namespace sorvane::settings {
namespace {

TEST(Conversions, BehaveAsStoredSettingsExpect) {
  for (const auto& [text, value] : {std::pair<QString, std::optional<bool>>{"TRUE", true}, {"false", false}, {"0", false},
                                     {"-1", true}, {"yes", std::nullopt}})
    EXPECT_EQ(textToBoolean(text), value) << qPrintable(text);
  // Halves round to even.
  for (const auto& [text, value] : {std::pair<QString, std::optional<int>>{"2", 2}, {"2.5", 2}, {"32768", std::nullopt},
                                     {"one", std::nullopt}})
    EXPECT_EQ(textToInteger16(text), value) << qPrintable(text);
  for (const auto& [text, value] : {std::pair<QString, int>{"12abc", 12}, {"-1", -1}, {"abc", 0}, {"", 0}})
    EXPECT_EQ(leadingNumber(text), value) << qPrintable(text);
  for (const auto& [value, text] : {std::pair{9600.0F, "9600"}, {4000.5F, "4000.5"}}) EXPECT_EQ(singleToText(value), text);
  EXPECT_EQ(textToSingle("4000.5"), 4000.5F);
}

TEST(SettingsStore, ValuesComeBackExactlyAsWrittenAndAnUnwritableStoreReportsFailure) {
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

  testing::writeFile(folder / "a-file", "");  // a file where the store's folder should be: even root fails
  SettingsStore unwritable = SettingsStore::atFile(QString::fromStdString(folder / "a-file/store.conf"));
  unwritable.SaveSetting("Settings", "Path", "/x");
  EXPECT_FALSE(unwritable.sync());
}

// A store in a temporary file, as an earlier run (or a user) left it.
class Picture : public ::testing::Test {
 protected:
  QString stored(const QString& section, const QString& key) const {
    return store.GetSetting(section, key, QStringLiteral("<absent>"));
  }

  testing::TempFolder folder;
  SettingsStore store = SettingsStore::atFile(QString::fromStdString(folder / "Sorvane.conf"));
};

// After the next start reads the lists, their entries live in the window alone.
TEST_F(Picture, WrittenInTextFormsAndTheListsReadOnce) {
  WindowPicture exit;
  exit.width = 9600, exit.height = 4000.5F, exit.folderMode = false, exit.fileMode = true;
  exit.caseSensitive = CheckValue::Cleared, exit.rememberFiles = CheckValue::Checked;
  exit.recentFinds = QStringList{"one", "two"}, exit.recentReplaces = QStringList{};
  exit.files = QStringList{"/a/1.txt", "/gone/3.txt"};
  writeWindowPicture(store, exit);
  for (const auto& [key, text] : std::vector<std::pair<QString, QString>>{
           {"Window Maximized", "False"}, {"Window Width", "9600"}, {"Window Height", "4000.5"},
           {"Select a Folder", "False"}, {"Select Files", "True"}, {"Case Sensitive", "0"},
           {"Remember These Files", "1"}, {"Number of recent finds", "1"}, {"Number of recent replaces", "-1"},
           {"Number of files", "1"}})
    EXPECT_EQ(stored("Settings", key), text) << qPrintable(key);
  EXPECT_EQ(stored("Terms", "Find Term 1"), "two");
  EXPECT_EQ(stored("Files", "File 1"), "/gone/3.txt");

  const WindowPicture start = readWindowPicture(store);
  EXPECT_EQ(std::tie(start.recentFinds, start.recentReplaces, start.files),
            std::tuple(exit.recentFinds, QStringList{}, exit.files));  // a count of -1: an empty list
  for (const auto& [section, key] : {std::pair{"Terms", "Find Term 0"}, {"Files", "File 0"}, {"Settings", "Number of files"}})
    EXPECT_EQ(stored(section, key), "<absent>") << key;
  EXPECT_EQ(stored("Settings", "Number of recent finds"), "1");

  // Files are written only while remembering is ticked.
  for (const CheckValue remember : {CheckValue::Cleared, CheckValue::Grayed}) {
    exit.rememberFiles = remember;
    writeWindowPicture(store, exit);
    EXPECT_EQ(stored("Settings", "Number of files"), "<absent>") << static_cast<int>(remember);
  }
}

TEST_F(Picture, CountsSayHowManyEntriesAreRead) {
  store.SaveSetting("Settings", "Number of recent finds", "2");
  store.SaveSetting("Settings", "Number of recent replaces", "x7");  // no number: one entry, index 0
  for (const char* key : {"Find Term 0", "Find Term 1", "Find Term 2", "Find Term 3", "Replace Term 0", "Replace Term 1"})
    store.SaveSetting("Terms", key, key);
  store.SaveSetting("Settings", "Number of files", "1");  // a run that never exited: File 0 and 1 are gone
  const WindowPicture start = readWindowPicture(store);
  EXPECT_EQ(std::tie(start.recentFinds, start.recentReplaces, start.files),
            std::tuple(QStringList{"Find Term 0", "Find Term 1", "Find Term 2"}, QStringList{"Replace Term 0"}, QStringList{}));
  EXPECT_EQ(stored("Terms", "Find Term 3"), "Find Term 3");  // beyond the count: untouched
}

// Only an exact "True" is maximized, and then no size is read. The window keeps its designed value
// for a stored text that is no value of its control. Earlier versions stored the program's own
// folder when none was chosen; it is no choice.
TEST_F(Picture, TextsThatAreNoValueOfTheirControlGiveNone) {
  store.SaveSetting("Settings", "Window Width", "5000");
  const QString own = QCoreApplication::applicationDirPath(), chosen = QString::fromStdString(folder.path()) + "/";
  using Row = std::tuple<QString, QString, QString, WindowState, std::optional<float>, QString>;
  for (const auto& [maximized, caseSensitive, path, state, width, read] :
       {Row{"True", "3", own, WindowState::Maximized, std::nullopt, ""},
        Row{"true", "-1", own + "/", WindowState::Normal, 5000, ""},
        Row{"False", "x", chosen, WindowState::Normal, 5000, chosen}}) {
    store.SaveSetting("Settings", "Window Maximized", maximized);
    store.SaveSetting("Settings", "Case Sensitive", caseSensitive);
    store.SaveSetting("Settings", "Path", path);
    const WindowPicture start = readWindowPicture(store);  // the minimum size is the window's to apply
    EXPECT_EQ(std::tie(start.state, start.width, start.caseSensitive, start.folder),
              std::tuple(state, width, std::nullopt, read)) << qPrintable(maximized);
  }
}

}  // namespace
}  // namespace sorvane::settings
