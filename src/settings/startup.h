#pragma once

namespace sorvane::ui {
class frmSorvane;
}

namespace sorvane::settings {

class SettingsStore;

// Start-up: restores the window as the user left it and shows it. Every step that fails
// (a value that does not convert, a folder that is gone) is skipped without a message.
void Form_Load(ui::frmSorvane& window, SettingsStore& store);

}  // namespace sorvane::settings
