#include "engine/run/run_status_changes.h"

#include <algorithm>

namespace sorvane {

void RunStatusChanges::note(const FileFingerprint& found, const timespec& now) {
  Changes& changes = files_.try_emplace({found.device, found.inode}, Changes{found, {}}).first->second;
  changes.times.push_back(now);
}

bool RunStatusChanges::bringUpToDate(std::optional<FileFingerprint>& previewed) const {
  if (!previewed) return false;
  const auto found = files_.find({previewed->device, previewed->inode});
  if (found == files_.end() || !previewed->sameVersionAs(found->second.previewed)) return false;
  const Changes& changes = found->second;
  const timespec& now = changes.times.back();
  if (sameTime(previewed->changed, now)) return false;
  const auto seen = [&](const timespec& time) { return sameTime(previewed->changed, time); };
  // Any other time is another program's change.
  if (!seen(changes.previewed.changed) && std::none_of(changes.times.begin(), changes.times.end(), seen)) return false;
  previewed->changed = now;
  return true;
}

}  // namespace sorvane
