#include "settings/preview_picture.h"

#include "settings/conversions.h"
#include "settings/settings_keys.h"
#include "settings/settings_store.h"

namespace sorvane::settings {
namespace {

const std::array<QString, 2> kColumnKeys = {kPreviewLineColumnWidth, kPreviewBeforeColumnWidth};

// Only a positive size is one a window can take.
std::optional<float> storedSize(const SettingsStore& store, const QString& key) {
  const std::optional<float> size = textToSingle(store.GetSetting(kSectionSettings, key, QString()));
  return size && *size > 0 ? size : std::nullopt;
}

}  // namespace

PreviewPicture readPreviewPicture(const SettingsStore& store) {
  PreviewPicture picture{storedSize(store, kPreviewWidth), storedSize(store, kPreviewHeight), {}};
  for (std::size_t column = 0; column < kColumnKeys.size(); ++column)
    picture.columnWidths[column] = storedSize(store, kColumnKeys[column]);
  return picture;
}

void writePreviewPicture(SettingsStore& store, const PreviewPicture& picture) {
  const auto save = [&store](const QString& key, std::optional<float> value) {
    if (value) store.SaveSetting(kSectionSettings, key, singleToText(*value));
  };
  save(kPreviewWidth, picture.width);
  save(kPreviewHeight, picture.height);
  for (std::size_t column = 0; column < kColumnKeys.size(); ++column) save(kColumnKeys[column], picture.columnWidths[column]);
}

}  // namespace sorvane::settings
