#include "settings/window_picture.h"

#include "settings/conversions.h"
#include "settings/numbered_list.h"
#include "settings/settings_keys.h"
#include "settings/settings_store.h"
#include "settings/stored_folder.h"

namespace sorvane::settings {
namespace {

QString setting(const SettingsStore& store, const QString& key, const QString& defaultValue) {
  return store.GetSetting(kSectionSettings, key, defaultValue);
}

std::optional<CheckValue> checkValueFrom(const QString& text) {
  const std::optional<int> value = textToInteger16(text);
  if (!value || *value < static_cast<int>(CheckValue::Cleared) || *value > static_cast<int>(CheckValue::Grayed))
    return std::nullopt;
  return static_cast<CheckValue>(*value);
}

}  // namespace

WindowPicture readWindowPicture(SettingsStore& store) {
  WindowPicture picture;
  if (setting(store, kWindowMaximized, booleanToText(false)) == booleanToText(true)) {
    picture.state = WindowState::Maximized;
  } else {
    picture.width = textToSingle(setting(store, kWindowWidth, singleToText(kDefaultWidth)));
    picture.height = textToSingle(setting(store, kWindowHeight, singleToText(kDefaultHeight)));
  }
  picture.folderMode = textToBoolean(setting(store, kSelectAFolder, booleanToText(true)));
  picture.folder = storedFolder(store);
  picture.recursive = checkValueFrom(setting(store, kCheckboxRecursive, checkValueToText(CheckValue::Cleared)));
  picture.fileMode = textToBoolean(setting(store, kSelectFiles, booleanToText(false)));
  picture.findText = setting(store, kTextFind, QString());
  picture.replaceText = setting(store, kTextReplace, QString());
  picture.caseSensitive = checkValueFrom(setting(store, kCaseSensitive, checkValueToText(CheckValue::Checked)));
  // A store from before the pattern options has neither key: both start cleared.
  picture.wholeWord = checkValueFrom(setting(store, kWholeWord, checkValueToText(CheckValue::Cleared)));
  picture.regularExpression = checkValueFrom(setting(store, kRegularExpression, checkValueToText(CheckValue::Cleared)));
  picture.rememberFiles = checkValueFrom(setting(store, kRememberTheseFiles, checkValueToText(CheckValue::Cleared)));
  picture.fileType = setting(store, kFileTypesToSearch, QString::fromLatin1(kFileTypes[0].caption));
  picture.recentFinds = readNumberedList(store, kRecentFinds, false);
  picture.recentReplaces = readNumberedList(store, kRecentReplaces, false);
  picture.recentFileMasks = readNumberedList(store, kRecentFileMasks, false);
  picture.files = readNumberedList(store, kRememberedFiles, true);
  return picture;
}

void writeWindowPicture(SettingsStore& store, const WindowPicture& picture) {
  const auto save = [&store](const QString& key, const QString& value) {
    store.SaveSetting(kSectionSettings, key, value);
  };
  const auto saveFlag = [&save](const QString& key, std::optional<bool> value) {
    if (value) save(key, booleanToText(*value));
  };
  const auto saveCheck = [&save](const QString& key, std::optional<CheckValue> value) {
    if (value) save(key, checkValueToText(*value));
  };

  if (picture.state == WindowState::Maximized) {
    save(kWindowMaximized, booleanToText(true));
  } else if (picture.state == WindowState::Normal) {
    save(kWindowMaximized, booleanToText(false));
    if (picture.width) save(kWindowWidth, singleToText(*picture.width));
    if (picture.height) save(kWindowHeight, singleToText(*picture.height));
  }
  saveFlag(kSelectAFolder, picture.folderMode);
  saveFlag(kSelectFiles, picture.fileMode);
  save(kPath, picture.folder);
  save(kTextFind, picture.findText);
  save(kTextReplace, picture.replaceText);
  saveCheck(kCaseSensitive, picture.caseSensitive);
  saveCheck(kWholeWord, picture.wholeWord);
  saveCheck(kRegularExpression, picture.regularExpression);
  saveCheck(kCheckboxRecursive, picture.recursive);
  saveCheck(kRememberTheseFiles, picture.rememberFiles);
  save(kFileTypesToSearch, picture.fileType);

  // Each list writes its count with its entries, so the two always agree.
  if (picture.recentFinds) writeNumberedList(store, kRecentFinds, *picture.recentFinds);
  if (picture.recentReplaces) writeNumberedList(store, kRecentReplaces, *picture.recentReplaces);
  if (picture.recentFileMasks) writeNumberedList(store, kRecentFileMasks, *picture.recentFileMasks);
  if (picture.files && picture.rememberFiles == CheckValue::Checked)
    writeNumberedList(store, kRememberedFiles, *picture.files);
}

}  // namespace sorvane::settings
