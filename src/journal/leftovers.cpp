#include "journal/leftovers.h"

#include "engine/files/temporary_name.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sorvane::journal {

FileDescriptor openAbsoluteFolder(const std::string& path) {
  FileDescriptor folder(::open("/", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  for (std::size_t start = 1; folder.valid() && start < path.size();) {
    const std::size_t slash = std::min(path.find('/', start), path.size());
    const std::string step = path.substr(start, slash - start);
    int fd = ::openat(folder.get(), step.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    // A folder that may be searched but not read still leads to its files.
    if (fd < 0 && errno == EACCES) fd = ::openat(folder.get(), step.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    folder.reset(fd);
    start = slash + 1;
  }
  return folder;
}

void removeLeftovers(const RunRecord& run) {
  std::string folderPath;
  FileDescriptor folder;
  for (const FileRecord& file : run.files) {
    if (file.aside.empty()) continue;
    // A run's files come folder by folder: each is opened once in a row.
    if (const std::string parent = file.path.substr(0, file.path.rfind('/')); parent != folderPath || !folder.valid()) {
      folder = openAbsoluteFolder(parent);
      folderPath = parent;
    }
    if (!folder.valid()) continue;
    for (const std::string& name : file.aside) {
      struct stat status {};
      // Only a regular file under a name of ours, as a forged manifest must not delete anything else.
      if (isTemporaryName(name) && name.find('/') == std::string::npos &&
          ::fstatat(folder.get(), name.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0 &&
          S_ISREG(status.st_mode))
        ::unlinkat(folder.get(), name.c_str(), 0);
    }
  }
}

}  // namespace sorvane::journal
