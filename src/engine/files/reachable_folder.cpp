#include "engine/files/reachable_folder.h"

#include <cerrno>
#include <fcntl.h>

namespace sorvane {

int openFolderToReach(int parent, const char* name, int extraFlags) {
  const int fd = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC | extraFlags);
  if (fd >= 0 || errno != EACCES) return fd;
  return ::openat(parent, name, O_PATH | O_DIRECTORY | O_CLOEXEC | extraFlags);
}

}  // namespace sorvane
