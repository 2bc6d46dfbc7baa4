#pragma once

namespace sorvane::ui {
class frmSorvane;
}

namespace sorvane::settings {

class SettingsStore;

// Writes the window's geometry, every option, the terms and recent-term lists and, when the
// user asked for it, the file list, for the next start-up to read back.
void saveWindowSettings(const ui::frmSorvane& window, SettingsStore& store);

}  // namespace sorvane::settings
