#include "journal/journal_folder.h"

#include "engine/files/file_fingerprint.h"
#include "journal/leftovers.h"
#include "journal/put_away_runs.h"

#include <algorithm>
#include <charconv>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sorvane::journal {
namespace {

constexpr mode_t kPrivateFolder = 0700;
constexpr const char* kLockName = ".lock";
constexpr const char* kKeptBytesName = "kept-bytes";
// Past this, a manifest's last line is a file's record, never a line that closes the run.
constexpr off_t kTailBytes = 4096;

// Makes every missing folder of `path` (as `mkdir -p` does), so a first run can start the journal.
int makeFolders(const std::string& path) {
  for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
    const std::string prefix = path.substr(0, slash);
    if (::mkdir(prefix.c_str(), kPrivateFolder) != 0 && errno != EEXIST) return errno;
    if (slash == std::string::npos) return 0;
  }
}

std::string checked(int fd, const std::string& path) {
  struct stat st {};
  if (::fstat(fd, &st) != 0) return path + ": " + systemError(errno);
  if (st.st_uid != ::geteuid()) return path + " is not yours";
  if ((st.st_mode & 077) != 0) return path + " is open to others";
  return {};
}

// Opens `name` in `parent` as one of the journal's own folders, making it first with `create`.
FileDescriptor openOwnFolder(int parent, const std::string& name, const std::string& path, bool create,
                             std::string& error) {
  if (create && ::mkdirat(parent, name.c_str(), kPrivateFolder) != 0 && errno != EEXIST) {
    error = path + ": " + systemError(errno);
    return {};
  }
  FileDescriptor folder(::openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (!folder.valid()) {
    // O_NOFOLLOW makes a link fail as ELOOP, or as ENOTDIR with O_DIRECTORY.
    struct stat st {};
    const bool isLink = ::fstatat(parent, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode);
    if (errno != ENOENT || isLink) error = isLink ? path + " is a symbolic link" : path + ": " + systemError(errno);
    return {};
  }
  error = checked(folder.get(), path);
  if (!error.empty()) folder.reset();
  return folder;
}

std::vector<std::string> entryNames(int folder) {
  std::vector<std::string> names;
  const int fd = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  DIR* dir = fd >= 0 ? ::fdopendir(fd) : nullptr;
  if (!dir) {
    if (fd >= 0) ::close(fd);
    return names;
  }
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  ::closedir(dir);
  return names;
}

std::string runName(const timespec& now, int attempt) {
  tm utc{};
  ::gmtime_r(&now.tv_sec, &utc);
  char text[64];
  const std::size_t length = std::strftime(text, sizeof text, "%Y-%m-%dT%H-%M-%S", &utc);
  char rest[64];
  std::snprintf(rest, sizeof rest, ".%09ldZ-%d-%d", static_cast<long>(now.tv_nsec), static_cast<int>(::getpid()),
                attempt);
  return std::string(text, length) + rest;
}

// A kill leaves the last placings unmarked: a file that is still the original was never placed,
// as undo finds it too. Only the last batches are unmarked, so few files are looked at.
void findNeverPlaced(RunRecord& run) {
  for (FileRecord& file : run.files) {
    if (file.placedChange) continue;
    const std::size_t slash = file.path.rfind('/');
    const FileDescriptor folder = openAbsoluteFolder(file.path.substr(0, slash));
    struct stat now {};
    // Its new content, written within the clock's tick of the original, may share its time and size.
    file.neverPlaced = folder.valid() &&
                       ::fstatat(folder.get(), file.path.c_str() + slash + 1, &now, AT_SYMLINK_NOFOLLOW) == 0 &&
                       !(now.st_dev == file.written.device && now.st_ino == file.written.inode) &&
                       now.st_size == file.size && sameTime(now.st_mtim, file.modified);
  }
}

}  // namespace

std::string systemError(int error) { return std::strerror(error); }

std::string defaultStateHome() {
  const char* state = std::getenv("XDG_STATE_HOME");
  if (state && state[0] == '/') return state;
  const char* home = std::getenv("HOME");
  if (!home || !*home) {
    const passwd* user = ::getpwuid(::getuid());
    home = user ? user->pw_dir : "/";
  }
  return std::string(home) + "/.local/state";
}

std::optional<JournalFolder> JournalFolder::open(const std::string& stateHome, bool create, std::string& error) {
  error.clear();
  if (create) {
    if (const int failure = makeFolders(stateHome)) {
      error = stateHome + ": " + systemError(failure);
      return std::nullopt;
    }
  }
  const std::string ownPath = stateHome + "/sorvane", runsPath = ownPath + "/runs";
  const FileDescriptor home(::open(stateHome.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!home.valid()) {
    if (errno == ENOENT && !create) return JournalFolder(runsPath, {});
    error = stateHome + ": " + systemError(errno);
    return std::nullopt;
  }
  const FileDescriptor own = openOwnFolder(home.get(), "sorvane", ownPath, create, error);
  if (!own.valid()) {
    if (!error.empty()) return std::nullopt;
    return JournalFolder(runsPath, {});
  }
  FileDescriptor runs = openOwnFolder(own.get(), "runs", runsPath, create, error);
  if (!error.empty()) return std::nullopt;
  return JournalFolder(runsPath, std::move(runs));
}

std::vector<std::string> JournalFolder::runNames() const {
  std::vector<std::string> names;
  if (!exists()) return names;
  for (std::string& name : entryNames(folder_.get()))
    if (name[0] != '.') names.push_back(std::move(name));
  std::sort(names.begin(), names.end());
  return names;
}

FileDescriptor JournalFolder::openRun(const std::string& name, std::string& error) const {
  error.clear();
  FileDescriptor run = openOwnFolder(folder_.get(), name, path_ + "/" + name, false, error);
  if (!run.valid() && error.empty()) error = path_ + "/" + name + ": " + systemError(ENOENT);
  return run;
}

FileDescriptor JournalFolder::createRun(std::string& name, std::string& error, LockCall lock,
                                        int (*flush)(int fd)) const {
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  for (int attempt = 0;; ++attempt) {
    name = runName(now, attempt);
    const std::string hidden = "." + name;
    if (::mkdirat(folder_.get(), hidden.c_str(), kPrivateFolder) != 0) {
      if (errno == EEXIST) continue;
      error = path_ + ": " + systemError(errno);
      return {};
    }
    FileDescriptor run = openRun(hidden, error);
    const bool locked = run.valid() && lock(run.get(), LOCK_EX | LOCK_NB) == 0;
    if (locked && ::renameat(folder_.get(), hidden.c_str(), folder_.get(), name.c_str()) != 0) {
      const int failure = errno;
      ::unlinkat(folder_.get(), hidden.c_str(), AT_REMOVEDIR);
      // A rename replaces only an empty folder, which recorded nothing; a name that holds a run
      // is this process's own (on a coarse clock), and the next one is tried.
      if (failure == EEXIST || failure == ENOTEMPTY) continue;
      error = path_ + "/" + name + ": " + systemError(failure);
      return {};
    }
    if (!locked) {
      if (run.valid()) error = path_ + ": a new run cannot be locked: " + systemError(errno);
      ::unlinkat(folder_.get(), hidden.c_str(), AT_REMOVEDIR);
      return {};
    }
    if (flush(folder_.get()) != 0) {
      error = path_ + ": " + systemError(errno);
      removeRun(name);
      return {};
    }
    return run;
  }
}

void JournalFolder::removeRun(const std::string& name) const {
  const FileDescriptor run(::openat(folder_.get(), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (!run.valid()) return;
  for (const std::string& entry : entryNames(run.get())) ::unlinkat(run.get(), entry.c_str(), 0);
  ::unlinkat(folder_.get(), name.c_str(), AT_REMOVEDIR);
}

bool JournalFolder::putAway(const std::string& name) const {
  return ::renameat(folder_.get(), name.c_str(), folder_.get(), (kPutAwayPrefix + name).c_str()) == 0;
}

bool JournalFolder::holdsPutAwayRuns() const {
  const std::vector<std::string> names = entryNames(folder_.get());
  return std::any_of(names.begin(), names.end(), [](const std::string& name) { return name.starts_with(kPutAwayPrefix); });
}

JournalFolder::Lock::Lock(const JournalFolder& folder)
    : fd_(::openat(folder.descriptor(), kLockName, O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600)) {
  while (fd_.valid() && ::flock(fd_.get(), LOCK_EX) != 0) {
    if (errno != EINTR) fd_.reset();
  }
}

bool tryLockRun(int runFolder) { return ::flock(runFolder, LOCK_EX | LOCK_NB) == 0; }

std::optional<RunRecord> readRun(int runFolder, std::string& error) {
  const FileDescriptor manifest(
      ::openat(runFolder, std::string(kManifestName).c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  // A run killed before its manifest existed recorded nothing.
  if (!manifest.valid() && errno == ENOENT) return RunRecord{};
  struct stat st {};
  if (!manifest.valid() || ::fstat(manifest.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
    error = "its manifest cannot be opened";
    return std::nullopt;
  }
  std::string text;
  char buffer[65536];
  ssize_t got;
  while ((got = ::read(manifest.get(), buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<std::size_t>(got));
  auto run = got == 0 ? parseManifest(text) : std::nullopt;
  if (!run) error = "its manifest cannot be read";
  if (run && run->cutOff) findNeverPlaced(*run);
  return run;
}

RunSummary readSummary(int runFolder) {
  RunSummary summary;
  const FileDescriptor manifest(
      ::openat(runFolder, std::string(kManifestName).c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  struct stat st {};
  if (!manifest.valid() || ::fstat(manifest.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
    summary.recordedNothing = !manifest.valid() && errno == ENOENT;
    summary.cutOff = !summary.recordedNothing;  // read whole, which says what is wrong
    return summary;
  }
  char tail[kTailBytes];
  const off_t from = st.st_size > kTailBytes ? st.st_size - kTailBytes : 0;
  const ssize_t got = ::pread(manifest.get(), tail, static_cast<std::size_t>(st.st_size - from), from);
  std::string_view text(tail, got > 0 ? static_cast<std::size_t>(got) : 0);
  // A torn last line was never written whole: the line before it is the last.
  text = text.substr(0, text.rfind('\n') == std::string_view::npos ? 0 : text.rfind('\n'));
  // A manifest of one line has no run yet; a last line longer than the tail is a file's record.
  const auto start = text.rfind('\n');
  summary.cutOff = start == std::string_view::npos || !closesRun(text.substr(start + 1));
  char bytes[32];
  const FileDescriptor kept(::openat(runFolder, kKeptBytesName, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  const ssize_t length = kept.valid() ? ::read(kept.get(), bytes, sizeof bytes) : -1;
  std::uint64_t value = 0;
  if (length > 1 && bytes[length - 1] == '\n' &&
      std::from_chars(bytes, bytes + length - 1, value).ptr == bytes + length - 1)
    summary.keptBytes = value;
  return summary;
}

void writeKeptBytes(int runFolder, std::uint64_t bytes) {
  const FileDescriptor kept(
      ::openat(runFolder, kKeptBytesName, O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600));
  const std::string text = std::to_string(bytes) + "\n";
  // One short write; one cut short reads as none, and the run is then read whole.
  if (!kept.valid()) return;
  [[maybe_unused]] const ssize_t written = ::write(kept.get(), text.data(), text.size());
}

}  // namespace sorvane::journal
