#pragma once

#include "journal/undo.h"

#include <string>

class QWidget;

namespace sorvane::platform {
class MessageBoxes;
class TaskProgress;
}  // namespace sorvane::platform

namespace sorvane::ui {

// Takes back the newest run kept under `stateHome`, as the window's Undo and the launcher's
// "Undo Last Replace" do: a question names the run first (No preselected), the progress is shown
// when it takes long, and a box says how it went. Returns the outcome; its kind is NothingToUndo
// and nothing is shown after the question when the answer is No.
journal::UndoOutcome undoNewestRun(QWidget* parent, platform::MessageBoxes& messageBoxes,
                                   platform::TaskProgress& progress, const std::string& stateHome);

}  // namespace sorvane::ui
