#include "engine/files/regular_file.h"

#include <cerrno>
#include <fcntl.h>

namespace sorvane {
namespace {

// A file the kernel's usual read-ahead covers gains nothing from a longer one.
constexpr off_t kSequentialHintFrom = 128 * 1024;

OpenedFile failed(int error) {
  OpenedFile file;
  file.error = error;
  return file;
}

}  // namespace

OpenedFile openRegularFile(int folder, const std::string& name, FinalLink link) {
  // Non-blocking, so that a named pipe cannot hang the caller before it is refused.
  const int flags = O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY | (link == FinalLink::Refuse ? O_NOFOLLOW : 0);
  OpenedFile file;
  file.descriptor.reset(::openat(folder, name.c_str(), flags));
  if (!file.descriptor.valid()) return failed(errno);
  const int fd = file.descriptor.get();
  if (::fstat(fd, &file.status) != 0) return failed(errno);
  if (S_ISDIR(file.status.st_mode)) return failed(EISDIR);
  if (!S_ISREG(file.status.st_mode)) return failed(ENXIO);  // a device could be read forever
  // O_NONBLOCK stays: it changes nothing for a regular file, and clearing it cost a call per file.
  if (file.status.st_size > kSequentialHintFrom) ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
  return file;
}

}  // namespace sorvane
