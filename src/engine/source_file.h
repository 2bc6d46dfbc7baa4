#pragma once

#include "engine/failure.h"
#include "engine/stream_rewriter.h"

#include <optional>
#include <string>
#include <sys/stat.h>

namespace sorvane {

class Yielder;

// The file being rewritten, read through its own descriptor. Yields to the host between
// reads, and notices when the file changes under the run.
class SourceFile final : public ByteSource {
 public:
  explicit SourceFile(Yielder& yielder) : yielder_(yielder) {}
  ~SourceFile() override;
  SourceFile(const SourceFile&) = delete;  // owns a descriptor
  SourceFile& operator=(const SourceFile&) = delete;

  // Opens a regular file for reading; anything else (a folder, a device) is refused.
  bool open(const std::string& path);
  bool read(char* into, std::size_t capacity, std::size_t& got) override;

  // True while the file has kept its size and modification time since it was opened and
  // `path` still names it.
  bool unchangedSinceOpened(const std::string& path) const;

  int descriptor() const { return fd_; }
  const struct stat& openedStatus() const { return opened_; }
  bool stopped() const { return stopped_; }
  const std::optional<Failure>& failure() const { return failure_; }

 private:
  bool fail(int error);

  Yielder& yielder_;
  std::string path_;
  int fd_ = -1;
  struct stat opened_ {};
  bool stopped_ = false;
  std::optional<Failure> failure_;
};

}  // namespace sorvane
