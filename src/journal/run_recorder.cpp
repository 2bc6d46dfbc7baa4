#include "journal/run_recorder.h"

#include "engine/file_copy.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace sorvane::journal {
namespace {

std::string descriptorPath(int fd) { return "/proc/self/fd/" + std::to_string(fd); }

// The original's absolute path without symbolic links, as the kernel names its folder; past
// the longest path the kernel names, the path the run was given.
std::string absolutePath(const OriginalFile& original) {
  char target[PATH_MAX];
  const ssize_t length = ::readlink(descriptorPath(original.folder).c_str(), target, sizeof target);
  std::string path;
  if (length > 0 && static_cast<std::size_t>(length) < sizeof target && target[0] == '/') {
    path.assign(target, static_cast<std::size_t>(length));
    if (path.back() != '/') path += '/';
    path += original.name;
  } else {
    path = original.path;
  }
  return isPlainAbsolutePath(path) ? path : std::string();
}

std::uint64_t diskBytes(const struct stat& status) { return static_cast<std::uint64_t>(status.st_blocks) * 512; }

}  // namespace

RunRecorder::RunRecorder(std::string stateHome, std::string frontEnd, JournalLimits limits, JournalCalls calls)
    : stateHome_(std::move(stateHome)), frontEnd_(std::move(frontEnd)), limits_(limits), calls_(calls) {}

RunRecorder::~RunRecorder() { closeRun(); }

void RunRecorder::runStarted(const std::string& find, const std::string& replace, CompareMode compareMode) {
  closeRun();
  run_ = RunRecord{};
  ::clock_gettime(CLOCK_REALTIME, &run_.started);
  run_.frontEnd = frontEnd_;
  run_.find = find;
  run_.replace = replace;
  run_.compareMode = compareMode;
  failed_ = false;
  reported_ = false;
  kept_ = 0;
}

int RunRecorder::keepOriginal(const OriginalFile& original, const FileFingerprint& replacement) {
  if (failed_ || (!runFolder_.valid() && !openRun())) return 0;
  FileRecord file;
  file.index = static_cast<int>(run_.files.size()) + 1;
  file.path = absolutePath(original);
  if (file.path.empty()) {
    warn(original.path + ": no absolute path to record, so it cannot be taken back");
    return 0;
  }
  file.size = original.status.st_size;
  file.mode = original.status.st_mode & 07777;
  file.owner = original.status.st_uid;
  file.group = original.status.st_gid;
  file.modified = original.status.st_mtim;
  file.kept = keep(original, std::to_string(file.index), file.keptBytes);
  file.written = replacement;
  if (!manifest_.append(fileLine(file))) {
    fail(folder_->path() + "/" + runName_ + ": " + systemError(errno));
    return 0;
  }
  // Starts writing the record now, so the flush of the new content can carry it too.
  ::sync_file_range(manifest_.descriptor(), 0, 0, SYNC_FILE_RANGE_WRITE);
  kept_ += file.keptBytes;
  run_.files.push_back(std::move(file));
  placed_.push_back(false);
  return run_.files.back().index;
}

void RunRecorder::makeKeptDurable() {
  if (failed_ || !manifest_.valid()) return;
  // The last batch's placings ride along; undo can tell them without, only less surely.
  if (!placedLines_.empty() && manifest_.append(placedLines_)) placedLines_.clear();
  // The record, then the folder that holds the kept original's name.
  if (calls_.flush(manifest_.descriptor()) != 0 || calls_.flush(runFolder_.get()) != 0)
    fail(folder_->path() + "/" + runName_ + ": " + systemError(errno));
}

void RunRecorder::putInPlace(int record, const timespec& changed) {
  if (record <= 0 || static_cast<std::size_t>(record) > placed_.size()) return;
  placed_[static_cast<std::size_t>(record) - 1] = true;
  placedLines_ += placedLine(record, changed);
}

void RunRecorder::runEnded(std::int64_t replacements, std::int64_t filesReplaced) {
  if (runFolder_.valid() && !failed_ && manifest_.append(placedLines_ + endLine(replacements, filesReplaced)))
    dropUnplaced();
  closeRun();
}

void RunRecorder::dropUnplaced() {
  if (std::find(placed_.begin(), placed_.end(), true) == placed_.end()) {
    folder_->removeRun(runName_);
    return;
  }
  for (std::size_t i = 0; i < placed_.size(); ++i)
    if (!placed_[i]) ::unlinkat(runFolder_.get(), std::to_string(i + 1).c_str(), 0);
}

bool RunRecorder::openRun() {
  std::string error;
  folder_ = JournalFolder::open(stateHome_, true, error);
  if (!folder_) {
    fail(error);
    return false;
  }
  {
    const JournalFolder::Lock lock(*folder_);
    if (lock.held()) runFolder_ = folder_->createRun(runName_, error);
    if (!runFolder_.valid()) {
      fail(lock.held() ? error : folder_->path() + ": " + systemError(errno));
      return false;
    }
    tryLockRun(runFolder_.get());  // a new folder: no one else knows it yet
    prune(0);
  }
  if (!manifest_.create(runFolder_.get()) || !manifest_.append(headerLines(run_))) {
    fail(folder_->path() + "/" + runName_ + ": " + systemError(errno));
    return false;
  }
  return true;
}

void RunRecorder::prune(std::uint64_t needed) {
  struct Candidate {
    std::string name;
    std::uint64_t bytes;
    bool removable;
    bool empty;
  };
  std::vector<Candidate> others;
  for (const std::string& name : folder_->runNames()) {
    if (name == runName_) continue;
    std::string error;
    const FileDescriptor run = folder_->openRun(name, error);
    if (!run.valid()) continue;  // not the journal's own: never touched
    const auto record = readRun(run.get(), error);
    // A run still being written is locked by its process and never pruned.
    const bool removable = tryLockRun(run.get());
    others.push_back({name, record ? record->keptBytes() : 0, removable, record && record->files.empty()});
  }
  std::uint64_t total = 0;
  for (const Candidate& run : others) total += run.bytes;
  std::size_t count = others.size();
  for (const Candidate& run : others) {
    const bool tooMany = count + 1 > static_cast<std::size_t>(limits_.runs);
    const bool tooLarge = total + needed > limits_.bytes;
    if (!run.removable || !(tooMany || tooLarge || run.empty)) continue;
    folder_->removeRun(run.name);
    total -= run.bytes;
    --count;
  }
  othersKept_ = total;
}

bool RunRecorder::makeRoom(std::uint64_t bytes) {
  if (othersKept_ + kept_ + bytes <= limits_.bytes) return true;
  // The newest run is the one most likely to be taken back: older ones make room for it.
  if (kept_ + bytes > limits_.bytes) return false;
  const JournalFolder::Lock lock(*folder_);
  if (lock.held()) prune(kept_ + bytes);
  return othersKept_ + kept_ + bytes <= limits_.bytes;
}

Kept RunRecorder::keep(const OriginalFile& original, const std::string& name, std::uint64_t& keptBytes) {
  keptBytes = 0;
  if (!makeRoom(diskBytes(original.status))) return Kept::None;
  // The original's own inode, read through the run's descriptor: no copy, and no other file
  // that has taken its name since.
  if (calls_.link(AT_FDCWD, descriptorPath(original.descriptor).c_str(), runFolder_.get(), name.c_str(),
                  AT_SYMLINK_FOLLOW) == 0) {
    keptBytes = diskBytes(original.status);
    return Kept::Link;
  }
  // On another file system, or where links are refused, the bytes themselves are kept.
  if (copy(original, name, keptBytes)) return Kept::Copy;
  warn(original.path + ": the journal cannot keep a copy (" + systemError(errno) + "), so it cannot be taken back");
  ::unlinkat(runFolder_.get(), name.c_str(), 0);
  return Kept::None;
}

bool RunRecorder::copy(const OriginalFile& original, const std::string& name, std::uint64_t& keptBytes) {
  const FileDescriptor kept(
      ::openat(runFolder_.get(), name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
  if (!kept.valid()) return false;
  if (const int error = copyFileData(original.descriptor, original.status.st_size, kept.get())) {
    errno = error;
    return false;
  }
  struct stat status {};
  if (calls_.flush(kept.get()) != 0 || ::fstat(kept.get(), &status) != 0) return false;
  keptBytes = diskBytes(status);
  return true;
}

void RunRecorder::warn(const std::string& why) {
  if (!reported_ && report_) report_(why);
  reported_ = true;
}

void RunRecorder::fail(const std::string& why) {
  warn(why + "; what the run rewrites from here on cannot be taken back");
  failed_ = true;
}

void RunRecorder::closeRun() {
  manifest_ = ManifestFile();
  placedLines_.clear();
  placed_.clear();
  runFolder_.reset();  // and with it the run's lock
  folder_.reset();
  runName_.clear();
}

}  // namespace sorvane::journal
