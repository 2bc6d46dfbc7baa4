#include "journal/undo.h"

#include "engine/files/file_copy.h"
#include "engine/files/file_descriptor.h"
#include "engine/files/temporary_name.h"
#include "journal/journal_folder.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace sorvane::journal {
namespace {

bool sameTime(const timespec& a, const timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; }

// Opens the folder of an absolute path one step at a time, relative to the step before, so no
// limit on a path's length applies and no symbolic link is followed.
FileDescriptor openParent(const std::string& path, std::string& name) {
  FileDescriptor folder(::open("/", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  std::size_t start = 1;
  for (std::size_t slash; folder.valid() && (slash = path.find('/', start)) != std::string::npos; start = slash + 1) {
    const std::string step = path.substr(start, slash - start);
    int fd = ::openat(folder.get(), step.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    // A folder that may be searched but not read still leads to its files.
    if (fd < 0 && errno == EACCES) fd = ::openat(folder.get(), step.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    folder.reset(fd);
  }
  name = path.substr(start);
  return folder;
}

// Gives the open file the original's owner, mode and modification time, changing only what
// differs, so a file the user may write but does not own can still come back.
int restoreAttributes(int fd, const FileRecord& file) {
  struct stat now {};
  if (::fstat(fd, &now) != 0) return errno;
  if ((now.st_uid != file.owner || now.st_gid != file.group) && ::fchown(fd, file.owner, file.group) != 0 &&
      errno != EPERM)
    return errno;
  // After the owner: a change of owner clears the set-id bits.
  if (::fstat(fd, &now) != 0) return errno;
  if ((now.st_mode & 07777) != file.mode && ::fchmod(fd, file.mode) != 0) return errno;
  const timespec times[2] = {{0, UTIME_OMIT}, file.modified};
  if (!sameTime(now.st_mtim, file.modified) && ::futimens(fd, times) != 0) return errno;
  return 0;
}

// Where the journal is on another file system: a copy beside the file, flushed, then renamed.
int copyBeside(int kept, int folder, const std::string& name, const FileRecord& file) {
  std::string temporary;
  FileDescriptor copy;
  for (int attempt = 0; attempt < 100 && !copy.valid(); ++attempt) {
    temporary = randomTemporaryName();
    copy.reset(::openat(folder, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!copy.valid() && errno != EEXIST) return errno;
  }
  if (!copy.valid()) return EEXIST;
  int error = copyFileData(kept, file.size, copy.get());
  if (error == 0) error = restoreAttributes(copy.get(), file);
  if (error == 0 && ::fdatasync(copy.get()) != 0) error = errno;
  if (error == 0 && ::renameat(folder, temporary.c_str(), folder, name.c_str()) != 0) error = errno;
  if (error != 0) ::unlinkat(folder, temporary.c_str(), 0);
  return error;
}

class Restorer {
 public:
  Restorer(int runFolder, bool dryRun, UndoOutcome& outcome) : runFolder_(runFolder), dryRun_(dryRun), outcome_(outcome) {}

  void restore(const FileRecord& file) {
    std::string name;
    const FileDescriptor folder = openParent(file.path, name);
    struct stat now {};
    if (!folder.valid() || ::fstatat(folder.get(), name.c_str(), &now, AT_SYMLINK_NOFOLLOW) != 0)
      return leaveAlone(file, errno == ENOENT ? "it is gone" : systemError(errno));
    if (!(FileFingerprint::of(now) == file.written)) {
      // The run ended between keeping the original and replacing it: it is as it was.
      if (now.st_size == file.size && sameTime(now.st_mtim, file.modified)) return;
      return leaveAlone(file, "changed since the run");
    }
    if (file.kept == Kept::None) return leaveAlone(file, "no copy was kept");
    const std::string keptName = std::to_string(file.index);
    const FileDescriptor kept(::openat(runFolder_, keptName.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat keptStatus {};
    if (!kept.valid() || ::fstat(kept.get(), &keptStatus) != 0 || !S_ISREG(keptStatus.st_mode) ||
        keptStatus.st_size != file.size)
      return leaveAlone(file, "the journal's copy is missing or damaged");
    if (!dryRun_) {
      int error = restoreAttributes(kept.get(), file);
      if (error == 0 && ::renameat(runFolder_, keptName.c_str(), folder.get(), name.c_str()) != 0) {
        error = errno == EXDEV ? copyBeside(kept.get(), folder.get(), name, file) : errno;
      }
      if (error != 0) return leaveAlone(file, systemError(error));
      ::fsync(folder.get());
    }
    outcome_.restored.push_back(file.path);
  }

 private:
  void leaveAlone(const FileRecord& file, std::string reason) {
    outcome_.leftAlone.push_back({file.path, std::move(reason)});
  }

  int runFolder_;
  bool dryRun_;
  UndoOutcome& outcome_;
};

bool markUndone(int runFolder) {
  const FileDescriptor manifest(
      ::openat(runFolder, std::string(kManifestName).c_str(), O_WRONLY | O_APPEND | O_NOFOLLOW | O_CLOEXEC));
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  const std::string line = undoneLine(now);
  return manifest.valid() && ::write(manifest.get(), line.data(), line.size()) == static_cast<ssize_t>(line.size()) &&
         ::fsync(manifest.get()) == 0;
}

UndoOutcome refused(std::string error) {
  UndoOutcome outcome;
  outcome.kind = UndoOutcome::Kind::Refused;
  outcome.error = std::move(error);
  return outcome;
}

}  // namespace

UndoOutcome undoLastRun(const std::string& stateHome, bool dryRun) {
  std::string error;
  const auto journal = JournalFolder::open(stateHome, false, error);
  if (!journal) return refused(error);
  const std::vector<std::string> names = journal->runNames();
  for (auto name = names.rbegin(); name != names.rend(); ++name) {
    const FileDescriptor run = journal->openRun(*name, error);
    if (!run.valid()) return refused(error);
    const bool locked = tryLockRun(run.get());
    auto record = readRun(run.get(), error);
    if (!record) return refused(journal->path() + "/" + *name + ": " + error);
    if (record->undone) continue;
    UndoOutcome outcome;
    outcome.run = std::move(*record);
    if (!locked) {
      outcome.kind = UndoOutcome::Kind::InProgress;
      return outcome;
    }
    if (outcome.run.files.empty()) continue;
    outcome.kind = UndoOutcome::Kind::TakenBack;
    Restorer restorer(run.get(), dryRun, outcome);
    for (auto file = outcome.run.files.rbegin(); file != outcome.run.files.rend(); ++file) restorer.restore(*file);
    if (!dryRun && !markUndone(run.get()))
      outcome.error = journal->path() + "/" + *name + ": cannot be marked as taken back: " + systemError(errno);
    return outcome;
  }
  return {};
}

}  // namespace sorvane::journal
