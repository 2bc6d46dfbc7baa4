#include "engine/folder_listing.h"

#include "engine/utf8_units.h"

#include <algorithm>
#include <filesystem>
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

}  // namespace

FolderListing listFolder(const std::string& folder) {
  namespace fs = std::filesystem;
  FolderListing listing;
  std::error_code error;
  fs::directory_iterator it(fs::path(folder), fs::directory_options::none, error);
  for (; !error && it != fs::directory_iterator(); it.increment(error)) {
    std::error_code statusError;
    const fs::file_type type = it->symlink_status(statusError).type();
    if (statusError) continue;  // an entry that cannot be examined is never rewritten
    std::string name = it->path().filename().native();
    if (type == fs::file_type::regular)
      listing.files.push_back(std::move(name));
    else if (type == fs::file_type::directory)
      listing.folders.push_back(std::move(name));
  }
  sortByFoldedName(listing.files);
  sortByFoldedName(listing.folders);
  return listing;
}

}  // namespace sorvane
