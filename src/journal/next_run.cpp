#include "journal/next_run.h"

#include "journal/journal_folder.h"
#include "journal/journal_texts.h"
#include "journal/undo.h"

#include <fcntl.h>
#include <sys/stat.h>

namespace sorvane::journal {

std::optional<NextRun> NextRunReader::read(const std::string& stateHome) {
  std::string error;
  const auto journal = JournalFolder::open(stateHome, false, error);
  if (!journal) return std::nullopt;
  const std::vector<std::string> names = journal->runNames();
  std::map<std::string, Seen> stillKept;
  std::optional<NextRun> next;
  for (auto name = names.rbegin(); name != names.rend(); ++name) {
    const FileDescriptor folder = journal->openRun(*name, error);
    if (!folder.valid()) break;
    struct stat manifest {};
    // A run killed before its manifest existed recorded nothing, and changes no more.
    if (::fstatat(folder.get(), std::string(kManifestName).c_str(), &manifest, AT_SYMLINK_NOFOLLOW) != 0) {
      if (errno == ENOENT) continue;
      break;
    }
    const auto known = seen_.find(*name);
    const bool unchanged = known != seen_.end() && known->second.device == manifest.st_dev &&
                           known->second.inode == manifest.st_ino && known->second.size == manifest.st_size &&
                           known->second.modified.tv_sec == manifest.st_mtim.tv_sec &&
                           known->second.modified.tv_nsec == manifest.st_mtim.tv_nsec;
    Seen seen{manifest.st_dev, manifest.st_ino, manifest.st_size, manifest.st_mtim, std::nullopt};
    if (unchanged) {
      seen = known->second;
    } else {
      const std::optional<RunRecord> record = readRun(folder.get(), error);
      if (!record) break;
      // As undo chooses: a run taken back, or with every file restored, is passed by.
      if (!record->undone && !filesToTry(*record).empty()) seen.undoable = NextRun{record->started, texts::undoSubject(*record)};
    }
    const std::optional<NextRun> undoable = seen.undoable;
    stillKept.emplace(*name, std::move(seen));
    if (undoable) {
      next = undoable;
      break;
    }
  }
  // Pruned runs are forgotten; the ones not reached this time are read again when next reached.
  seen_ = std::move(stillKept);
  return next;
}

}  // namespace sorvane::journal
