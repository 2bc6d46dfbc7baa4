#pragma once

#include "engine/files/failure.h"
#include "vocabulary/vocabulary.h"

#include <cstdint>
#include <string>

namespace sorvane {

// What whoever started a run wants once it has taken its events.
enum class RunCourse {
  GoOn,
  // The user pressed Stop: the run ends as after Abort, no file is opened after it, and the
  // report follows.
  Stop,
  // Whoever started it is going away: the run ends without a report.
  Abandon,
};

// What a run tells whoever started it, on the thread that started it.
class RunEvents {
 public:
  virtual ~RunEvents() = default;

  // The run begins on `files` files (0 when a walk has yet to find them).
  virtual void runBegins(int /*files*/) {}
  // A file was rewritten (or, in a dry run, counted) with this many replacements.
  virtual void fileDone(const std::string& /*path*/, std::int64_t /*replacements*/) {}
  // A file could not be rewritten: Abort ends the run, Retry tries the file again, Ignore
  // passes it over. After a failure outside the file system the run stops whatever the answer.
  virtual MessageAnswer fileFailed(const std::string& path, const Failure& failure) = 0;
  // Such a failure stopped the run, after this many replacements.
  virtual void stoppedByFailure(std::int64_t replacements) = 0;
  // A folder of a walk could not be listed, so its files and folders are passed over.
  virtual void folderNotListed(const std::string& /*folder*/, const Failure& /*failure*/) {}
  // What the undo journal says: its own failure, or a file it cannot take back. The run goes on.
  virtual void journalSaid(const std::string& /*report*/) {}
  // Lets whoever started the run take its pending events (repaint, resize, a close request, a
  // Stop), now and then during the run.
  virtual RunCourse takeEvents() = 0;
  // The run has put its last file in place.
  virtual void runEnds() {}
};

// What a run did.
struct RunOutcome {
  std::int64_t replacements = 0;
  bool stopped = false;    // by Abort, Stop or a failure outside the file system
  bool abandoned = false;  // by RunCourse::Abandon: nothing was reported
  std::int64_t binaryPassedOver = 0;  // files of a walk that looked binary, left as they were
};

}  // namespace sorvane
