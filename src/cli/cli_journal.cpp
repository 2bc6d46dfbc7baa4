#include "cli/cli_journal.h"

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
      out << journal::texts::kNothingToUndo << '\n';
      return 1;
    case UndoOutcome::Kind::InProgress:
      err << "sorvane-cli: the run of " << journal::texts::runTitle(outcome.run) << " is still in progress\n";
      return 1;
    case UndoOutcome::Kind::Refused:
      err << "sorvane-cli: the undo journal cannot be used: " << outcome.error << '\n';
      return 1;
    case UndoOutcome::Kind::TakenBack:
      break;
  }
  // The same words as the desktop's question, so a dry run shows what the question would ask.
  out << (dryRun ? "Would take back " + journal::texts::undoSubject(outcome.run) + "." : journal::texts::takingBack(outcome.run))
      << '\n';
  if (dryRun)
    for (const std::string& path : outcome.restored) out << "would restore " << path << '\n';
  for (const journal::LeftAlone& file : outcome.leftAlone)
    err << "sorvane-cli: " << file.path << ": " << file.reason << (dryRun ? "; would be left alone" : "; left alone")
        << journal::texts::originalNote(file) << '\n';
  if (!outcome.error.empty()) err << "sorvane-cli: " << outcome.error << '\n';
  out << journal::texts::undoReport(outcome, dryRun) << '\n';
  return outcome.complete() ? 0 : 1;
}

int historyCommand(const std::string& stateHome, std::ostream& out, std::ostream& err) {
  std::string error;
  const std::vector<journal::KeptRun> runs = journal::keptRuns(stateHome, error);
  if (!error.empty()) {
    err << "sorvane-cli: the undo journal cannot be used: " << error << '\n';
    return 1;
  }
  if (runs.empty()) out << "No runs are kept.\n";
  for (const journal::KeptRun& run : runs) {
    if (run.record)
      out << journal::texts::historyLine(*run.record, run.inProgress) << '\n';
    else
      out << run.name << "  cannot be read: " << run.error << '\n';
  }
  return 0;
}

}  // namespace sorvane::cli
