#pragma once

#include "engine/files/file_copy.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <sys/types.h>
#include <unistd.h>
#include <vector>

namespace sorvane {

class Yielder;

// Copies between two files inside the kernel, as copy_file_range(2) does.
using CopyRangeCall = ssize_t (*)(int in, loff_t* inOffset, int out, loff_t* outOffset, std::size_t length,
                                  unsigned flags);

// How a replacement is written. Tests make the sizes tiny, so that every path runs on small
// files, and stand in for the kernel's copy and its search for holes.
struct WriteTuning {
  std::size_t bufferSize = 1024 * 1024;  // new bytes gathered per write
  // Unchanged stretches of the source at least this long are copied by the kernel instead of
  // through the buffer: below it, the cost of a call outweighs the copy it saves.
  std::uint64_t kernelCopyFrom = 256 * 1024;
  // The most the kernel copies between two chances for the host to process its events.
  std::uint64_t copyStep = 8 * 1024 * 1024;
  CopyRangeCall copyRange = &::copy_file_range;
  SeekCall seek = &::lseek;  // used by the source's reading too
};

// Writes the new content of a file, in order: new bytes, gathered in a buffer, and stretches of
// the source that stay as they are. Stretches are copied by the kernel (shared rather than
// copied, where the file system can), and only where the source holds data, so its holes stay
// holes. A long stretch is copied in pieces, and the host gets its events between them.
class ReplacementWriter {
 public:
  ReplacementWriter(int sourceFd, int outputFd, const WriteTuning& tuning, Yielder& yielder);
  ReplacementWriter(const ReplacementWriter&) = delete;  // owns a large buffer
  ReplacementWriter& operator=(const ReplacementWriter&) = delete;

  // Each returns false on a failure (error() says which) or a stop request (stopped()).
  bool write(std::string_view bytes);
  // The source's bytes [offset, offset + length).
  bool copy(std::uint64_t offset, std::uint64_t length);
  // Writes what is left in the buffer and gives the file its full size.
  bool finish();

  // The errno of the failure; 0 while there is none.
  int error() const { return error_; }
  bool stopped() const { return stopped_; }

 private:
  bool flushBuffer();
  bool writeAt(const char* data, std::size_t size);
  bool copyData(std::uint64_t offset, std::uint64_t length);
  void findData(std::uint64_t offset);
  void startWriteback();
  bool fail(int error);

  const int source_;
  const int output_;
  Yielder& yielder_;
  const std::uint64_t copyStep_;
  const CopyRangeCall copyRange_;
  const SeekCall seek_;
  std::vector<char> buffer_;
  std::size_t filled_ = 0;
  std::uint64_t at_ = 0;       // where the next byte goes in the output
  std::uint64_t written_ = 0;  // the end of the last write; holes may follow it
  std::uint64_t writebackStarted_ = 0;
  std::uint64_t dataFrom_ = 0;  // [dataFrom_, dataTo_) of the source is known to hold data
  std::uint64_t dataTo_ = 0;
  bool kernelCopies_ = true;  // false once the kernel refused to copy between these files
  bool stopped_ = false;
  int error_ = 0;
};

}  // namespace sorvane
