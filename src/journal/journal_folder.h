#pragma once

#include "engine/files/file_descriptor.h"
#include "journal/manifest.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sorvane::journal {

// Takes or drops a lock, as flock(2) does; a seam, so tests can hold or refuse a run's lock.
using LockCall = int (*)(int fd, int operation);

// The user's state folder: $XDG_STATE_HOME when it is an absolute path, else ~/.local/state.
std::string defaultStateHome();

// The folder of kept runs, <state home>/sorvane/runs, one folder per run, named so that the
// names sort oldest first. Below the state home nothing is reached through a symbolic link,
// and a folder that is not the user's or that others may enter is refused: the journal holds
// copies of the user's files and decides what undo writes where.
class JournalFolder {
 public:
  // Opens the folder, making what is missing (mode 0700) when `create` is set. Without it, a
  // journal that does not exist yet opens as an empty one. On failure `error` says why.
  static std::optional<JournalFolder> open(const std::string& stateHome, bool create, std::string& error);

  const std::string& path() const { return path_; }
  int descriptor() const { return folder_.get(); }
  bool exists() const { return folder_.valid(); }

  // The names of the run folders, oldest first.
  std::vector<std::string> runNames() const;
  // A run's folder, checked as the journal's own folders are.
  FileDescriptor openRun(const std::string& name, std::string& error) const;
  // A new run's folder, named after the time it starts, locked with `lock`. It is made under a
  // dot name, which no one lists, and takes its name once locked, so no one finds it unlocked;
  // the name is then made durable with `flush`.
  FileDescriptor createRun(std::string& name, std::string& error, LockCall lock, int (*flush)(int fd)) const;
  // Removes a run's folder and what it holds.
  void removeRun(const std::string& name) const;
  // Takes a run's folder out of the way in one rename, for removePutAwayRuns to delete.
  bool putAway(const std::string& name) const;
  // Whether runs put away are still there, as a deletion cut off leaves them.
  bool holdsPutAwayRuns() const;

  // Held while runs are created or pruned, so no two processes prune one another's new run.
  class Lock {
   public:
    explicit Lock(const JournalFolder& folder);
    bool held() const { return fd_.valid(); }

   private:
    FileDescriptor fd_;
  };

 private:
  JournalFolder(std::string path, FileDescriptor folder) : path_(std::move(path)), folder_(std::move(folder)) {}

  std::string path_;
  FileDescriptor folder_;
};

// Takes the lock a run holds while it writes its folder; false while another process holds it.
bool tryLockRun(int runFolder);

// The run a folder describes, or nothing with `error` saying why it cannot be read.
std::optional<RunRecord> readRun(int runFolder, std::string& error);

// What pruning needs of a run, read without its whole manifest.
struct RunSummary {
  bool recordedNothing = false;  // killed before its manifest existed
  bool cutOff = false;           // its manifest's last line does not close it
  // The disk space its originals hold, written once it ended; none before, or in a journal
  // written before it was kept.
  std::optional<std::uint64_t> keptBytes;
};
RunSummary readSummary(int runFolder);
void writeKeptBytes(int runFolder, std::uint64_t bytes);

// Text for an errno, as the system words it.
std::string systemError(int error);

}  // namespace sorvane::journal
