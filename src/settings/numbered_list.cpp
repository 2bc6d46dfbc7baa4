#include "settings/numbered_list.h"

#include "settings/conversions.h"
#include "settings/settings_store.h"

#include <algorithm>
#include <optional>

namespace sorvane::settings {
namespace {

// The count is a 16-bit number where the program writes it; a larger one is read as that bound.
constexpr long long kHighestIndex = 32767;

}  // namespace

void writeNumberedList(SettingsStore& store, const NumberedList& list, const QStringList& entries) {
  store.SaveSetting(kSectionSettings, list.countKey, QString::number(entries.size() - 1));
  for (qsizetype i = 0; i < entries.size(); ++i)
    store.SaveSetting(list.section, list.entryPrefix + QString::number(i), entries[i]);
}

std::optional<QStringList> readNumberedList(SettingsStore& store, const NumberedList& list, bool consumeCount) {
  const QString count = store.GetSetting(kSectionSettings, list.countKey, QString());
  if (count.isEmpty()) return std::nullopt;
  if (consumeCount) store.DeleteSetting(kSectionSettings, list.countKey);

  QStringList entries;
  const long long highest = std::min(leadingNumber(count), kHighestIndex);
  for (long long i = 0; i <= highest; ++i) {
    const QString key = list.entryPrefix + QString::number(i);
    if (!store.contains(list.section, key)) continue;
    entries.append(store.GetSetting(list.section, key, QString()));
    store.DeleteSetting(list.section, key);
  }
  return entries;
}

}  // namespace sorvane::settings
