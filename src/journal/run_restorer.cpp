#include "journal/run_restorer.h"

#include "engine/files/file_attributes.h"
#include "engine/files/file_copy.h"
#include "engine/files/file_fingerprint.h"
#include "engine/files/files_per_batch.h"
#include "engine/files/temporary_name.h"
#include "engine/files/worker_pool.h"
#include "journal/journal_folder.h"
#include "journal/leftovers.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace sorvane::journal {
namespace {

// A failure a later attempt may not meet: a full disk or quota, a permission granted later, a
// file system mounted read-only for a while, a device that failed once, a busy system.
bool mayPass(int error) {
  switch (error) {
    case ENOSPC:
    case EDQUOT:
    case EACCES:
    case EPERM:
    case EROFS:
    case EIO:
    case EBUSY:
    case ETXTBSY:
    case ENOMEM:
    case EMFILE:
    case ENFILE:
    case EAGAIN:
      return true;
    default:
      return false;
  }
}

// Runs every flush, several at once, and returns when all have run.
void flushTogether(std::vector<std::function<void()>> flushes) {
  if (flushes.empty()) return;
  WorkerPool flushers(std::min(static_cast<int>(flushes.size()), kFlushThreads));
  for (std::function<void()>& flush : flushes) flushers.run(std::move(flush));
}  // going away, the pool lets every flush finish

// Gives the open file the original's owner, mode and modification time, changing only what
// differs, so a file the user may write but does not own can still come back.
int restoreAttributes(int fd, const FileRecord& file) {
  if (const int error = giveOwnerThenMode(fd, file.owner, file.group, file.mode)) return error;
  struct stat now {};
  if (::fstat(fd, &now) != 0) return errno;
  const timespec times[2] = {{0, UTIME_OMIT}, file.modified};
  if (!sameTime(now.st_mtim, file.modified) && ::futimens(fd, times) != 0) return errno;
  return 0;
}

// Gives a copy of the original the attributes it lacks (extended ones, access lists) from the file
// the run left as `name` in `folder`, which carries the original's, then the original's owner, mode
// and time. The rewrite's own code does it, so a copy never keeps an access list the file did not
// have, nor comes back without one it had: where that cannot be done, the copy is not used.
int giveAttributes(int to, int folder, const std::string& name, const FileRecord& file) {
  const FileDescriptor live(::openat(folder, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  struct stat status {};
  if (!live.valid() || ::fstat(live.get(), &status) != 0) return errno;
  if (const int error = copyFileAttributes(live.get(), status, to, &::fsetxattr)) return error;
  return restoreAttributes(to, file);
}


// Whether the journal still holds the run's original of `file`. A link is the original's own
// inode, which another of its names may have changed since: it is checked as the run found it.
// A copy is the journal's own, with a mode and times of its own.
bool holdsOriginal(const struct stat& kept, const FileRecord& file) {
  if (!S_ISREG(kept.st_mode) || kept.st_size != file.size) return false;
  return file.kept != Kept::Link || (sameTime(kept.st_mtim, file.modified) && (kept.st_mode & 07777) == file.mode &&
                                     kept.st_uid == file.owner && kept.st_gid == file.group);
}

}  // namespace

// One file whose original is ready to take its name.
struct RunRestorer::Ready {
  const FileRecord* file;
  int folder;
  std::string name;
  FileDescriptor kept;
  std::string temporary;  // the copy beside the file, where the journal lies on another file system
  FileDescriptor copy;
  int error = 0;  // readying it failed
};

RunRestorer::RunRestorer(int runFolder, std::string runPath, const UndoOptions& options, const LaterRestores& later,
                         UndoOutcome& outcome)
    : runFolder_(runFolder), runPath_(std::move(runPath)), options_(options), later_(later), outcome_(outcome) {
  struct stat journal {};
  if (::fstat(runFolder_, &journal) == 0) journalDevice_ = journal.st_dev;
}

void RunRestorer::restore(const std::vector<const FileRecord*>& files, ManifestFile* manifest) {
  manifest_ = manifest;
  for (std::size_t start = 0; start < files.size(); start += kFilesPerBatch) {
    const std::size_t end = std::min(files.size(), start + kFilesPerBatch);
    std::vector<Ready> batch;
    std::string marks;
    for (std::size_t i = start; i < end; ++i) prepare(*files[i], batch, marks);
    copyAside(batch);
    // Every copy's data is on disk before the first takes its file's name. A copy that could not
    // be written whole keeps its failure: a flush that succeeds must not make a cut copy look sound.
    std::vector<std::function<void()>> copies;
    for (Ready& ready : batch) {
      if (ready.copy.valid() && ready.error == 0)
        copies.emplace_back([&ready] { ready.error = ::fdatasync(ready.copy.get()) == 0 ? 0 : errno; });
    }
    flushTogether(std::move(copies));
    for (Ready& ready : batch) renameBack(ready, marks);
    flushFolders();
    // Marked once the renames are durable: a file marked restored is never tried again.
    if (manifest && !marks.empty() && (!manifest->append(marks) || ::fdatasync(manifest->descriptor()) != 0) &&
        outcome_.error.empty())
      outcome_.error = runPath_ + ": the restored files cannot be marked: " + systemError(errno);
    if (options_.progress) options_.progress(end, files.size());
  }
}

void RunRestorer::prepare(const FileRecord& file, std::vector<Ready>& batch, std::string& marks) {
  std::string name;
  const int folder = folderOf(file.path, name);
  struct stat now {};
  if (folder < 0 || ::fstatat(folder, name.c_str(), &now, AT_SYMLINK_NOFOLLOW) != 0) {
    const int error = errno;
    return leaveAlone(file, error == ENOENT ? "it is gone" : systemError(error), mayPass(error));
  }
  if (!isAsTheRunLeftIt(now, file)) {
    // The run ended between keeping the original and putting the file in place: it is as it was.
    if (!file.placedChange && now.st_size == file.size && sameTime(now.st_mtim, file.modified)) return;
    if (!wasPutBack(now, file, folder, name)) return leaveAlone(file, "changed since the run");
    // An undo cut off after its renames, before their marks: it is marked now, not tried again.
    if (!options_.dryRun) marks += restoredLine(file.index, now.st_ctim);
    ++outcome_.restoredBefore;
    return;
  }
  if (file.kept == Kept::None) return leaveAlone(file, "no copy was kept");
  Ready ready{&file, folder, std::move(name),
              FileDescriptor(::openat(runFolder_, std::to_string(file.index).c_str(),
                                      O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC)),
              {}, {}, 0};
  struct stat kept {};
  if (!ready.kept.valid() || ::fstat(ready.kept.get(), &kept) != 0 || !holdsOriginal(kept, file))
    return leaveAlone(file, "the journal's copy is missing or damaged");
  if (options_.dryRun) {
    outcome_.restored.push_back(file.path);
    return;
  }
  if (file.written.device != journalDevice_)
    ready.temporary = randomTemporaryName();  // copied once the batch's names are recorded
  else if (file.kept == Kept::Copy)
    ready.error = giveAttributes(ready.kept.get(), folder, ready.name, file);
  else  // the original's own inode, with its own extended attributes and access list
    ready.error = restoreAttributes(ready.kept.get(), file);
  batch.push_back(std::move(ready));
}

void RunRestorer::copyAside(std::vector<Ready>& batch) {
  std::string names;
  for (const Ready& ready : batch)
    if (!ready.temporary.empty()) names += asideLine(ready.file->index, ready.temporary);
  if (names.empty()) return;
  const int recorded = manifest_->append(names) ? 0 : errno;
  for (Ready& ready : batch) {
    if (ready.temporary.empty()) continue;
    ready.error = recorded != 0 ? recorded : makeCopy(ready);
    if (recorded != 0) ready.temporary.clear();
  }
}

int RunRestorer::makeCopy(Ready& ready) {
  // The name the batch recorded is on the manifest; one drawn anew, where a name was taken or none
  // was recorded, goes there before its file is made.
  const std::string recorded = ready.temporary;
  const int fd = createTemporaryFile(ready.folder, ready.temporary, [&](const std::string& name) {
    return name == recorded || manifest_->append(asideLine(ready.file->index, name)) ? 0 : errno;
  });
  if (fd < 0) {
    ready.temporary.clear();  // never made: nothing to remove
    return errno;
  }
  ready.copy.reset(fd);
  const int error = copyFileData(ready.kept.get(), ready.file->size, ready.copy.get());
  return error != 0 ? error : giveAttributes(ready.copy.get(), ready.folder, ready.name, *ready.file);
}

bool RunRestorer::isAsTheRunLeftIt(const struct stat& now, const FileRecord& file) const {
  const FileFingerprint found = FileFingerprint::of(now);
  // The undo of a later run that rewrote the file put this one back, which set the time anew;
  // where the journal lies on another file system it put back a copy, with an inode of its own.
  const auto later = later_.find(file.path);
  if (later != later_.end() && later->second && sameTime(now.st_ctim, *later->second))
    return found.device == file.written.device && found.size == file.written.size &&
           sameTime(found.modified, file.written.modified);
  if (!found.sameVersionAs(file.written)) return false;
  // The status-change time no one can set tells an edit that kept the size and put the
  // modification time back.
  return !file.placedChange || sameTime(now.st_ctim, *file.placedChange);
}

bool RunRestorer::wasPutBack(const struct stat& now, const FileRecord& file, int folder, const std::string& name) const {
  const std::string keptName = std::to_string(file.index);
  struct stat kept {};
  if (file.kept == Kept::None || ::fstatat(runFolder_, keptName.c_str(), &kept, AT_SYMLINK_NOFOLLOW) != 0) return false;
  // Swapped: what the run wrote now lies in the journal, in the original's place.
  if (file.written.device == journalDevice_) return FileFingerprint::of(kept).sameVersionAs(file.written);
  // Copied beside and renamed: the file is the original again, in its bytes and attributes.
  if (now.st_size != file.size || !sameTime(now.st_mtim, file.modified) || (now.st_mode & 07777) != file.mode ||
      now.st_uid != file.owner)
    return false;
  const FileDescriptor live(::openat(folder, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC)),
      original(::openat(runFolder_, keptName.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  return live.valid() && original.valid() && sameFileData(live.get(), original.get(), file.size);
}

void RunRestorer::renameBack(Ready& ready, std::string& marks) {
  const FileRecord& file = *ready.file;
  const std::string keptName = std::to_string(file.index);
  const auto move = [&](int from, const char* name, unsigned int flags) {
    return options_.move(from, name, ready.folder, ready.name.c_str(), flags) == 0 ? 0 : errno;
  };
  int error = ready.error;
  if (error == 0 && ready.copy.valid()) {
    error = move(ready.folder, ready.temporary.c_str(), 0);
  } else if (error == 0) {
    // Swapped, not renamed over: what the run wrote takes the original's place in the journal
    // instead of being deleted, which on some disks costs more than all the rest of the undo.
    // It goes when the run is pruned, as the originals of a run not taken back do.
    error = move(runFolder_, keptName.c_str(), RENAME_EXCHANGE);
    if (error == EINVAL) error = move(runFolder_, keptName.c_str(), 0);  // a file system that cannot swap
    // A file system mounted twice is one that renames do not cross: a copy does.
    if (error == EXDEV) {
      error = makeCopy(ready);
      if (error == 0 && ::fdatasync(ready.copy.get()) != 0) error = errno;
    }
    if (error == 0 && ready.copy.valid()) error = move(ready.folder, ready.temporary.c_str(), 0);
  }
  if (error != 0) {
    if (!ready.temporary.empty()) ::unlinkat(ready.folder, ready.temporary.c_str(), 0);
    return leaveAlone(file, systemError(error), mayPass(error));
  }
  struct stat placed {};
  ::fstat((ready.copy.valid() ? ready.copy : ready.kept).get(), &placed);
  marks += restoredLine(file.index, placed.st_ctim);
  outcome_.restored.push_back(file.path);
  for (Folder& folder : folders_) folder.renamedInto = folder.renamedInto || folder.fd.get() == ready.folder;
}

int RunRestorer::folderOf(const std::string& path, std::string& name) {
  const std::size_t slash = path.rfind('/');
  name = path.substr(slash + 1);
  const std::string parent = path.substr(0, slash);
  for (const Folder& folder : folders_)
    if (folder.path == parent) return folder.fd.get();
  FileDescriptor fd = openAbsoluteFolder(parent);
  if (!fd.valid()) return -1;
  folders_.push_back({parent, std::move(fd)});
  return folders_.back().fd.get();
}

void RunRestorer::flushFolders() {
  // Makes the renames survive a power cut; together, as the file system can take them at once.
  std::vector<std::function<void()>> flushes;
  for (const Folder& folder : folders_) {
    if (folder.renamedInto) flushes.emplace_back([fd = folder.fd.get()] { ::fsync(fd); });
  }
  flushTogether(std::move(flushes));
  folders_.clear();
}

void RunRestorer::nameOriginals() {
  for (std::size_t i = 0; i < left_.size(); ++i) {
    const FileRecord& file = *left_[i];
    const std::string name = std::to_string(file.index);
    struct stat kept {};
    if (file.kept != Kept::None && ::fstatat(runFolder_, name.c_str(), &kept, AT_SYMLINK_NOFOLLOW) == 0 &&
        holdsOriginal(kept, file))
      outcome_.leftAlone[i].original = runPath_ + "/" + name;
  }
}

void RunRestorer::leaveAlone(const FileRecord& file, std::string reason, bool mayPass) {
  outcome_.leftAlone.push_back({file.path, std::move(reason), {}});
  left_.push_back(&file);
  leftAnyThatMayPass_ = leftAnyThatMayPass_ || mayPass;
}

}  // namespace sorvane::journal
