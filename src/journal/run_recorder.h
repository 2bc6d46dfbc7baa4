#pragma once

#include "engine/files/file_copy.h"
#include "engine/files/replacement_file.h"
#include "engine/files/undo_record.h"
#include "journal/journal_folder.h"
#include "journal/manifest.h"
#include "journal/manifest_file.h"
#include "journal/put_away_runs.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <sys/file.h>  // flock
#include <unistd.h>    // fsync, linkat, lseek, write

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
// locked until it is put out of the way, to be deleted off the run's path. Each original is
// hard-linked into the run's folder, which costs no copy; where that is impossible it is copied
// within the size limit. Its record is durable before the original loses its name. A retried file keeps one record, its last attempt's.
class RunRecorder final : public UndoRecord {
 public:
  RunRecorder(std::string stateHome, std::string frontEnd, JournalLimits limits = {}, JournalCalls calls = {});
  ~RunRecorder() override;
  RunRecorder(const RunRecorder&) = delete;  // holds a run's folder locked
  RunRecorder& operator=(const RunRecorder&) = delete;

  void runStarted(const SearchTerms& terms, std::function<void(const std::string&)> tell) override;
  void givingTemporaryName(int folder, const std::string& name) override;
  int keepOriginal(const OriginalFile& original, const FileFingerprint& replacement,
                   const std::string& temporaryName) override;
  void makeKeptDurable() override;
  void recordPlaced(int record, const timespec& changed) override;
  void runEnded(std::int64_t replacements, std::int64_t filesReplaced) override;

 private:
  class Recording;  // the run being recorded, and what it has kept so far
  std::unique_ptr<Recording> recording_;
};

}  // namespace sorvane::journal
