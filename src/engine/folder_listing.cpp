#include "engine/folder_listing.h"

#include "engine/file_descriptor.h"
#include "engine/utf8_units.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
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
unsigned char typeOf(int folder, const dirent64& entry) {
  if (entry.d_type != DT_UNKNOWN) return entry.d_type;
  struct stat st {};
  if (::fstatat(folder, entry.d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) return DT_UNKNOWN;
  if (S_ISREG(st.st_mode)) return DT_REG;
  return S_ISDIR(st.st_mode) ? DT_DIR : DT_UNKNOWN;
}

FolderListing failed(int error) {
  FolderListing listing;
  listing.error = error;
  return listing;
}

}  // namespace

FolderListing listFolder(int folder) {
  // Opening "." through the folder needs the right to search it, and gives the listing its own
  // read position.
  const FileDescriptor listed(::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!listed.valid()) return failed(errno);
  FolderListing listing;
  alignas(dirent64) std::array<char, 32 * 1024> buffer;
  while (true) {
    const ssize_t got = ::getdents64(listed.get(), buffer.data(), buffer.size());
    if (got < 0) return failed(errno);
    if (got == 0) break;
    for (ssize_t at = 0; at < got;) {
      const auto& entry = *reinterpret_cast<const dirent64*>(buffer.data() + at);
      at += entry.d_reclen;
      if (std::strcmp(entry.d_name, ".") == 0 || std::strcmp(entry.d_name, "..") == 0) continue;
      // An entry that cannot be examined is never rewritten.
      const unsigned char type = typeOf(folder, entry);
      if (type == DT_REG)
        listing.files.emplace_back(entry.d_name);
      else if (type == DT_DIR)
        listing.folders.emplace_back(entry.d_name);
    }
  }
  sortByFoldedName(listing.files);
  sortByFoldedName(listing.folders);
  return listing;
}

}  // namespace sorvane
