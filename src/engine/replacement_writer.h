#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string_view>
#include <thread>
#include <vector>

namespace sorvane {

class Yielder;

// Sizes that decide how a replacement is written; tests make them tiny so that every path runs
// on small files.
struct WriteTuning {
  std::size_t bufferSize = 1024 * 1024;  // new bytes gathered per write
  // Unchanged stretches of the source at least this long are copied by the kernel instead of
  // through the buffer: below it, the cost of a call outweighs the copy it saves.
  std::uint64_t kernelCopyFrom = 256 * 1024;
  // Written data is handed to the disk in steps of this size while the rewrite goes on, so the
  // final flush before the swap has little left to wait for.
  std::uint64_t writebackStep = 8 * 1024 * 1024;
};

// Writes the new content of a file, in order: new bytes, and stretches of the source that stay
// as they are. Every piece goes to its own place in the output, so pieces need not be written in
// order. New bytes are written from a buffer by the calling thread, where they are still in its
// cache. Stretches are copied by the kernel (shared rather than copied, where the file system
// can), only where the source holds data, so its holes stay holes; a helper thread does those
// copies while the caller goes on searching. While the caller waits for the helper, the host
// gets its events, and a stop request ends the wait.
class ReplacementWriter {
 public:
  ReplacementWriter(int sourceFd, int outputFd, const WriteTuning& tuning, Yielder& yielder);
  ~ReplacementWriter();  // stops the helper; what it had not written is dropped
  ReplacementWriter(const ReplacementWriter&) = delete;  // the helper works on its members
  ReplacementWriter& operator=(const ReplacementWriter&) = delete;

  bool write(std::string_view bytes);
  // The source's bytes [offset, offset + length).
  bool copy(std::uint64_t offset, std::uint64_t length);
  // Waits until everything is in the output file and gives it its full size.
  bool finish();
  // The errno of the first failure; 0 while there is none.
  int error() const;
  // True when the host asked the run to stop while the writer waited.
  bool stopped() const { return stopped_; }

 private:
  // A stretch to copy, or, with no length, a point up to which written data goes to the disk.
  struct Job {
    std::uint64_t from;  // in the source
    std::uint64_t to;    // in the output
    std::uint64_t length;
  };

  bool flushBuffer();
  bool queueWriteback();
  bool helperBusy() const;
  bool submit(const Job& job);
  bool fail(int error);
  template <typename Done>
  bool waitFor(std::unique_lock<std::mutex>& lock, Done done);
  void stopHelper();

  // The helper's side, also used by the calling thread before the helper starts. Each returns
  // 0 or an errno.
  void run();
  int perform(const Job& job);
  int copyStretch(std::uint64_t from, std::uint64_t to, std::uint64_t length);
  int copyData(std::uint64_t from, std::uint64_t to, std::uint64_t length);
  void findData(std::uint64_t offset);
  int writeAt(const char* data, std::size_t size, std::uint64_t to);

  const int source_;
  const int output_;
  const WriteTuning tuning_;
  Yielder& yielder_;

  // The calling thread's side.
  std::vector<char> buffer_;
  std::size_t filled_ = 0;
  std::uint64_t bufferAt_ = 0;  // where the buffer's bytes go in the output
  std::uint64_t writebackQueued_ = 0;
  bool stopped_ = false;

  // Shared with the helper, under mutex_.
  mutable std::mutex mutex_;
  std::condition_variable workQueued_;
  std::condition_variable workDone_;
  std::deque<Job> queue_;
  bool closing_ = false;
  int error_ = 0;
  std::thread helper_;
  std::atomic<bool> cancelled_ = false;

  // The helper's own.
  std::uint64_t writebackStarted_ = 0;
  std::uint64_t dataFrom_ = 0;  // [dataFrom_, dataTo_) of the source is known to hold data
  std::uint64_t dataTo_ = 0;
  bool bounceCopy_ = false;
  std::vector<char> bounce_;  // for copying where the kernel cannot
};

}  // namespace sorvane
