#include "app/undo_from_launcher.h"

#include "journal/journal_texts.h"
#include "journal/undo.h"

namespace sorvane::app {

std::optional<int> undoFromLauncher(const QStringList& arguments, platform::MessageBoxes& messageBoxes,
                                    const std::string& stateHome) {
  if (!arguments.contains(QStringLiteral("--undo-last-run"))) return std::nullopt;
  const journal::UndoOutcome outcome = journal::undoLastRun(stateHome, false);
  const journal::texts::Message message = journal::texts::undoMessage(outcome);
  messageBoxes.show(nullptr, QString::fromStdString(message.text),
                    message.critical ? MessageStyle::Critical : MessageStyle::Information,
                    QString::fromLatin1(kApplicationTitle));
  return outcome.complete() ? 0 : 1;
}

}  // namespace sorvane::app
