#include "cli/distinct_files.h"

#include <cstdlib>
#include <memory>
#include <optional>
#include <set>
#include <sys/stat.h>
#include <tuple>

namespace sorvane::cli {
namespace {

using Entry = std::tuple<dev_t, ino_t, std::string>;

// The folder and name a path leads to once every symbolic link on it is followed. The folder
// goes by device and inode, which one folder mounted in two places shares.
std::optional<Entry> entryOf(const std::string& file) {
  const std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(file.c_str(), nullptr), &std::free);
  if (!resolved) return std::nullopt;
  const std::string path = resolved.get();
  const auto slash = path.find_last_of('/');  // the path is absolute
  const std::string folderPath = slash == 0 ? "/" : path.substr(0, slash);
  struct stat folder {};
  if (::stat(folderPath.c_str(), &folder) != 0) return std::nullopt;
  return Entry{folder.st_dev, folder.st_ino, path.substr(slash + 1)};
}

}  // namespace

std::vector<std::string> distinctFiles(const std::vector<std::string>& files) {
  std::set<Entry> seen;
  std::vector<std::string> distinct;
  for (const std::string& file : files) {
    const std::optional<Entry> entry = entryOf(file);
    if (entry && !seen.insert(*entry).second) continue;
    distinct.push_back(file);
  }
  return distinct;
}

}  // namespace sorvane::cli
