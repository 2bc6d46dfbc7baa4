#pragma once

#include "temp_folder.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <mutex>
#include <stdio.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace sorvane::testing {

// A file's status, not following a last link; all zeros where there is no such file.
inline struct stat statusOf(const std::string& path) {
  struct stat status {};
  ::lstat(path.c_str(), &status);
  return status;
}

// Writes `bytes` to `path` with the access and modification times `timesOf` has.
inline void writeWithTimesOf(const std::string& path, const std::string& bytes, const std::string& timesOf) {
  const struct stat was = statusOf(timesOf);
  writeFile(path, bytes);
  const timespec times[2] = {was.st_atim, was.st_mtim};
  ::utimensat(AT_FDCWD, path.c_str(), times, 0);
}

// Writes `bytes` but no run of `holeFrom` zeros or more: those of a block or more are holes, where
// the file system has them. False when a call fails.
inline bool writeSparse(const std::string& path, const std::string& bytes, std::size_t holeFrom) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  bool written = fd >= 0 && ::ftruncate(fd, static_cast<off_t>(bytes.size())) == 0;
  for (std::size_t at = 0; written && at < bytes.size();) {
    const std::size_t end = std::min(bytes.size(), bytes.find(std::string(holeFrom, '\0'), at));
    written = ::pwrite(fd, bytes.data() + at, end - at, static_cast<off_t>(at)) == static_cast<ssize_t>(end - at);
    at = std::min(bytes.size(), bytes.find_first_not_of('\0', end));
  }
  ::close(fd);
  return written;
}

// What the calls watched by a test do, in order; helper threads make them too, so the list is guarded.
inline std::mutex eventsMutex;
inline std::vector<std::string> events;

inline void record(std::string event) {
  const std::lock_guard lock(eventsMutex);
  events.push_back(std::move(event));
}

// Records "rename NAME", NAME being the new name, and renames; a swap is recorded once.
inline int recordedRename(int fromFolder, const char* from, int toFolder, const char* to, unsigned int flags) {
  record(std::string("rename ") + to);
  return ::renameat2(fromFolder, from, toFolder, to, flags);
}

// A file system that cannot swap two names, as NFS.
inline int renameWithoutSwap(int fromFolder, const char* from, int toFolder, const char* to, unsigned int flags) {
  if (flags & RENAME_EXCHANGE) return errno = EINVAL, -1;
  return ::renameat2(fromFolder, from, toFolder, to, flags);
}

// The bytes of an open file, which may have no name yet.
inline std::string contentOf(int fd) { return readFile("/proc/self/fd/" + std::to_string(fd)); }

// A call of type `Call` that always fails with `Error`: failing<EXDEV, RenameCall>.
template <int Error, typename Call>
struct Fails;
template <int Error, typename R, typename... Arguments>
struct Fails<Error, R (*)(Arguments...)> {
  static R call(Arguments...) {
    errno = Error;
    return R(-1);
  }
};
template <int Error, typename Call>
constexpr Call failing = &Fails<Error, Call>::call;

}  // namespace sorvane::testing
