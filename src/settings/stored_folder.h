#pragma once

#include <QString>

namespace sorvane::settings {

class SettingsStore;

// The folder kept under "Path", or an empty text when the user chose none: the key is absent,
// empty, or holds the program's own folder, which earlier versions stored as the default. A
// run aimed there would rewrite the program's own files.
QString storedFolder(const SettingsStore& store);

}  // namespace sorvane::settings
