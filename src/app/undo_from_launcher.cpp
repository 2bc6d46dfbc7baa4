#include "app/undo_from_launcher.h"

#include "main_window/undo_newest_run.h"

namespace sorvane::app {

std::optional<int> undoFromLauncher(const QStringList& arguments, platform::MessageBoxes& messageBoxes,
                                    platform::TaskProgress& progress, const std::string& stateHome) {
  if (!arguments.contains(QStringLiteral("--undo-last-run"))) return std::nullopt;
  const journal::UndoOutcome outcome = ui::undoNewestRun(nullptr, messageBoxes, progress, stateHome);
  return outcome.complete() ? 0 : 1;
}

}  // namespace sorvane::app
