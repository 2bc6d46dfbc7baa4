#pragma once

#include "journal/manifest.h"

#include <string>
#include <vector>

namespace sorvane::journal {

struct LeftAlone {
  std::string path;
  std::string reason;
};

struct UndoOutcome {
  enum class Kind {
    TakenBack,      // `run` was taken back; some files may have been left alone
    NothingToUndo,  // every kept run was taken back already, or none is kept
    InProgress,     // the newest run is still being written by its process
    Refused,        // the journal or the run's manifest is not to be trusted; nothing was touched
  };
  Kind kind = Kind::NothingToUndo;
  std::string error;  // why it was refused, or why the run could not be marked as taken back
  RunRecord run;
  std::vector<std::string> restored;  // last rewritten first
  std::vector<LeftAlone> leftAlone;

  // Every file of the run is as it was before it: the command succeeded.
  bool complete() const { return kind == Kind::TakenBack && leftAlone.empty() && error.empty(); }
};

// Takes back the newest run not taken back yet: each file the run replaced, last first, gets
// its original back in one atomic step, with its mode, owner and modification time, if it is
// still exactly what the run wrote; a file changed since is left alone. The run is then
// marked, so it is never taken back twice. With `dryRun`, only says what it would do.
UndoOutcome undoLastRun(const std::string& stateHome, bool dryRun);

}  // namespace sorvane::journal
