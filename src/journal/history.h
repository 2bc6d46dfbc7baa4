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

}  // namespace sorvane::journal
