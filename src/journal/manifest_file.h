#pragma once

#include "engine/files/file_descriptor.h"

#include <string_view>
#include <sys/types.h>

namespace sorvane::journal {

// The call that writes to a manifest; a seam, so tests can cut a write short as a full disk does.
using WriteCall = ssize_t (*)(int fd, const void* data, std::size_t size);

// A run's manifest opened for appending whole lines. A line is on it whole or not at all: a
// write cut short is cut back, and a tail torn by an earlier process (killed, or out of space)
// is cut before anything follows it, so a mark appended later never fuses with a broken line and
// the manifest always reads.
class ManifestFile {
 public:
  // Makes the manifest of a new run (false, errno set, when it cannot).
  bool create(int runFolder);
  // Opens the manifest of a kept run.
  bool open(int runFolder);

  // Appends `lines`, each ending in a line end; false with errno set when they are not all on it.
  bool append(std::string_view lines);
  int descriptor() const { return fd_.get(); }
  bool valid() const { return fd_.valid(); }

  WriteCall write = &::write;

 private:
  bool cutTornTail();

  FileDescriptor fd_;
  off_t end_ = 0;  // where the last whole line ends
  bool needsCut_ = false;  // a failed append could not be cut back yet
};

}  // namespace sorvane::journal
