#pragma once

#include "platform/message_boxes.h"
#include "platform/task_progress.h"

#include <QStringList>
#include <optional>
#include <string>

namespace sorvane::app {

// The launcher's "Undo Last Replace", asked for by `--undo-last-run` among `arguments`: names
// the newest run kept under `stateHome` in a question, takes it back when the answer is Yes,
// showing its progress when it takes long, and says how it went in a message box, without the
// main window. Returns the exit status (1 when the answer is No), or nothing when the
// arguments ask for the window.
std::optional<int> undoFromLauncher(const QStringList& arguments, platform::MessageBoxes& messageBoxes,
                                    platform::TaskProgress& progress, const std::string& stateHome);

}  // namespace sorvane::app
