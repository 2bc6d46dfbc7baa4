#include "main_window/undo_newest_run.h"

#include "journal/journal_texts.h"
#include "platform/message_boxes.h"
#include "platform/task_progress.h"

namespace sorvane::ui {

journal::UndoOutcome undoNewestRun(QWidget* parent, platform::MessageBoxes& messageBoxes,
                                   platform::TaskProgress& progress, const std::string& stateHome) {
  const QString title = QString::fromLatin1(kApplicationTitle);
  journal::UndoOutcome outcome;
  if (std::optional<journal::RunToUndo> run = journal::RunToUndo::choose(stateHome, outcome)) {
    // The run is named before anything is touched: the newest may not be the one the user means.
    const std::string question = journal::texts::undoQuestion(run->record());
    if (messageBoxes.show(parent, QString::fromStdString(question), MessageStyle::YesNoQuestion, title) !=
        MessageAnswer::Yes)
      return {};
    progress.start(QString::fromStdString(journal::texts::takingBack(run->record())),
                   static_cast<int>(journal::filesToTry(run->record()).size()));
    journal::UndoOptions options;
    options.progress = [&progress](std::size_t done, std::size_t) { progress.advance(static_cast<int>(done)); };
    outcome = run->takeBack(options);
    progress.finish();
  }
  const journal::texts::Message message = journal::texts::undoMessage(outcome);
  messageBoxes.show(parent, QString::fromStdString(message.text),
                    message.critical ? MessageStyle::Critical : MessageStyle::Information, title);
  return outcome;
}

}  // namespace sorvane::ui
