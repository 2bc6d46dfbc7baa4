#pragma once

#include "engine/files/file_fingerprint.h"

#include <map>
#include <optional>
#include <utility>
#include <vector>

namespace sorvane {

// The status changes a run made to previewed files: keeping an original links it, and renaming
// over its name unlinks it, and each sets its status-change time. Another name of the same file,
// a hard link the preview also showed, then looks changed since the preview although only this
// run changed it; its expected fingerprint is brought up to what the run left.
class RunStatusChanges {
 public:
  // The run changed the file it found as `found` (or found again after an earlier change of
  // its own), which now has the status-change time `now`.
  void note(const FileFingerprint& found, const timespec& now);
  // Brings a preview's fingerprint of a file up to the status this run left it in, when the
  // run's own changes are all that differ. True when it changed `previewed`.
  bool bringUpToDate(std::optional<FileFingerprint>& previewed) const;

 private:
  struct Changes {
    FileFingerprint previewed;    // the file as it was before the run changed it
    std::vector<timespec> times;  // the status-change times the run left it with, the last one now
  };
  std::map<std::pair<dev_t, ino_t>, Changes> files_;
};

}  // namespace sorvane
