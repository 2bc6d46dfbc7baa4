#pragma once

#include "engine/files/failure.h"
#include "engine/files/file_descriptor.h"
#include "engine/files/replacement_writer.h"
#include "engine/text/stream_rewriter.h"

#include <cstdint>
#include <optional>
#include <string>
#include <sys/stat.h>

namespace sorvane {

class Yielder;

// The file being rewritten, read through its own descriptor. Yields to the host between
// reads, tells where the file has holes, and notices when the file changes under the run.
class SourceFile final : public ByteSource {
 public:
  // `seek` finds the file's holes, as lseek(2) does.
  SourceFile(Yielder& yielder, SeekCall seek) : yielder_(yielder), seek_(seek) {}

  // Opens `name` in the folder open as `folder` for reading, if it is a regular file: anything
  // else (a folder, a device, a symbolic link) is refused. `path` names it in failures.
  bool open(int folder, const std::string& name, const std::string& path);
  bool read(char* into, std::size_t capacity, std::size_t& got) override;
  std::uint64_t zerosAhead() override;
  bool skip(std::uint64_t length) override;
  bool stillWanted() override;

  // True while the file has kept its size and modification time since it was opened and its
  // name still names it.
  bool unchangedSinceOpened() const;

  int descriptor() const { return fd_.get(); }
  const struct stat& openedStatus() const { return opened_; }
  bool stopped() const { return stopped_; }
  const std::optional<Failure>& failure() const { return failure_; }

 private:
  bool fail(int error);

  Yielder& yielder_;
  SeekCall seek_;
  int folder_ = -1;
  std::string name_;
  std::string path_;
  FileDescriptor fd_;
  struct stat opened_ {};
  // Read at this offset, not at the descriptor's, which the writer's hole walk moves.
  std::uint64_t offset_ = 0;
  std::uint64_t dataEnd_ = 0;  // the bytes before it, from offset_ on, are known to be data
  bool ended_ = false;         // the last read reached the end of the file
  bool stopped_ = false;
  std::optional<Failure> failure_;
};

}  // namespace sorvane
