#pragma once

#include "settings/settings_keys.h"

#include <QStringList>
#include <optional>

namespace sorvane::settings {

class SettingsStore;

// Writes the count (entries minus one; -1 for none) and every entry in order.
void writeNumberedList(SettingsStore& store, const NumberedList& list, const QStringList& entries);

// Reads a list back and deletes each entry key as it goes, so the entries live only in the
// window until the next exit writes them. Returns nothing when the count key is absent (the
// control keeps what it has). An entry key that is missing (its run ended without an exit)
// adds no entry. `consumeCount` deletes the count key first.
std::optional<QStringList> readNumberedList(SettingsStore& store, const NumberedList& list, bool consumeCount);

}  // namespace sorvane::settings
