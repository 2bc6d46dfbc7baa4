#include "engine/run/batch_publisher.h"

#include "engine/files/worker_pool.h"
#include "engine/files/yielder.h"
#include "engine/text/encoded_terms.h"

#include <algorithm>
#include <new>
#include <optional>
#include <utility>
#include <sys/stat.h>

namespace sorvane {
namespace {

// Small files are handed to the helpers, and given back, in groups: one hand-over and one wake-up
// of the run's thread for many files. A group is small enough that, within the read-ahead bound,
// each helper has one in hand and the next waiting.
std::size_t filesPerGroup(const EngineOptions& options) {
  return std::max<std::size_t>(1, options.readAhead / (2 * static_cast<std::size_t>(std::max(options.jobs, 1))));
}

// A file that needs more memory than there is fails alone; the run goes on.
template <typename Step>
Result<PreparedRewrite> failingOutOfMemory(Step step) {
  try {
    return step();
  } catch (const std::bad_alloc&) {
    return outOfMemoryFailure();
  }
}

}  // namespace

// A folder files were renamed into, once however many descriptors name it.
struct BatchPublisher::TouchedFolder {
  dev_t device;
  ino_t inode;
  int fd;
};

struct BatchPublisher::PendingFile {
  FileToRewrite file;
  std::optional<Result<PreparedRewrite>> prepared;
  std::optional<Status> flushed;  // none until its flush has run
  bool ready = true;              // no flush works on it; guarded by readyMutex_
};

struct BatchPublisher::Group {
  std::vector<Pending> files;  // in run order
  bool ready = false;          // its helper is done with every file; guarded by readyMutex_
};

// The job's journal is only ever handed originals on the run's thread, in run order, as files
// are accepted into the batch: preparing a file only tells it of the temporary names it gives.
BatchPublisher::BatchPublisher(const EngineOptions& options, bool dryRun, EncodedTerms& terms, Yielder& yielder,
                               BatchHost& host)
    : options_(options),
      yielder_(yielder),
      host_(host),
      job_{terms, dryRun, options.bufferCapacity, options.calls->swap, WriteTuning{}, dryRun ? nullptr : options.undoRecord},
      groupFiles_(filesPerGroup(options)) {
  if (options_.jobs > 1) helpers_ = std::make_unique<WorkerPool>(options_.jobs);
  if (!dryRun) flushers_ = std::make_unique<WorkerPool>(kFlushThreads);
}

BatchPublisher::~BatchPublisher() {
  cancel_ = true;
  // Joined: no helper touches a file any more, so the files left can go.
  helpers_.reset();
  flushers_.reset();
}

void BatchPublisher::add(FileToRewrite file) {
  auto pending = std::make_unique<PendingFile>();
  pending->file = std::move(file);
  if (helpers_) {
    filling_.push_back(std::move(pending));
    if (filling_.size() == groupFiles_) handOverFilling();
    // Bounds the files ahead, and with them the descriptors held.
    takeReady(options_.readAhead);
    return;
  }
  pending->prepared = prepare(pending->file, yielder_, buffers_);
  accept(std::move(pending));
}

Result<PreparedRewrite> BatchPublisher::prepare(const FileToRewrite& file, Yielder& yielder,
                                                RewriteBuffers& buffers) {
  return failingOutOfMemory([&] { return prepareRewrite(file, job_, yielder, buffers); });
}

void BatchPublisher::handOverFilling() {
  auto group = std::make_unique<Group>();
  group->files = std::move(filling_);
  filling_.clear();
  filling_.reserve(groupFiles_);
  Group& handed = *group;
  ahead_.push_back(std::move(group));
  helpers_->run([this, &handed] { prepareAhead(handed); });
}

// The flush comes later, once the original is kept: one flush then carries both where the file
// system allows.
void BatchPublisher::prepareAhead(Group& group) {
  // A helper never calls the host: it only hears the run being cancelled.
  Yielder yielder([this] { return !cancel_.load(std::memory_order_relaxed); }, std::chrono::nanoseconds(0));
  // Each helper keeps its buffers from group to group; they go when the pool's threads are joined.
  thread_local RewriteBuffers buffers;
  // The run's thread reads the files only once the group is ready, under the lock.
  for (const Pending& file : group.files)
    file->prepared = cancel_ ? Result<PreparedRewrite>(Stopped{}) : prepare(file->file, yielder, buffers);
  {
    const std::lock_guard lock(readyMutex_);
    group.ready = true;
  }
  readySignal_.notify_all();
}

// The flush may hold on to the file: the batch waits for its flush before letting it go, and
// the flushers are joined before the batch goes.
void BatchPublisher::flushAhead(PendingFile& file) {
  if (!file.prepared->value().replaces()) {
    file.flushed = succeeded();
    return;
  }
  {
    const std::lock_guard lock(readyMutex_);
    file.ready = false;
  }
  flushers_->run([this, &file] {
    Status flushed = file.prepared->value().flush();
    {
      const std::lock_guard lock(readyMutex_);
      file.flushed = std::move(flushed);
      file.ready = true;
    }
    readySignal_.notify_all();
  });
}

void BatchPublisher::waitUntilSet(const bool& flag) {
  std::unique_lock lock(readyMutex_);
  while (!readySignal_.wait_for(lock, Yielder::kDefaultInterval, [&] { return flag; })) {
    // The host keeps its events, and its stop request is heard, while the disk works.
    lock.unlock();
    host_.yield();
    lock.lock();
  }
}

bool BatchPublisher::frontGroupReady() {
  if (ahead_.empty()) return false;
  const std::lock_guard lock(readyMutex_);
  return ahead_.front()->ready;
}

// The helpers only fill in the files of a group, never add or remove them.
std::size_t BatchPublisher::filesAhead() const {
  std::size_t files = filling_.size();
  for (const std::unique_ptr<Group>& group : ahead_) files += group->files.size();
  return files;
}

void BatchPublisher::takeReady(std::size_t keepAhead) {
  for (std::size_t ahead = filesAhead(); ahead > 0 && !host_.ended(); ahead = filesAhead()) {
    if (ahead <= keepAhead && !frontGroupReady()) return;
    // Nothing handed over yet: the group still filling goes now, or it would be waited for forever.
    if (ahead_.empty()) handOverFilling();
    waitUntilSet(ahead_.front()->ready);
    if (host_.ended()) return;
    const std::unique_ptr<Group> front = std::move(ahead_.front());
    ahead_.pop_front();
    for (Pending& file : front->files) {
      accept(std::move(file));
      if (host_.ended()) return;
    }
  }
}

void BatchPublisher::accept(Pending file) {
  if (file->prepared->stopped()) {
    host_.endedByHost();
    return;
  }
  // Named twice, a file is read again once its first rewrite is in place; a previewed one also
  // once the run's own changes to it are done, as when another name of it went first. Only the
  // few files that replace something are asked, not the thousands that wait beside them.
  const bool sameFileWaits = std::any_of(replacing_.begin(), replacing_.end(),
                                         [&](const PendingFile* other) { return sameFile(*file, *other); });
  if (sameFileWaits) {
    publishBatch();
    if (host_.ended()) return;
  }
  if (statusChanges_.bringUpToDate(file->file.previewed) || sameFileWaits) {
    file->prepared = prepare(file->file, yielder_, buffers_);
    file->flushed.reset();
    return accept(std::move(file));
  }
  if (file->prepared->ok()) {
    const PreparedRewrite& prepared = file->prepared->value();
    const std::optional<FileFingerprint> found = file->file.previewed;
    file->prepared->value().keepOriginal(file->file);
    if (found && prepared.replaces()) statusChanges_.note(*found, file->file.previewed->changed);
    if (!file->flushed) flushAhead(*file);
    batchBytes_ += prepared.size();
    if (prepared.replaces()) replacing_.push_back(file.get());
    // Nothing is left to do with the file but to report it: its folder may close.
    if (!prepared.replaces()) file->file.folder.reset();
  }
  const bool failed = !file->prepared->ok();
  batch_.push_back(std::move(file));
  // A failure is shown once the files before it are in place.
  if (failed || replacing_.size() >= options_.batch.files || batchBytes_ >= options_.batch.bytes ||
      batch_.size() - replacing_.size() >= options_.batch.unchangedFiles)
    publishBatch();
}

// A previewed file is known by its fingerprint even when it could not be read this time.
bool BatchPublisher::sameFile(const PendingFile& file, const PendingFile& other) {
  if (file.prepared->ok() && file.prepared->value().replaces() &&
      file.prepared->value().sameSource(other.prepared->value()))
    return true;
  const std::optional<FileFingerprint>& mine = file.file.previewed;
  const std::optional<FileFingerprint>& theirs = other.file.previewed;
  return mine && theirs && mine->device == theirs->device && mine->inode == theirs->inode;
}

void BatchPublisher::publishBatch() {
  for (const Pending& file : batch_) waitUntilSet(file->ready);
  const bool replacesAny = std::any_of(batch_.begin(), batch_.end(), [](const Pending& file) {
    return file->prepared->ok() && file->prepared->value().replaces() && file->flushed->ok();
  });
  // Every new content is on disk: the originals' records follow, before the first rename.
  if (job_.undoRecord && replacesAny && !host_.ended()) job_.undoRecord->makeKeptDurable();
  std::vector<TouchedFolder> folders;
  for (const Pending& file : batch_) {
    if (host_.ended()) break;
    publishInOrder(*file, folders);
    host_.yield();
  }
  if (host_.ended()) cancel_ = true;
  flushFolders(folders);
  batch_.clear();
  replacing_.clear();
  batchBytes_ = 0;
}

void BatchPublisher::publishInOrder(PendingFile& file, std::vector<TouchedFolder>& folders) {
  Status status = file.prepared->ok() ? file.flushed.value_or(succeeded()) : Status::endedAs(*file.prepared);
  if (status.ok()) status = file.prepared->value().publish();
  while (!status.ok()) {
    if (status.stopped()) {
      host_.endedByHost();
      return;
    }
    if (!host_.retryAfter(file.file.path, *status.failure())) return;
    // A complete new attempt, put in place at once.
    statusChanges_.bringUpToDate(file.file.previewed);
    file.prepared = failingOutOfMemory([&] { return rewriteFile(file.file, job_, yielder_); });
    status = file.prepared->ok() ? succeeded() : Status::endedAs(*file.prepared);
  }
  const PreparedRewrite& done = file.prepared->value();
  // Only what was written counts, so a failed file or a retried one never inflates it.
  if (done.replaces()) {
    if (const std::optional<timespec> now = done.originalChangedNow(); now && file.file.previewed)
      statusChanges_.note(*file.file.previewed, *now);
    ++filesReplaced_;
    noteFolder(done.folder(), folders);
  }
  if (done.passedOverAsBinary()) ++binaryPassedOver_;
  host_.fileDone(file.file.path, done.replacements());
}

void BatchPublisher::flushFolders(const std::vector<TouchedFolder>& folders) {
  std::size_t flushed = 0;
  // Makes the renames survive a power cut; a folder that refuses the flush loses nothing more.
  // All at once: the file system can take them together.
  for (const TouchedFolder& folder : folders) {
    flushers_->run([this, &flushed, fd = folder.fd] {
      options_.calls->swap.flushFolder(fd);
      {
        const std::lock_guard lock(readyMutex_);
        ++flushed;
      }
      readySignal_.notify_all();
    });
  }
  std::unique_lock lock(readyMutex_);
  readySignal_.wait(lock, [&] { return flushed == folders.size(); });
}

void BatchPublisher::noteFolder(int fd, std::vector<TouchedFolder>& folders) {
  // The files of one walked folder share its descriptor: no need to ask the disk again.
  if (std::any_of(folders.begin(), folders.end(), [&](const TouchedFolder& folder) { return folder.fd == fd; })) return;
  struct stat status {};
  if (::fstat(fd, &status) != 0) return;
  const auto same = [&](const TouchedFolder& folder) {
    return folder.device == status.st_dev && folder.inode == status.st_ino;
  };
  if (std::none_of(folders.begin(), folders.end(), same)) folders.push_back({status.st_dev, status.st_ino, fd});
}

void BatchPublisher::publishAll() {
  takeReady(0);
  if (!host_.ended()) publishBatch();
}

}  // namespace sorvane
