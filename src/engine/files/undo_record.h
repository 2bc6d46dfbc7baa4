#pragma once

#include "engine/text/search_terms.h"

#include "engine/files/file_fingerprint.h"
#include "vocabulary/vocabulary.h"

#include <cstdint>
#include <functional>
#include <string>
#include <sys/stat.h>

namespace sorvane {

// The file a rewrite is about to replace: `name` in the folder open as `folder`, read through
// `descriptor`, whose status when it was opened is `status`. `path` is how the user named it.
struct OriginalFile {
  int folder;
  const std::string& name;
  const std::string& path;
  int descriptor;
  const struct stat& status;
};

// Where a run keeps what it replaces, so that it can be taken back. Its failures are its own:
// the run rewrites the same whatever it does.
class UndoRecord {
 public:
  virtual ~UndoRecord() = default;

  // `tell` is told, on the run's thread, once when the journal fails during the run, and once
  // of each file put in place that cannot be taken back; the run goes on.
  virtual void runStarted(const SearchTerms& terms, std::function<void(const std::string&)> tell) = 0;
  // Called from any thread, before a new content takes a name of its own from its start, as on
  // a file system without unnamed files: `name` in the folder open as `folder`. Its original is
  // kept only later, and a kill meanwhile must leave no name the journal does not know.
  virtual void givingTemporaryName(int folder, const std::string& name) = 0;
  // Called once the new content is written, before it is flushed, in run order: keeps the
  // original and its record. `replacement` is the new content's, taken before its rename. Their
  // writes go to disk with the new content's flush where the file system allows. Returns the
  // number recordPlaced is to be given for this attempt. `temporaryName` is the name the new
  // content holds, or is to be given, beside the original until its rename.
  virtual int keepOriginal(const OriginalFile& original, const FileFingerprint& replacement,
                           const std::string& temporaryName) = 0;
  // Called once per batch, when the new contents of the batch are on disk, before the first
  // takes its original's name: what was kept must be durable when this returns.
  virtual void makeKeptDurable() = 0;
  // The file kept as `attempt` took its new content's place, where its status-change time is
  // `changed`. An attempt never put in place (a failed flush, a stop, a retried first attempt)
  // is no part of the run once it ends.
  virtual void recordPlaced(int attempt, const timespec& changed) = 0;
  // `filesReplaced` counts the files put in place: a file kept but then not renamed (its flush
  // failed, or the run was stopped) is not among them.
  virtual void runEnded(std::int64_t replacements, std::int64_t filesReplaced) = 0;
};

}  // namespace sorvane
