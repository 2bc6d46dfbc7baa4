#pragma once

#include "engine/files/failure.h"

#include <cstdint>
#include <string>

namespace sorvane {

// What the batches need from the run that hands them its files; called on the run's thread only.
class BatchHost {
 public:
  virtual ~BatchHost() = default;

  // Lets the host take its events while the batches work or wait; the run may end in it.
  virtual void yield() = 0;
  // True once the run has ended: by the host, or by the user's answer to a failure.
  virtual bool ended() const = 0;
  // A step on a file was stopped: the host's yield said to end the run.
  virtual void endedByHost() = 0;
  // A file is in place, or in a dry run counted, with this many replacements.
  virtual void fileDone(const std::string& path, std::int64_t replacements) = 0;
  // A file failed; true when the user asks to try it again.
  virtual bool retryAfter(const std::string& path, const Failure& failure) = 0;
};

}  // namespace sorvane
