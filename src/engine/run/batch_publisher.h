#pragma once

#include "engine/files/file_rewrite.h"
#include "engine/run/batch_host.h"
#include "engine/run/engine_options.h"
#include "engine/run/run_status_changes.h"
#include "engine/text/rewrite_buffers.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

namespace sorvane {

class EncodedTerms;
class WorkerPool;
class Yielder;

// Puts a run's files in place, in batches and in run order. Each file's new content is written
// to a temporary file, on the run's thread or, with more than one job, by helpers that read
// ahead a group of files at a time; it is flushed on helper threads. Then, for the batch, the
// journal is made durable once, the files are renamed in run order, and each folder they went
// into is flushed once. A failure is told for its file after the files before it are in place.
// Everything but the helpers' reading, writing and flushing happens on the run's thread.
class BatchPublisher {
 public:
  // A dry run counts the occurrences and writes nothing.
  BatchPublisher(const EngineOptions& options, bool dryRun, EncodedTerms& terms, Yielder& yielder, BatchHost& host);
  // Drops the files not put in place, and their temporary files with them.
  ~BatchPublisher();
  BatchPublisher(const BatchPublisher&) = delete;  // its helpers work on its files
  BatchPublisher& operator=(const BatchPublisher&) = delete;

  // Hands in the run's next file. It may wait in the batch, or with a helper, before it is put
  // in place.
  void add(FileToRewrite file);
  // Puts every file handed in so far in place, or, once the run has ended, leaves them.
  void publishAll();
  // Tells the helpers to drop what they have not done: the run has ended.
  void cancel() { cancel_ = true; }
  // The files put in place with new content, for the journal.
  std::int64_t filesReplaced() const { return filesReplaced_; }
  // The files passed over as binary, among those done so far.
  std::int64_t binaryPassedOver() const { return binaryPassedOver_; }

 private:
  struct PendingFile;
  struct Group;
  struct TouchedFolder;
  using Pending = std::unique_ptr<PendingFile>;

  Result<PreparedRewrite> prepare(const FileToRewrite& file, Yielder& yielder, RewriteBuffers& buffers);
  void handOverFilling();
  void prepareAhead(Group& group);  // on a helper
  void flushAhead(PendingFile& file);
  // Waits until a flag guarded by readyMutex_ is set, letting the host take its events meanwhile.
  void waitUntilSet(const bool& flag);
  bool frontGroupReady();  // without waiting
  // Moves the groups the helpers finished, from the front, into the batch, waiting while more
  // than `keepAhead` files are ahead.
  void takeReady(std::size_t keepAhead);
  // In ahead_ and filling_: not yet taken by the batch.
  std::size_t filesAhead() const;
  void accept(Pending file);
  // True when both name the file `other` rewrites, which `file` must be read after.
  static bool sameFile(const PendingFile& file, const PendingFile& other);
  void publishBatch();
  void publishInOrder(PendingFile& file, std::vector<TouchedFolder>& folders);
  static void noteFolder(int fd, std::vector<TouchedFolder>& folders);
  void flushFolders(const std::vector<TouchedFolder>& folders);

  const EngineOptions options_;
  Yielder& yielder_;  // the run's
  BatchHost& host_;
  const RewriteJob job_;
  RewriteBuffers buffers_;  // what the run's thread reads files into
  const std::size_t groupFiles_;  // the most files a helper is handed at once
  std::vector<Pending> filling_;  // the next group for the helpers, in run order
  std::deque<std::unique_ptr<Group>> ahead_;  // handed to the helpers, in run order
  std::vector<Pending> batch_;  // prepared, in run order, waiting to be put in place
  std::vector<const PendingFile*> replacing_;  // the files of the batch that replace something
  std::uint64_t batchBytes_ = 0;
  std::int64_t filesReplaced_ = 0;
  std::int64_t binaryPassedOver_ = 0;
  RunStatusChanges statusChanges_;  // of previewed files, on the run's thread
  std::mutex readyMutex_;
  std::condition_variable readySignal_;
  std::atomic<bool> cancel_{false};  // tells the helpers to drop what they have not done
  // Declared last, so joined first, while what they use stands.
  std::unique_ptr<WorkerPool> helpers_;   // read and write files ahead (more than one job)
  std::unique_ptr<WorkerPool> flushers_;  // flush files and folders
};

}  // namespace sorvane
