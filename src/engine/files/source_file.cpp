#include "engine/files/source_file.h"

#include "engine/files/file_fingerprint.h"
#include "engine/files/regular_file.h"
#include "engine/files/yielder.h"

#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace sorvane {

bool SourceFile::open(int folder, const std::string& name, const std::string& path) {
  folder_ = folder;
  name_ = name;
  path_ = path;
  OpenedFile file = openRegularFile(folder, name, FinalLink::Refuse);
  if (file.error != 0) return fail(file.error);
  fd_ = std::move(file.descriptor);
  opened_ = file.status;
  return true;
}

bool SourceFile::stillWanted() {
  if (!yielder_.poll()) stopped_ = true;
  return !stopped_;
}

bool SourceFile::read(char* into, std::size_t capacity, std::size_t& got) {
  if (!stillWanted()) return false;
  if (ended_) {
    got = 0;
    return true;
  }
  while (true) {
    const ssize_t n = ::pread(fd_.get(), into, capacity, static_cast<off_t>(offset_));
    if (n >= 0) {
      got = static_cast<std::size_t>(n);
      offset_ += got;
      // A short read at or past the size the file had when opened is its end: asking again
      // would only hear so. A file that grows meanwhile is caught before any swap.
      ended_ = got < capacity && offset_ >= static_cast<std::uint64_t>(opened_.st_size);
      return true;
    }
    if (errno != EINTR) return fail(errno);
  }
}

std::uint64_t SourceFile::zerosAhead() {
  if (offset_ < dataEnd_) return 0;
  const off_t at = static_cast<off_t>(offset_);
  const off_t data = seek_(fd_.get(), at, SEEK_DATA);
  if (data < 0) {
    // ENXIO: no data from here to the end. Anything else: the file system cannot tell.
    if (errno == ENXIO && at < opened_.st_size) return static_cast<std::uint64_t>(opened_.st_size - at);
    dataEnd_ = UINT64_MAX;
    return 0;
  }
  if (data > at) return static_cast<std::uint64_t>(data - at);
  const off_t hole = seek_(fd_.get(), at, SEEK_HOLE);
  dataEnd_ = hole > at ? static_cast<std::uint64_t>(hole) : UINT64_MAX;
  return 0;
}

bool SourceFile::skip(std::uint64_t length) {
  offset_ += length;
  return true;
}

bool SourceFile::unchangedSinceOpened() const {
  struct stat now {};
  struct stat named {};
  if (::fstat(fd_.get(), &now) != 0 || ::fstatat(folder_, name_.c_str(), &named, AT_SYMLINK_NOFOLLOW) != 0) return false;
  // The descriptor's file, as it was, and still under the name.
  return FileFingerprint::of(now).sameVersionAs(FileFingerprint::of(opened_)) && named.st_dev == opened_.st_dev &&
         named.st_ino == opened_.st_ino;
}

bool SourceFile::fail(int error) {
  failure_ = failureFromErrno(error, path_);
  return false;
}

}  // namespace sorvane
