#pragma once

#include "journal/manifest.h"

#include <optional>
#include <string>
#include <vector>

namespace sorvane::journal {

struct KeptRun {
  std::string name;  // its folder in the journal
  std::optional<RunRecord> record;  // nothing when it cannot be read
  std::string error;                // why not
  bool inProgress = false;
};

// The runs the journal keeps, newest first; runs that recorded no file are left out. An empty
// result with `error` set means the journal itself is refused.
std::vector<KeptRun> keptRuns(const std::string& stateHome, std::string& error);

// The run the next undo would take back, read without waiting on any lock, so a window can
// show it at any moment: the newest run that recorded a file and is not taken back. Nothing
// when there is none, or the journal cannot be read.
std::optional<RunRecord> runToUndoNext(const std::string& stateHome);

}  // namespace sorvane::journal
