#include "engine/replacement_writer.h"

#include "engine/yielder.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sorvane {
namespace {

// Jobs waiting for the helper; the caller waits when there are more.
constexpr std::size_t kMostJobs = 64;
// A stretch is copied in pieces, so that an abandoned rewrite stops soon.
constexpr std::uint64_t kCopyPiece = 8 * 1024 * 1024;
// How long the caller waits for the helper before it gives the host its events.
constexpr std::chrono::milliseconds kWaitStep{10};

}  // namespace

ReplacementWriter::ReplacementWriter(int sourceFd, int outputFd, const WriteTuning& tuning, Yielder& yielder)
    : source_(sourceFd),
      output_(outputFd),
      tuning_(tuning),
      yielder_(yielder),
      buffer_(std::max<std::size_t>(tuning.bufferSize, 1)) {}

ReplacementWriter::~ReplacementWriter() {
  cancelled_ = true;
  stopHelper();
}

bool ReplacementWriter::write(std::string_view bytes) {
  if (filled_ + bytes.size() > buffer_.size()) {
    if (!flushBuffer()) return false;
    if (bytes.size() >= buffer_.size()) {
      if (const int error = writeAt(bytes.data(), bytes.size(), bufferAt_)) return fail(error);
      bufferAt_ += bytes.size();
      return queueWriteback();
    }
  }
  std::memcpy(buffer_.data() + filled_, bytes.data(), bytes.size());
  filled_ += bytes.size();
  return true;
}

bool ReplacementWriter::copy(std::uint64_t offset, std::uint64_t length) {
  if (length == 0) return true;
  if (!flushBuffer()) return false;
  const Job job{offset, bufferAt_, length};
  bufferAt_ += length;
  return submit(job) && queueWriteback();
}

bool ReplacementWriter::finish() {
  if (!flushBuffer()) return false;
  if (helper_.joinable()) {
    std::unique_lock lock(mutex_);
    if (!waitFor(lock, [&] { return queue_.empty() || error_ != 0; })) return false;
    lock.unlock();
    stopHelper();
  }
  if (error_ != 0) return false;
  // Where the source ends in a hole nothing was written, but the file must still reach its size.
  struct stat st {};
  if (::fstat(output_, &st) != 0) return fail(errno);
  if (static_cast<std::uint64_t>(st.st_size) < bufferAt_ && ::ftruncate(output_, static_cast<off_t>(bufferAt_)) != 0)
    return fail(errno);
  return true;
}

int ReplacementWriter::error() const {
  std::lock_guard lock(mutex_);
  return error_;
}

bool ReplacementWriter::flushBuffer() {
  if (error() != 0) return false;
  if (filled_ == 0) return true;
  if (const int error = writeAt(buffer_.data(), filled_, bufferAt_)) return fail(error);
  bufferAt_ += filled_;
  filled_ = 0;
  return queueWriteback();
}

bool ReplacementWriter::queueWriteback() {
  if (bufferAt_ - writebackQueued_ < tuning_.writebackStep) return true;
  writebackQueued_ = bufferAt_;
  const Job job{0, bufferAt_, 0};
  // Writeback beside a thread that writes the same file slows that thread down several times
  // over: it is started here, unless the helper still has copies to make first.
  if (!helperBusy()) return perform(job) == 0;
  return submit(job);
}

bool ReplacementWriter::helperBusy() const {
  if (!helper_.joinable()) return false;
  std::lock_guard lock(mutex_);
  return !queue_.empty();
}

bool ReplacementWriter::submit(const Job& job) {
  if (!helper_.joinable()) {
    // A short stretch is copied at once: a small file needs no thread.
    if (job.length > 0 && job.length < buffer_.size()) {
      const int error = perform(job);
      return error == 0 || fail(error);
    }
    helper_ = std::thread(&ReplacementWriter::run, this);
  }
  std::unique_lock lock(mutex_);
  if (!waitFor(lock, [&] { return queue_.size() < kMostJobs || error_ != 0; }) || error_ != 0) return false;
  queue_.push_back(job);
  workQueued_.notify_one();
  return true;
}

bool ReplacementWriter::fail(int error) {
  std::lock_guard lock(mutex_);
  if (error_ == 0) error_ = error;
  return false;
}

template <typename Done>
bool ReplacementWriter::waitFor(std::unique_lock<std::mutex>& lock, Done done) {
  while (!workDone_.wait_for(lock, kWaitStep, done)) {
    lock.unlock();
    const bool goOn = yielder_.poll();
    lock.lock();
    if (!goOn) {
      stopped_ = true;
      return false;
    }
  }
  return true;
}

void ReplacementWriter::stopHelper() {
  if (!helper_.joinable()) return;
  {
    std::lock_guard lock(mutex_);
    closing_ = true;
  }
  workQueued_.notify_one();
  helper_.join();
}

void ReplacementWriter::run() {
  std::unique_lock lock(mutex_);
  while (true) {
    workQueued_.wait(lock, [&] { return !queue_.empty() || closing_; });
    if (queue_.empty()) return;
    const Job job = queue_.front();
    const bool failed = error_ != 0;
    lock.unlock();
    // After a failure the rest is dropped: the rewrite is over.
    const int error = failed ? 0 : perform(job);
    lock.lock();
    queue_.pop_front();
    if (error_ == 0) error_ = error;
    workDone_.notify_all();
  }
}

int ReplacementWriter::perform(const Job& job) {
  if (job.length > 0) return copyStretch(job.from, job.to, job.length);
  if (job.to > writebackStarted_) {
    // Only a hint: where it is not supported, the final fdatasync does all the work.
    ::sync_file_range(output_, static_cast<off64_t>(writebackStarted_),
                      static_cast<off64_t>(job.to - writebackStarted_), SYNC_FILE_RANGE_WRITE);
    writebackStarted_ = job.to;
  }
  return 0;
}

int ReplacementWriter::copyStretch(std::uint64_t from, std::uint64_t to, std::uint64_t length) {
  const std::uint64_t end = from + length;
  while (from < end) {
    if (cancelled_) return ECANCELED;
    // Stretches come in the source's order, so what was found from an earlier offset holds.
    if (from >= dataTo_) findData(from);
    // In a hole nothing is written, so it stays one.
    const std::uint64_t next = from < dataFrom_ ? std::min(end, dataFrom_) : std::min({end, dataTo_, from + kCopyPiece});
    if (from >= dataFrom_) {
      if (const int error = copyData(from, to, next - from)) return error;
    }
    to += next - from;
    from = next;
  }
  return 0;
}

void ReplacementWriter::findData(std::uint64_t offset) {
  const off_t data = ::lseek(source_, static_cast<off_t>(offset), SEEK_DATA);
  if (data < 0) {
    // ENXIO: only a hole from here to the end. Anything else: the file system cannot tell.
    dataFrom_ = errno == ENXIO ? UINT64_MAX : offset;
    dataTo_ = UINT64_MAX;
    return;
  }
  const off_t hole = ::lseek(source_, data, SEEK_HOLE);
  dataFrom_ = static_cast<std::uint64_t>(data);
  dataTo_ = hole > data ? static_cast<std::uint64_t>(hole) : UINT64_MAX;
}

int ReplacementWriter::copyData(std::uint64_t from, std::uint64_t to, std::uint64_t length) {
  auto in = static_cast<loff_t>(from);
  auto out = static_cast<loff_t>(to);
  while (length > 0) {
    if (!bounceCopy_) {
      const ssize_t n = ::copy_file_range(source_, &in, output_, &out, length, 0);
      if (n > 0) {
        length -= static_cast<std::uint64_t>(n);
        continue;
      }
      if (n == 0) return EBUSY;  // the source has become shorter than it was read
      if (errno == EINTR) continue;
      if (errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP) return errno;
      bounceCopy_ = true;  // no kernel copy between these files: through a buffer instead
    }
    bounce_.resize(buffer_.size());
    const ssize_t n = ::pread(source_, bounce_.data(), std::min<std::uint64_t>(bounce_.size(), length), in);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    if (n == 0) return EBUSY;
    if (const int error = writeAt(bounce_.data(), static_cast<std::size_t>(n), static_cast<std::uint64_t>(out)))
      return error;
    in += n;
    out += n;
    length -= static_cast<std::uint64_t>(n);
  }
  return 0;
}

int ReplacementWriter::writeAt(const char* data, std::size_t size, std::uint64_t to) {
  while (size > 0) {
    const ssize_t n = ::pwrite(output_, data, size, static_cast<off_t>(to));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return n == 0 ? ENOSPC : errno;
    data += n;
    size -= static_cast<std::size_t>(n);
    to += static_cast<std::uint64_t>(n);
  }
  return 0;
}

}  // namespace sorvane
