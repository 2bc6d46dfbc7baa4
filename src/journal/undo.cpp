#include "journal/undo.h"

#include "journal/journal_folder.h"
#include "journal/leftovers.h"
#include "journal/manifest_file.h"
#include "journal/run_restorer.h"

#include <cerrno>
#include <unistd.h>

namespace sorvane::journal {
namespace {

UndoOutcome refused(std::string error) {
  UndoOutcome outcome;
  outcome.kind = UndoOutcome::Kind::Refused;
  outcome.error = std::move(error);
  return outcome;
}

// What the undo of a run taken back already says to the undo of an older one: each file the
// later undo put back, which the older run may have rewritten too.
void noteRestores(const RunRecord& run, LaterRestores& later) {
  for (const FileRecord& file : run.files) later[file.path] = file.restored;
}

}  // namespace

std::vector<const FileRecord*> filesToTry(const RunRecord& run) {
  std::vector<const FileRecord*> files;
  for (auto file = run.files.rbegin(); file != run.files.rend(); ++file)
    if (!file->restored && !file->neverPlaced) files.push_back(&*file);
  return files;
}

std::optional<RunToUndo> RunToUndo::choose(const std::string& stateHome, UndoOutcome& outcome) {
  std::string error;
  const auto journal = JournalFolder::open(stateHome, false, error);
  if (!journal) {
    outcome = refused(error);
    return std::nullopt;
  }
  // Held while the run is chosen, as runs hold it while they make and prune theirs; not while
  // it is taken back, which would keep new runs waiting.
  const JournalFolder::Lock lock(*journal);
  if (journal->exists() && !lock.held()) {
    outcome = refused(journal->path() + ": cannot be locked: " + systemError(errno));
    return std::nullopt;
  }
  LaterRestores later;
  const std::vector<std::string> names = journal->runNames();
  for (auto name = names.rbegin(); name != names.rend(); ++name) {
    const std::string path = journal->path() + "/" + *name;
    FileDescriptor run = journal->openRun(*name, error);
    if (!run.valid()) {
      outcome = refused(error);
      return std::nullopt;
    }
    const bool locked = tryLockRun(run.get());
    auto record = readRun(run.get(), error);
    if (!record) {
      outcome = refused(path + ": " + error);
      return std::nullopt;
    }
    if (!record->undone && !locked) {
      outcome = UndoOutcome{};
      outcome.kind = UndoOutcome::Kind::InProgress;
      outcome.run = std::move(*record);
      return std::nullopt;
    }
    if (record->undone || filesToTry(*record).empty()) {
      // A run killed before it kept an original may still have named its new content.
      if (locked && record->cutOff) tidyCutOffRun(run.get(), *record);
      noteRestores(*record, later);
      continue;
    }
    return RunToUndo(path, std::move(run), std::move(*record), std::move(later));
  }
  outcome = UndoOutcome{};
  return std::nullopt;
}

UndoOutcome RunToUndo::takeBack(const UndoOptions& options) {
  UndoOutcome outcome;
  outcome.kind = UndoOutcome::Kind::TakenBack;
  outcome.run = record_;
  ManifestFile manifest;
  // Nothing is restored that could not be marked: it would be tried again as changed.
  if (!options.dryRun && !manifest.open(folder_.get()))
    return refused(path_ + ": its manifest cannot be written: " + systemError(errno));
  // What a kill left beside the files goes first, so no copy of it is taken for the user's.
  if (!options.dryRun && record_.cutOff) removeLeftovers(record_);
  RunRestorer restorer(folder_.get(), path_, options, later_, outcome);
  restorer.restore(filesToTry(record_), options.dryRun ? nullptr : &manifest);
  if (options.dryRun) return outcome;
  // Tried once more at most, so that one stubborn file never keeps the older runs from undo.
  outcome.triesAgain = restorer.leftAnyThatMayPass() && record_.undoAttempts == 0;
  if (!outcome.triesAgain) restorer.nameOriginals();
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  if (!manifest.append(outcome.triesAgain ? triedLine(now) : undoneLine(now)) || ::fdatasync(manifest.descriptor()) != 0)
    outcome.error = path_ + ": cannot be marked as taken back: " + systemError(errno);
  return outcome;
}

UndoOutcome undoLastRun(const std::string& stateHome, const UndoOptions& options) {
  UndoOutcome outcome;
  std::optional<RunToUndo> run = RunToUndo::choose(stateHome, outcome);
  return run ? run->takeBack(options) : outcome;
}

}  // namespace sorvane::journal
