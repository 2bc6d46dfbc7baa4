#pragma once

// Pruned runs are put out of the way in one rename, to a hidden name that no listing and no undo
// sees, and deleted by a process of their own: a run of many files takes long to delete, and no
// run waits for that. A deletion cut off leaves its hidden folder for the next prune to finish.
namespace sorvane::journal {

inline constexpr const char* kPutAwayPrefix = ".gone-";

// Deletes every run put away in the journal folder open as `journalFolder`. Only system calls,
// as it runs in a process forked from one that may have other threads.
void removePutAwayRuns(int journalFolder);
// The same in a process of its own, which outlives this one if need be; returns at once.
void removePutAwayRunsInBackground(int journalFolder);

}  // namespace sorvane::journal
