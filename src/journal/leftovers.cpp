#include "journal/leftovers.h"

#include "engine/files/reachable_folder.h"
#include "engine/files/temporary_name.h"
#include "journal/manifest_file.h"

#include <algorithm>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sorvane::journal {

FileDescriptor openAbsoluteFolder(const std::string& path) {
  FileDescriptor folder(::open("/", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  for (std::size_t start = 1; folder.valid() && start < path.size();) {
    const std::size_t slash = std::min(path.find('/', start), path.size());
    const std::string step = path.substr(start, slash - start);
    folder.reset(openFolderToReach(folder.get(), step.c_str(), O_NOFOLLOW));
    start = slash + 1;
  }
  return folder;
}

namespace {

// Only a regular file under a name of ours, as a forged manifest must not delete anything else.
void removeIfOurs(int folder, const std::string& name) {
  struct stat status {};
  if (isTemporaryName(name) && name.find('/') == std::string::npos &&
      ::fstatat(folder, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(status.st_mode))
    ::unlinkat(folder, name.c_str(), 0);
}

// Opens each folder once for the names in a row that lie in it, as a run's come folder by folder.
class FolderInTurn {
 public:
  int open(const std::string& path) {
    if (path != path_ || !folder_.valid()) {
      folder_ = openAbsoluteFolder(path);
      path_ = path;
    }
    return folder_.get();
  }

 private:
  std::string path_;
  FileDescriptor folder_;
};

std::string parentOf(const std::string& path) { return path.substr(0, path.rfind('/')); }

}  // namespace

void removeLeftovers(const RunRecord& run) {
  FolderInTurn folder;
  for (const std::string& path : run.temporaries)
    if (const int fd = folder.open(parentOf(path)); fd >= 0) removeIfOurs(fd, path.substr(path.rfind('/') + 1));
  for (const FileRecord& file : run.files) {
    if (file.aside.empty()) continue;
    if (const int fd = folder.open(parentOf(file.path)); fd >= 0)
      for (const std::string& name : file.aside) removeIfOurs(fd, name);
  }
}

void tidyCutOffRun(int runFolder, const RunRecord& run) {
  removeLeftovers(run);
  ManifestFile manifest;
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  if (manifest.open(runFolder)) manifest.append(tidiedLine(now));
}

}  // namespace sorvane::journal
