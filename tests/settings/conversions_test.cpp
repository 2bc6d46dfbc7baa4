#include "settings/conversions.h"
#include "settings/numbered_list.h"
#include "settings/settings_store.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace sorvane::settings
