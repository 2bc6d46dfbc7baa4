#pragma once

#include "platform/message_boxes.h"

#include <QStringList>
#include <optional>
#include <string>

namespace sorvane::app {

// The launcher's "Undo Last Replace", asked for by `--undo-last-run` among `arguments`: takes
// back the newest run kept under `stateHome` and says how it went in a message box, without
// the main window. Returns the exit status, or nothing when the arguments ask for the window.
std::optional<int> undoFromLauncher(const QStringList& arguments, platform::MessageBoxes& messageBoxes,
                                    const std::string& stateHome);

}  // namespace sorvane::app
