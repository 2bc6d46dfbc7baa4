#include "app/undo_from_launcher.h"

#include "journal/journal_texts.h"
#include "journal/undo.h"

namespace sorvane::app {

std::optional<int> undoFromLauncher(const QStringList& arguments, platform::MessageBoxes& messageBoxes,
                                    platform::ProgressWindow& progress, const std::string& stateHome) {
  if (!arguments.contains(QStringLiteral("--undo-last-run"))) return std::nullopt;
  const QString title = QString::fromLatin1(kApplicationTitle);
  journal::UndoOutcome outcome;
  if (std::optional<journal::RunToUndo> run = journal::RunToUndo::choose(stateHome, outcome)) {
    // The run is named before anything is touched: the newest may not be the one the user means.
    const std::string question = journal::texts::undoQuestion(run->record());
    if (messageBoxes.show(nullptr, QString::fromStdString(question), MessageStyle::YesNoQuestion, title) !=
        MessageAnswer::Yes)
      return 1;
    progress.start(QString::fromStdString(journal::texts::takingBack(run->record())),
                   static_cast<int>(journal::filesToTry(run->record()).size()));
    journal::UndoOptions options;
    options.progress = [&progress](std::size_t done, std::size_t) { progress.advance(static_cast<int>(done)); };
    outcome = run->takeBack(options);
    progress.finish();
  }
  const journal::texts::Message message = journal::texts::undoMessage(outcome);
  messageBoxes.show(nullptr, QString::fromStdString(message.text),
                    message.critical ? MessageStyle::Critical : MessageStyle::Information, title);
  return outcome.complete() ? 0 : 1;
}

}  // namespace sorvane::app
