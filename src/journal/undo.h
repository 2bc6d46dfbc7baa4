#pragma once

#include "engine/files/file_descriptor.h"
#include "journal/manifest.h"

#include <cstddef>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace sorvane::journal {

struct LeftAlone {
  std::string path;
  std::string reason;
  // Where its original lies in the journal, once the run counts as taken back; empty while a
  // later undo tries the file again, or when no original is kept.
  std::string original;
};

struct UndoOutcome {
  enum class Kind {
    TakenBack,      // `run` was taken back, or the rest of it tried; some files may have been left alone
    NothingToUndo,  // every kept run was taken back already, or none is kept
    InProgress,     // the newest run is still being written by its process
    Refused,        // the journal or the run's manifest is not to be trusted; nothing was touched
  };
  Kind kind = Kind::NothingToUndo;
  std::string error;  // why it was refused, or why the run could not be marked
  RunRecord run;      // as it was before this undo
  std::vector<std::string> restored;  // last rewritten first
  // Files an earlier undo, cut off before it could mark them, had restored already.
  std::size_t restoredBefore = 0;
  std::vector<LeftAlone> leftAlone;
  // Some files were left for a reason that may pass (a full disk, a permission): the run is not
  // taken back yet, and the next undo tries the rest of it.
  bool triesAgain = false;

  // Every file of the run is as it was before it: the command succeeded.
  bool complete() const { return kind == Kind::TakenBack && leftAlone.empty() && error.empty(); }
};

// Moves a file to another name, or swaps two, as renameat2(2) does.
using MoveCall = int (*)(int fromFolder, const char* from, int toFolder, const char* to, unsigned int flags);

struct UndoOptions {
  bool dryRun = false;  // only say what would be done
  // Told after each batch: how many of the files it tries are behind it, of how many.
  std::function<void(std::size_t done, std::size_t total)> progress;
  MoveCall move = &::renameat2;  // a seam, so tests can make a restore fail
};

// For each path a later run rewrote, the status-change time its undo's rename gave the file it
// put back, if it did.
using LaterRestores = std::unordered_map<std::string, std::optional<timespec>>;

// The newest run not taken back yet, chosen under the journal's lock, then held by its own lock
// for as long as this lives: no other undo takes it back and no new run prunes it meanwhile,
// while new runs may start.
class RunToUndo {
 public:
  // Nothing when there is no run to take back, and `outcome` says why.
  static std::optional<RunToUndo> choose(const std::string& stateHome, UndoOutcome& outcome);

  const RunRecord& record() const { return record_; }

  // Each file of the run that is still exactly what the run put in place gets its original
  // back in one atomic step, with its mode, owner and modification time, last rewritten first;
  // a file changed since is left alone. The original swaps places with what the run wrote,
  // which stays in the run's folder until the run is pruned. Files go back in batches, as the
  // run wrote them: each batch's copies flushed, its renames, then one flush of each folder and
  // one write of the run's marks. With `dryRun`, only says what it would do.
  //
  // Each restored file is marked, and the run is marked taken back when done. When a file is
  // left for a reason that may pass, the run stays open once: the next undo tries the rest of
  // it, then marks it taken back whatever happens, naming where each file's original lies.
  UndoOutcome takeBack(const UndoOptions& options);

 private:
  RunToUndo(std::string path, FileDescriptor folder, RunRecord record, LaterRestores later)
      : path_(std::move(path)), folder_(std::move(folder)), record_(std::move(record)), later_(std::move(later)) {}

  std::string path_;  // of the run's folder
  FileDescriptor folder_;  // holds the run's lock
  RunRecord record_;
  LaterRestores later_;
};

// Chooses the newest run and takes it back at once, as the command line does.
UndoOutcome undoLastRun(const std::string& stateHome, const UndoOptions& options = {});

// The files of a run that an undo tries: those put in place and not restored yet, last rewritten first.
std::vector<const FileRecord*> filesToTry(const RunRecord& run);

}  // namespace sorvane::journal
