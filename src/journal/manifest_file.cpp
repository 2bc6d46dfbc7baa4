#include "journal/manifest_file.h"

#include "journal/manifest.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace sorvane::journal {

bool ManifestFile::create(int runFolder) {
  fd_.reset(::openat(runFolder, std::string(kManifestName).c_str(),
                     O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_NOFOLLOW | O_CLOEXEC, 0600));
  end_ = 0;
  return fd_.valid();
}

bool ManifestFile::open(int runFolder) {
  fd_.reset(::openat(runFolder, std::string(kManifestName).c_str(), O_RDWR | O_APPEND | O_NOFOLLOW | O_CLOEXEC));
  return fd_.valid() && cutTornTail();
}

bool ManifestFile::cutTornTail() {
  struct stat status {};
  if (::fstat(fd_.get(), &status) != 0) return false;
  // Steps back from the end, a block at a time, to the last line end.
  off_t end = status.st_size;
  char block[4096];
  while (end > 0) {
    const off_t from = end > static_cast<off_t>(sizeof block) ? end - static_cast<off_t>(sizeof block) : 0;
    const ssize_t got = ::pread(fd_.get(), block, static_cast<std::size_t>(end - from), from);
    if (got < 0 && errno == EINTR) continue;
    if (got != end - from) return false;
    const std::string_view read(block, static_cast<std::size_t>(got));
    const auto lineEnd = read.rfind('\n');
    if (lineEnd != std::string_view::npos) {
      end = from + static_cast<off_t>(lineEnd) + 1;
      break;
    }
    end = from;
  }
  if (end != status.st_size && ::ftruncate(fd_.get(), end) != 0) return false;
  end_ = end;
  return true;
}

bool ManifestFile::append(std::string_view lines) {
  if (needsCut_ && ::ftruncate(fd_.get(), end_) != 0) return false;
  needsCut_ = false;
  std::size_t done = 0;
  while (done < lines.size()) {
    const ssize_t n = write(fd_.get(), lines.data() + done, lines.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const int error = n == 0 ? ENOSPC : errno;
      // What did get written would fuse with the next line: cut it back.
      const bool cutBack = ::ftruncate(fd_.get(), end_) == 0;
      // Cut back or not, the next append cuts again from the last whole line.
      if (!cutBack) needsCut_ = true;
      errno = error;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  end_ += static_cast<off_t>(lines.size());
  return true;
}

}  // namespace sorvane::journal
