#pragma once

#include "engine/files/file_copy.h"
#include "engine/files/file_descriptor.h"
#include "engine/files/replacement_file.h"
#include "engine/files/undo_record.h"
#include "journal/journal_folder.h"
#include "journal/manifest.h"
#include "journal/manifest_file.h"
#include "journal/put_away_runs.h"

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <sys/file.h>
#include <unordered_map>
#include <vector>

namespace sorvane::journal {

// How much the journal keeps: the newest runs, and the disk space of their originals.
struct JournalLimits {
  int runs = 10;
  std::uint64_t bytes = std::uint64_t{1} << 30;
};

// The calls that keep an original, make its record durable, lock runs, read a run's whole
// manifest and delete pruned runs; a seam, so tests can watch their order and what a run waits
// on, or make a link, a lock, a write or a search for data fail.
struct JournalCalls {
  LinkCall link = &::linkat;
  int (*flush)(int fd) = &::fsync;
  LockCall lock = &::flock;
  SeekCall seek = &::lseek;
  WriteCall write = &::write;
  std::optional<RunRecord> (*readRun)(int runFolder, std::string& error) = &journal::readRun;
  void (*removePutAway)(int journalFolder) = &removePutAwayRunsInBackground;
};

// Journals the runs of one front end. Nothing is written until a run is about to replace its
// first file; the run's folder is then made and locked, and the oldest runs are pruned, each
// locked until it is put out of the way, to be deleted off the run's path. Each original is hard-linked into the run's folder, which costs no
// copy; where that is impossible it is copied within the size limit. Its record is durable
// before the original loses its name. A retried file keeps one record, its last attempt's.
class RunRecorder final : public UndoRecord {
 public:
  RunRecorder(std::string stateHome, std::string frontEnd, JournalLimits limits = {}, JournalCalls calls = {});
  ~RunRecorder() override;
  RunRecorder(const RunRecorder&) = delete;  // holds a run's folder locked
  RunRecorder& operator=(const RunRecorder&) = delete;

  void runStarted(const std::string& find, const std::string& replace, CompareMode compareMode,
                  std::function<void(const std::string&)> tell) override;
  void givingTemporaryName(int folder, const std::string& name) override;
  int keepOriginal(const OriginalFile& original, const FileFingerprint& replacement,
                   const std::string& temporaryName) override;
  void makeKeptDurable() override;
  void recordPlaced(int record, const timespec& changed) override;
  void runEnded(std::int64_t replacements, std::int64_t filesReplaced) override;

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

}  // namespace sorvane::journal
