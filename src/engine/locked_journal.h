#pragma once

#include "engine/run_journal.h"

#include <mutex>

namespace sorvane {

// A journal that the threads of a parallel run share: one call at a time.
class LockedJournal final : public RunJournal {
 public:
  explicit LockedJournal(RunJournal& journal) : journal_(journal) {}

  void runStarted(const std::string& find, const std::string& replace, CompareMode compareMode) override {
    const std::lock_guard lock(mutex_);
    journal_.runStarted(find, replace, compareMode);
  }
  void keepOriginal(const OriginalFile& original, const FileFingerprint& replacement) override {
    const std::lock_guard lock(mutex_);
    journal_.keepOriginal(original, replacement);
  }
  void makeKeptDurable() override {
    const std::lock_guard lock(mutex_);
    journal_.makeKeptDurable();
  }
  void runEnded(std::int64_t replacements) override {
    const std::lock_guard lock(mutex_);
    journal_.runEnded(replacements);
  }

 private:
  RunJournal& journal_;
  std::mutex mutex_;
};

}  // namespace sorvane
