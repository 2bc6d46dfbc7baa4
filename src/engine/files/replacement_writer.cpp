#include "engine/files/replacement_writer.h"

#include "engine/files/yielder.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace sorvane {
namespace {

// Written data is handed to the disk in steps of this size while the rewrite goes on, so the
// final flush before the swap has little left to wait for.
constexpr std::uint64_t kWritebackStep = 8 * 1024 * 1024;

}  // namespace

ReplacementWriter::ReplacementWriter(int sourceFd, int outputFd, const WriteTuning& tuning, Yielder& yielder)
    : source_(sourceFd),
      output_(outputFd),
      yielder_(yielder),
      copyStep_(std::max<std::uint64_t>(tuning.copyStep, 1)),
      copyRange_(tuning.copyRange),
      seek_(tuning.seek),
      buffer_(std::max<std::size_t>(tuning.bufferSize, 1)) {}

bool ReplacementWriter::write(std::string_view bytes) {
  // Written when the next bytes do not fit: filling the buffer to its last byte before each
  // write measured a third slower on a file dense with occurrences.
  if (filled_ + bytes.size() > buffer_.size()) {
    if (!flushBuffer()) return false;
    if (bytes.size() >= buffer_.size()) return writeAt(bytes.data(), bytes.size());
  }
  std::memcpy(buffer_.data() + filled_, bytes.data(), bytes.size());
  filled_ += bytes.size();
  return true;
}

bool ReplacementWriter::copy(std::uint64_t offset, std::uint64_t length) {
  if (!flushBuffer()) return false;
  const std::uint64_t end = offset + length;
  while (offset < end) {
    // Stretches come in the source's order, so what was found from an earlier offset holds.
    if (offset >= dataTo_) findData(offset);
    if (offset < dataFrom_) {  // a hole: nothing is written, so it stays one
      const std::uint64_t next = std::min(end, dataFrom_);
      at_ += next - offset;
      offset = next;
      continue;
    }
    const std::uint64_t next = std::min({end, dataTo_, offset + copyStep_});
    if (!copyData(offset, next - offset)) return false;
    offset = next;
    if (offset < end && !yielder_.poll()) {
      stopped_ = true;
      return false;
    }
  }
  return true;
}

bool ReplacementWriter::finish() {
  if (!flushBuffer()) return false;
  // Where the source ends in a hole nothing was written, but the file must still reach its size.
  if (at_ > written_ && ::ftruncate(output_, static_cast<off_t>(at_)) != 0) return fail(errno);
  written_ = at_;
  return true;
}

bool ReplacementWriter::flushBuffer() {
  const std::size_t size = filled_;
  filled_ = 0;
  return writeAt(buffer_.data(), size);
}

bool ReplacementWriter::writeAt(const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::pwrite(output_, data, size, static_cast<off_t>(at_));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return fail(n == 0 ? ENOSPC : errno);
    data += n;
    size -= static_cast<std::size_t>(n);
    at_ += static_cast<std::uint64_t>(n);
    written_ = at_;
  }
  startWriteback();
  return true;
}

void ReplacementWriter::findData(std::uint64_t offset) {
  const off_t data = seek_(source_, static_cast<off_t>(offset), SEEK_DATA);
  if (data < 0) {
    // ENXIO: only a hole from here to the end. Anything else: the file system cannot tell.
    dataFrom_ = errno == ENXIO ? UINT64_MAX : offset;
    dataTo_ = UINT64_MAX;
    return;
  }
  const off_t hole = seek_(source_, data, SEEK_HOLE);
  dataFrom_ = static_cast<std::uint64_t>(data);
  dataTo_ = hole > data ? static_cast<std::uint64_t>(hole) : UINT64_MAX;
}

bool ReplacementWriter::copyData(std::uint64_t offset, std::uint64_t length) {
  auto in = static_cast<loff_t>(offset);
  while (length > 0) {
    if (kernelCopies_) {
      auto out = static_cast<loff_t>(at_);
      const ssize_t n = copyRange_(source_, &in, output_, &out, length, 0);
      if (n > 0) {
        at_ += static_cast<std::uint64_t>(n);
        written_ = at_;
        length -= static_cast<std::uint64_t>(n);
        startWriteback();
        continue;
      }
      if (n == 0) return fail(EBUSY);  // the source has become shorter than it was read
      if (errno == EINTR) continue;
      if (errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP) return fail(errno);
      kernelCopies_ = false;  // no kernel copy between these files: through the (empty) buffer instead
    }
    const ssize_t n = ::pread(source_, buffer_.data(), std::min<std::uint64_t>(buffer_.size(), length), in);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return fail(n == 0 ? EBUSY : errno);
    if (!writeAt(buffer_.data(), static_cast<std::size_t>(n))) return false;
    in += n;
    length -= static_cast<std::uint64_t>(n);
  }
  return true;
}

void ReplacementWriter::startWriteback() {
  if (written_ - writebackStarted_ < kWritebackStep) return;
  // Only a hint: where it is not supported, the final fdatasync does all the work.
  ::sync_file_range(output_, static_cast<off64_t>(writebackStarted_),
                    static_cast<off64_t>(written_ - writebackStarted_), SYNC_FILE_RANGE_WRITE);
  writebackStarted_ = written_;
}

bool ReplacementWriter::fail(int error) {
  error_ = error;
  return false;
}

}  // namespace sorvane
