#include "journal/put_away_runs.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace sorvane::journal {
namespace {

// Calls `each` with the name of every entry of `folder` but "." and ".."; true when it found any.
// Entries removed while it reads may make it pass others by: the caller reads again.
template <typename Each>
bool forEachEntry(int folder, Each each) {
  alignas(dirent64) char buffer[16384];
  bool found = false;
  ::lseek(folder, 0, SEEK_SET);
  for (ssize_t got; (got = ::getdents64(folder, buffer, sizeof buffer)) > 0;) {
    for (ssize_t at = 0; at < got;) {
      const auto* entry = reinterpret_cast<const dirent64*>(buffer + at);
      at += entry->d_reclen;
      if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
      found = true;
      each(entry->d_name);
    }
  }
  return found;
}

void removeRunFolder(int journal, const char* name) {
  const int run = ::openat(journal, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (run < 0) return;
  // A run's folder holds only files; passes go on while they remove something.
  bool removed = true;
  while (removed) {
    removed = false;
    forEachEntry(run, [&](const char* entry) { removed = ::unlinkat(run, entry, 0) == 0 || removed; });
  }
  ::close(run);
  ::unlinkat(journal, name, AT_REMOVEDIR);
}

}  // namespace

void removePutAwayRuns(int journalFolder) {
  // Its own descriptor: one shared with another process would share where it reads.
  const int journal = ::openat(journalFolder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (journal < 0) return;
  const std::size_t prefix = std::strlen(kPutAwayPrefix);
  forEachEntry(journal, [&](const char* name) {
    if (std::strncmp(name, kPutAwayPrefix, prefix) == 0) removeRunFolder(journal, name);
  });
  ::close(journal);
}

void removePutAwayRunsInBackground(int journalFolder) {
  const pid_t child = ::fork();
  if (child == 0) {
    // A grandchild, which no one waits for: the child ends at once, and init reaps the rest.
    if (::fork() == 0) {
      // Every other descriptor closed: the locks of runs and of the journal go with their holders.
      const int journal = ::fcntl(journalFolder, F_DUPFD, 0);
      ::dup2(journal, 0);
      ::syscall(SYS_close_range, 1u, ~0u, 0u);
      removePutAwayRuns(0);
    }
    ::_exit(0);
  }
  if (child > 0)
    while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
}

}  // namespace sorvane::journal
