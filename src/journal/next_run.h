#pragma once

#include <ctime>
#include <map>
#include <optional>
#include <string>

namespace sorvane::journal {

// The run the next undo takes back, as a window names it.
struct NextRun {
  timespec started{};
  std::string subject;  // what its undo takes back: "the run of <title>, 3 files"
};

// Tells, as often as a window asks, which run the next undo takes back: the newest kept run
// that has a file left to restore and is not taken back, the run an undo would choose. A run's
// manifest is read again only once it has changed, so asking costs a listing of the journal and
// a status of each manifest passed, however many files the runs hold. Read without waiting on
// any lock.
class NextRunReader {
 public:
  // Nothing when no run is left to take back, or a run on the way cannot be read: undo refuses
  // an unreadable run rather than pass it by, and so does this.
  std::optional<NextRun> read(const std::string& stateHome);

 private:
  // What was read of one run's manifest, and how the manifest stood then.
  struct Seen {
    dev_t device;
    ino_t inode;
    off_t size;
    timespec modified;
    std::optional<NextRun> undoable;  // nothing when it has nothing left to restore
  };
  std::map<std::string, Seen> seen_;  // by run folder
};

}  // namespace sorvane::journal
