#include "engine/run/folder_listing.h"

#include "engine/text/utf8_units.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <utility>

namespace sorvane {
namespace {

void sortByFoldedName(std::vector<std::string>& names) {
  std::vector<std::pair<std::string, std::string>> keyed;
  keyed.reserve(names.size());
  for (auto& name : names) keyed.emplace_back(utf8::foldedText(name), std::move(name));
  std::sort(keyed.begin(), keyed.end());
  names.clear();
  for (auto& entry : keyed) names.push_back(std::move(entry.second));
}

// Most file systems tell an entry's type in the listing itself; only where one does not is the
// entry looked at, without following a link.
unsigned char typeOf(int folder, const dirent& entry) {
  if (entry.d_type != DT_UNKNOWN) return entry.d_type;
  struct stat st {};
  if (::fstatat(folder, entry.d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) return DT_UNKNOWN;
  if (S_ISREG(st.st_mode)) return DT_REG;
  return S_ISDIR(st.st_mode) ? DT_DIR : DT_UNKNOWN;
}

struct CloseDir {
  void operator()(DIR* dir) const { ::closedir(dir); }
};

FolderListing failed(int error) {
  FolderListing listing;
  listing.error = error;
  return listing;
}

}  // namespace

FolderListing listFolder(int folder, ReadEntryCall readEntry) {
  // Opening "." through the folder needs the right to search it, and gives the listing its own
  // read position.
  const int fd = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return failed(errno);
  const std::unique_ptr<DIR, CloseDir> dir(::fdopendir(fd));
  if (!dir) {
    const int error = errno;
    ::close(fd);
    return failed(error);
  }
  FolderListing listing;
  while (true) {
    errno = 0;
    const dirent* entry = readEntry(dir.get());
    if (entry == nullptr) break;
    if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
    // An entry that cannot be examined is never rewritten.
    const unsigned char type = typeOf(folder, *entry);
    if (type == DT_REG)
      listing.files.emplace_back(entry->d_name);
    else if (type == DT_DIR)
      listing.folders.emplace_back(entry->d_name);
  }
  if (errno != 0) return failed(errno);
  sortByFoldedName(listing.files);
  sortByFoldedName(listing.folders);
  return listing;
}

}  // namespace sorvane
