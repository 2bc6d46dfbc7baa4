#include "journal/run_recorder.h"

#include "engine/files/file_descriptor.h"
#include "journal/leftovers.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <sys/file.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace sorvane::journal {
namespace {

// The absolute path without symbolic links of `name` in the folder open as `folder`, as the
// kernel names the folder; past the longest path the kernel names, `otherwise`. Empty when
// that is not absolute either.
std::string absolutePath(int folder, const std::string& name, const std::string& otherwise) {
  char target[PATH_MAX];
  const ssize_t length = ::readlink(descriptorPath(folder).c_str(), target, sizeof target);
  std::string path;
  if (length > 0 && static_cast<std::size_t>(length) < sizeof target && target[0] == '/') {
    path.assign(target, static_cast<std::size_t>(length));
    if (path.back() != '/') path += '/';
    path += name;
  } else {
    path = otherwise;
  }
  return isPlainAbsolutePath(path) ? path : std::string();
}

std::uint64_t diskBytes(const struct stat& status) { return static_cast<std::uint64_t>(status.st_blocks) * 512; }

constexpr const char* kNoRoom = "no room for its original within the journal's limit";

}  // namespace

// The recorder's state: the run being recorded, and what it has kept so far.
class RunRecorder::Recording {
 public:
  Recording(std::string stateHome, std::string frontEnd, JournalLimits limits, JournalCalls calls)
      : stateHome_(std::move(stateHome)), frontEnd_(std::move(frontEnd)), limits_(limits), calls_(calls) {}
  ~Recording() { closeRun(); }
  Recording(const Recording&) = delete;
  Recording& operator=(const Recording&) = delete;

  void runStarted(const SearchTerms& terms, std::function<void(const std::string&)> tell);
  void givingTemporaryName(int folder, const std::string& name);
  int keepOriginal(const OriginalFile& original, const FileFingerprint& replacement, const std::string& temporaryName);
  void makeKeptDurable();
  void recordPlaced(int record, const timespec& changed);
  void runEnded(std::int64_t replacements, std::int64_t filesReplaced);

 private:
  // One call of keepOriginal: the number it returns is its place here, plus one.
  struct Attempt {
    int record = 0;      // 0 when the attempt has none
    std::string unkept;  // why its file cannot be taken back, with its path; empty when it can
  };
  struct Record {
    std::uint64_t keptBytes = 0;
    bool placed = false;
  };

  bool openRun();
  // Prunes the oldest finished runs until `needed` more bytes fit beside the kept ones.
  void prune(std::uint64_t needed);
  bool makeRoom(std::uint64_t bytes);
  // Has the runs put away deleted off the run's path, if any are left; after the journal's lock.
  void removePutAway();
  // The record an attempt on `path` is to write: the one an earlier attempt left unplaced, or a new one.
  int recordFor(const std::string& path, int attempt);
  Kept keep(const OriginalFile& original, const std::string& name, std::uint64_t& keptBytes, std::string& why);
  bool copy(const OriginalFile& original, const std::string& name, std::uint64_t& keptBytes);
  // Notes that the attempt's file, once in place, cannot be taken back, and why; returns `attempt`.
  int cannotTakeBack(int attempt, const OriginalFile& original, const std::string& why);
  void fail(const std::string& why);  // reported, and nothing more is written for this run
  void tellFailure();  // on the run's thread: a failure on a helper's waits for it
  // Drops what the run kept for files it never put in place; a run that put none leaves nothing.
  void dropUnplaced();
  void closeRun();

  std::string stateHome_;
  std::string frontEnd_;
  JournalLimits limits_;
  JournalCalls calls_;
  std::function<void(const std::string&)> report_;
  // Held by each call that may write the manifest: temporary names are told from helper threads.
  std::mutex lock_;
  bool onHelper_ = false;  // in a call from a helper thread, which must not report
  std::string untold_;     // a failure not yet reported

  RunRecord run_;
  bool failed_ = false;
  std::optional<JournalFolder> folder_;
  std::string runName_;
  FileDescriptor runFolder_;
  ManifestFile manifest_;
  std::string placedLines_;  // written with the next batch's records, or at the end
  std::vector<Attempt> attempts_;
  std::vector<Record> records_;                     // by record number - 1
  std::unordered_map<std::string, int> attemptOn_;  // the last attempt on each absolute path
  std::uint64_t othersKept_ = 0;  // bytes the other kept runs hold
  std::uint64_t kept_ = 0;        // bytes this run holds
  bool putAwayLeft_ = false;      // the last prune left runs put away
};

void RunRecorder::Recording::runStarted(const SearchTerms& terms, std::function<void(const std::string&)> tell) {
  const std::lock_guard lock(lock_);
  closeRun();
  report_ = std::move(tell);
  run_ = RunRecord{};
  ::clock_gettime(CLOCK_REALTIME, &run_.started);
  run_.frontEnd = frontEnd_;
  run_.find = terms.find;
  run_.replace = terms.replace;
  run_.compareMode = terms.compare;
  run_.pattern = terms.pattern;
  run_.wholeWord = terms.wholeWord;
  failed_ = false;
  kept_ = 0;
}

void RunRecorder::Recording::givingTemporaryName(int folder, const std::string& name) {
  const std::lock_guard lock(lock_);
  // A failure here is told on the run's thread, with its next call.
  onHelper_ = true;
  if (!failed_ && (runFolder_.valid() || openRun())) {
    // Only a kill is to be outlived: the line need not be durable, only written.
    if (const std::string path = absolutePath(folder, name, {}); !path.empty() && !manifest_.append(temporaryLine(path)))
      fail(folder_->path() + "/" + runName_ + ": " + systemError(errno));
  }
  onHelper_ = false;
}

int RunRecorder::Recording::keepOriginal(const OriginalFile& original, const FileFingerprint& replacement,
                                         const std::string& temporaryName) {
  const std::lock_guard lock(lock_);
  tellFailure();
  attempts_.emplace_back();
  const int attempt = static_cast<int>(attempts_.size());
  if (failed_ || (!runFolder_.valid() && !openRun())) return cannotTakeBack(attempt, original, "the journal failed");
  FileRecord file;
  file.path = absolutePath(original.folder, original.name, original.path);
  if (file.path.empty()) return cannotTakeBack(attempt, original, "no absolute path to record");
  file.index = recordFor(file.path, attempt);
  file.size = original.status.st_size;
  file.mode = original.status.st_mode & 07777;
  file.owner = original.status.st_uid;
  file.group = original.status.st_gid;
  file.modified = original.status.st_mtim;
  const std::string name = std::to_string(file.index);
  std::string why;
  file.kept = keep(original, name, file.keptBytes, why);
  if (file.kept == Kept::None) cannotTakeBack(attempt, original, why);
  file.written = replacement;
  // Cut back when it fails; what was kept for it goes when the run ends, as it was never placed.
  // With the name the new content is to take, so that one left there by a kill can be removed.
  if (!manifest_.append(fileLine(file) + asideLine(file.index, temporaryName))) {
    fail(folder_->path() + "/" + runName_ + ": " + systemError(errno));
    return cannotTakeBack(attempt, original, "the journal failed");
  }
  // Starts writing the record now, so the flush of the new content can carry it too.
  ::sync_file_range(manifest_.descriptor(), 0, 0, SYNC_FILE_RANGE_WRITE);
  kept_ += file.keptBytes;
  records_[static_cast<std::size_t>(file.index) - 1].keptBytes = file.keptBytes;
  attempts_[static_cast<std::size_t>(attempt) - 1].record = file.index;
  return attempt;
}

int RunRecorder::Recording::recordFor(const std::string& path, int attempt) {
  const int before = std::exchange(attemptOn_[path], attempt);
  const int earlier = before ? attempts_[static_cast<std::size_t>(before) - 1].record : 0;
  if (earlier == 0 || records_[static_cast<std::size_t>(earlier) - 1].placed) {
    records_.emplace_back();
    return static_cast<int>(records_.size());
  }
  // The earlier attempt never took its place (it failed, and this one retries it): it gives up
  // its record, and what it kept, so undo finds one record of the file.
  attempts_[static_cast<std::size_t>(before) - 1].record = 0;
  Record& record = records_[static_cast<std::size_t>(earlier) - 1];
  ::unlinkat(runFolder_.get(), std::to_string(earlier).c_str(), 0);
  kept_ -= record.keptBytes;
  record.keptBytes = 0;
  return earlier;
}

void RunRecorder::Recording::makeKeptDurable() {
  const std::lock_guard lock(lock_);
  tellFailure();
  // After a failure too: what was recorded before it is durable before its files are renamed.
  if (!manifest_.valid()) return;
  // The last batch's placings ride along; undo can tell them without, only less surely.
  if (!placedLines_.empty() && manifest_.append(placedLines_)) placedLines_.clear();
  // The record, then the folder that holds the kept original's name.
  if (calls_.flush(manifest_.descriptor()) != 0 || calls_.flush(runFolder_.get()) != 0)
    fail(folder_->path() + "/" + runName_ + ": " + systemError(errno));
}

void RunRecorder::Recording::recordPlaced(int number, const timespec& changed) {
  if (number <= 0 || static_cast<std::size_t>(number) > attempts_.size()) return;
  const Attempt& attempt = attempts_[static_cast<std::size_t>(number) - 1];
  if (!attempt.unkept.empty() && report_) report_(attempt.unkept);
  if (attempt.record == 0) return;
  records_[static_cast<std::size_t>(attempt.record) - 1].placed = true;
  placedLines_ += placedLine(attempt.record, changed);
}

void RunRecorder::Recording::runEnded(std::int64_t replacements, std::int64_t filesReplaced) {
  const std::lock_guard lock(lock_);
  tellFailure();
  // After a failure too: the files placed before it are still the run's.
  if (runFolder_.valid()) {
    if (manifest_.valid()) manifest_.append(placedLines_ + endLine(replacements, filesReplaced));
    dropUnplaced();
  }
  closeRun();
}

void RunRecorder::Recording::dropUnplaced() {
  const auto placed = [](const Record& record) { return record.placed; };
  if (std::none_of(records_.begin(), records_.end(), placed)) {
    folder_->removeRun(runName_);
    return;
  }
  std::uint64_t keptBytes = 0;
  for (std::size_t i = 0; i < records_.size(); ++i) {
    if (records_[i].placed)
      keptBytes += records_[i].keptBytes;
    else
      ::unlinkat(runFolder_.get(), std::to_string(i + 1).c_str(), 0);
  }
  // So that pruning never needs to read the run's whole manifest.
  writeKeptBytes(runFolder_.get(), keptBytes);
}

bool RunRecorder::Recording::openRun() {
  std::string error;
  folder_ = JournalFolder::open(stateHome_, true, error);
  if (!folder_) {
    fail(error);
    return false;
  }
  {
    const JournalFolder::Lock lock(*folder_);
    if (lock.held()) runFolder_ = folder_->createRun(runName_, error, calls_.lock, calls_.flush);
    if (!runFolder_.valid()) {
      fail(lock.held() ? error : folder_->path() + ": " + systemError(errno));
      return false;
    }
    prune(0);
  }
  manifest_.write = calls_.write;
  if (!manifest_.create(runFolder_.get()) || !manifest_.append(headerLines(run_))) {
    fail(folder_->path() + "/" + runName_ + ": " + systemError(errno));
    return false;
  }
  return true;
}

void RunRecorder::Recording::prune(std::uint64_t needed) {
  struct Candidate {
    std::string name;
    FileDescriptor folder;  // holds its lock until the candidate is put away or kept
    std::uint64_t bytes;
    bool empty;
  };
  std::vector<Candidate> removable;
  std::uint64_t total = 0;
  std::size_t count = 0;
  for (const std::string& name : folder_->runNames()) {
    if (name == runName_) continue;
    std::string error;
    FileDescriptor run = folder_->openRun(name, error);
    if (!run.valid()) continue;  // not the journal's own: never touched
    // A run being written, or taken back, is locked by its process and never pruned; nor is
    // one read here removed by another meanwhile.
    const bool locked = calls_.lock(run.get(), LOCK_EX | LOCK_NB) == 0;
    const RunSummary summary = readSummary(run.get());
    std::uint64_t bytes = summary.keptBytes.value_or(0);
    bool empty = summary.recordedNothing;
    // Read whole only when its summary does not tell: cut off by a kill, in progress, or kept
    // before summaries were written; each such run once, as its summary is written then.
    if (!empty && (!locked || summary.cutOff || !summary.keptBytes)) {
      const auto record = calls_.readRun(run.get(), error);
      if (locked && record && record->cutOff) tidyCutOffRun(run.get(), *record);
      bytes = record ? record->keptBytes() : 0;
      empty = record && record->files.empty();
      if (locked && record && !empty) writeKeptBytes(run.get(), bytes);
    }
    total += bytes;
    ++count;
    if (locked) removable.push_back({name, std::move(run), bytes, empty});
  }
  for (const Candidate& run : removable) {
    const bool tooMany = count + 1 > static_cast<std::size_t>(limits_.runs);
    const bool tooLarge = total + needed > limits_.bytes;
    if (!(tooMany || tooLarge || run.empty)) continue;
    if (!folder_->putAway(run.name)) continue;
    total -= run.bytes;
    --count;
  }
  othersKept_ = total;
  putAwayLeft_ = folder_->holdsPutAwayRuns();
}

void RunRecorder::Recording::removePutAway() {
  // Once the run is done: a deletion beside it would make each of its flushes wait for the
  // file system's journal to take in the deletion's unlinks too.
  if (std::exchange(putAwayLeft_, false) && folder_) calls_.removePutAway(folder_->descriptor());
}

bool RunRecorder::Recording::makeRoom(std::uint64_t bytes) {
  if (othersKept_ + kept_ + bytes <= limits_.bytes) return true;
  // The newest run is the one most likely to be taken back: older ones make room for it.
  if (kept_ + bytes > limits_.bytes) return false;
  {
    const JournalFolder::Lock lock(*folder_);
    if (lock.held()) prune(kept_ + bytes);
  }
  return othersKept_ + kept_ + bytes <= limits_.bytes;
}

Kept RunRecorder::Recording::keep(const OriginalFile& original, const std::string& name,
                                  std::uint64_t& keptBytes, std::string& why) {
  keptBytes = 0;
  // What the original takes on disk, its holes left out, is what its link or copy takes.
  const std::uint64_t bytes = diskBytes(original.status);
  if (kept_ + bytes > limits_.bytes) {
    why = kNoRoom;
    return Kept::None;
  }
  // The original's own inode, read through the run's descriptor: no copy, and no other file
  // that has taken its name since. On another file system, or where links are refused, the
  // bytes themselves are kept.
  const bool linked = calls_.link(AT_FDCWD, descriptorPath(original.descriptor).c_str(), runFolder_.get(),
                                  name.c_str(), AT_SYMLINK_FOLLOW) == 0;
  if (linked) keptBytes = bytes;
  // Older runs make room only once the copy is made and its size known, as holes that cannot
  // be told from data make it larger than the original: none goes for a copy not kept.
  if (linked || copy(original, name, keptBytes)) {
    if (makeRoom(keptBytes)) return linked ? Kept::Link : Kept::Copy;
    why = kNoRoom;
  } else {
    why = "its original cannot be kept: " + systemError(errno);
  }
  ::unlinkat(runFolder_.get(), name.c_str(), 0);
  keptBytes = 0;
  return Kept::None;
}

bool RunRecorder::Recording::copy(const OriginalFile& original, const std::string& name,
                                  std::uint64_t& keptBytes) {
  const FileDescriptor kept(
      ::openat(runFolder_.get(), name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
  if (!kept.valid()) return false;
  if (const int error = copyFileData(original.descriptor, original.status.st_size, kept.get(), calls_.seek)) {
    errno = error;
    return false;
  }
  struct stat status {};
  if (calls_.flush(kept.get()) != 0 || ::fstat(kept.get(), &status) != 0) return false;
  keptBytes = diskBytes(status);
  return true;
}

int RunRecorder::Recording::cannotTakeBack(int attempt, const OriginalFile& original, const std::string& why) {
  Attempt& uncovered = attempts_[static_cast<std::size_t>(attempt) - 1];
  uncovered.record = 0;
  uncovered.unkept = original.path + ": cannot be taken back (" + why + ")";
  return attempt;
}

void RunRecorder::Recording::fail(const std::string& why) {
  if (failed_) return;
  failed_ = true;
  untold_ = why + "; nothing more of this run is kept for undo";
  if (!onHelper_) tellFailure();
}

void RunRecorder::Recording::tellFailure() {
  if (!untold_.empty() && report_) report_(untold_);
  untold_.clear();
}

void RunRecorder::Recording::closeRun() {
  manifest_ = ManifestFile();
  placedLines_.clear();
  attempts_.clear();
  records_.clear();
  attemptOn_.clear();
  runFolder_.reset();  // and with it the run's lock
  removePutAway();
  folder_.reset();
  runName_.clear();
}

RunRecorder::RunRecorder(std::string stateHome, std::string frontEnd, JournalLimits limits, JournalCalls calls)
    : recording_(std::make_unique<Recording>(std::move(stateHome), std::move(frontEnd), limits, calls)) {}

RunRecorder::~RunRecorder() = default;

void RunRecorder::runStarted(const SearchTerms& terms, std::function<void(const std::string&)> tell) {
  recording_->runStarted(terms, std::move(tell));
}

void RunRecorder::givingTemporaryName(int folder, const std::string& name) {
  recording_->givingTemporaryName(folder, name);
}

int RunRecorder::keepOriginal(const OriginalFile& original, const FileFingerprint& replacement,
                              const std::string& temporaryName) {
  return recording_->keepOriginal(original, replacement, temporaryName);
}

void RunRecorder::makeKeptDurable() { recording_->makeKeptDurable(); }

void RunRecorder::recordPlaced(int record, const timespec& changed) { recording_->recordPlaced(record, changed); }

void RunRecorder::runEnded(std::int64_t replacements, std::int64_t filesReplaced) {
  recording_->runEnded(replacements, filesReplaced);
}

}  // namespace sorvane::journal
