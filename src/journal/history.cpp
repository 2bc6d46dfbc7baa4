#include "journal/history.h"

#include "journal/journal_folder.h"

namespace sorvane::journal {

std::vector<KeptRun> keptRuns(const std::string& stateHome, std::string& error) {
  std::vector<KeptRun> runs;
  const auto journal = JournalFolder::open(stateHome, false, error);
  if (!journal) return runs;
  // Runs are neither made nor pruned nor chosen for undo while they are listed. Where the lock
  // cannot be had (a journal on a file system mounted read-only), nothing can change the runs.
  const JournalFolder::Lock lock(*journal);
  const std::vector<std::string> names = journal->runNames();
  for (auto name = names.rbegin(); name != names.rend(); ++name) {
    KeptRun run{*name, std::nullopt, {}, false};
    const FileDescriptor folder = journal->openRun(*name, run.error);
    if (folder.valid()) {
      run.inProgress = !tryLockRun(folder.get());
      run.record = readRun(folder.get(), run.error);
      if (run.record && run.record->files.empty()) continue;
    }
    runs.push_back(std::move(run));
  }
  return runs;
}

}  // namespace sorvane::journal
