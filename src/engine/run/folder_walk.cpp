#include "engine/run/folder_walk.h"

#include "engine/files/file_descriptor.h"
#include "engine/files/temporary_name.h"
#include "engine/run/name_pattern.h"

#include <algorithm>
#include <array>
#include <fcntl.h>
#include <memory>

namespace sorvane {
namespace {

// Their files are a repository's own records, not the user's text: a replacement corrupts them.
bool isVersionControlFolder(const std::string& name) {
  static constexpr std::array<const char*, 3> names = {".git", ".hg", ".svn"};
  return std::find(names.begin(), names.end(), name) != names.end();
}

class Walk {
 public:
  Walk(const FolderRun& run, ReadEntryCall readEntry, FolderVisitor& visitor)
      : pattern_(run.namePattern),
        masks_(run.masks),
        recursive_(run.recursive),
        passBinary_(!run.binaryAsText),
        readEntry_(readEntry),
        visitor_(visitor) {}

  // Walks the folder `name` of the folder open as `parent`; `path` names it, ending in "/".
  bool folder(int parent, const std::string& name, const std::string& path) {
    // Below the starting folder a name that has become a link since its listing is refused.
    // Shared with the files that wait in a batch to be put in place after the walk moved on.
    const auto folder = std::make_shared<const FileDescriptor>(
        ::openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | (parent == AT_FDCWD ? 0 : O_NOFOLLOW)));
    // Listed once, before any file is rewritten, so the run never meets files it creates.
    const FolderListing listing =
        folder->valid() ? listFolder(folder->get(), readEntry_) : FolderListing{{}, {}, errno};
    if (listing.error != 0) {
      const std::string shown = path.size() > 1 ? path.substr(0, path.size() - 1) : path;
      if (!visitor_.folderNotListed(shown, failureFromErrno(listing.error, path))) return false;
    }
    for (const std::string& file : listing.files) {
      // A temporary file of an unfinished rewrite is not the user's text.
      if (!pattern_.matches(file) || !masks_.takesFile(file) || isTemporaryName(file)) continue;
      FileToRewrite found{path + file, folder, file};
      found.passBinary = passBinary_;
      if (!visitor_.file(std::move(found))) return false;
    }
    if (!recursive_) return true;
    // A folder left out is never opened: not even a folder the run could not read is told.
    for (const std::string& sub : listing.folders) {
      if (isVersionControlFolder(sub) || !masks_.entersFolder(sub)) continue;
      if (!this->folder(folder->get(), sub, path + sub + "/")) return false;
    }
    return true;
  }

 private:
  const NamePattern pattern_;
  const FileMasks& masks_;
  const bool recursive_;
  const bool passBinary_;
  const ReadEntryCall readEntry_;
  FolderVisitor& visitor_;
};

}  // namespace

bool walkFolders(const FolderRun& run, ReadEntryCall readEntry, FolderVisitor& visitor) {
  // An empty folder text names no folder; it must never become the root of the disk.
  if (run.path.empty()) return true;
  const std::string path = run.path.back() == '/' ? run.path : run.path + "/";
  return Walk(run, readEntry, visitor).folder(AT_FDCWD, path, path);
}

}  // namespace sorvane
