#include "cli/cli_journal.h"

#include "cli/printed_line.h"
#include "journal/history.h"
#include "journal/journal_texts.h"
#include "journal/undo.h"

#include <ostream>

namespace sorvane::cli {

using journal::UndoOutcome;

int undoCommand(const std::string& stateHome, bool dryRun, std::ostream& out, std::ostream& err) {
  journal::UndoOptions options;
  options.dryRun = dryRun;
  const UndoOutcome outcome = journal::undoLastRun(stateHome, options);
  switch (outcome.kind) {
    case UndoOutcome::Kind::NothingToUndo:
      printLine(out, journal::texts::kNothingToUndo);
      return 1;
    case UndoOutcome::Kind::InProgress:
      printLine(err, "sorvane-cli: the run of " + journal::texts::runTitle(outcome.run) + " is still in progress");
      return 1;
    case UndoOutcome::Kind::Refused:
      printLine(err, "sorvane-cli: the undo journal cannot be used: " + outcome.error);
      return 1;
    case UndoOutcome::Kind::TakenBack:
      break;
  }
  // The same words as the desktop's question, so a dry run shows what the question would ask.
  printLine(out, dryRun ? "Would take back " + journal::texts::undoSubject(outcome.run) + "."
                        : journal::texts::takingBack(outcome.run));
  if (dryRun)
    for (const std::string& path : outcome.restored) printLine(out, "would restore " + path);
  for (const journal::LeftAlone& file : outcome.leftAlone)
    printLine(err, "sorvane-cli: " + file.path + ": " + file.reason + (dryRun ? "; would be left alone" : "; left alone") +
                       journal::texts::originalNote(file));
  if (!outcome.error.empty()) printLine(err, "sorvane-cli: " + outcome.error);
  printLine(out, journal::texts::undoReport(outcome, dryRun));
  return outcome.complete() ? 0 : 1;
}

int historyCommand(const std::string& stateHome, std::ostream& out, std::ostream& err) {
  std::string error;
  const std::vector<journal::KeptRun> runs = journal::keptRuns(stateHome, error);
  if (!error.empty()) {
    printLine(err, "sorvane-cli: the undo journal cannot be used: " + error);
    return 1;
  }
  if (runs.empty()) printLine(out, "No runs are kept.");
  for (const journal::KeptRun& run : runs) {
    if (run.record)
      printLine(out, journal::texts::historyLine(*run.record, run.inProgress));
    else
      printLine(out, run.name + "  cannot be read: " + run.error);
  }
  return 0;
}

}  // namespace sorvane::cli
