#pragma once

#include <dirent.h>
#include <string>
#include <vector>

namespace sorvane {

// One folder's entries, read once, in case-insensitive name order (ties by bytes), so a walk
// is the same on every run. Symbolic links are neither files nor folders here: a walk that
// followed them could loop, or rewrite one file under two names.
struct FolderListing {
  std::vector<std::string> files;    // regular files, hidden ones included
  std::vector<std::string> folders;  // real sub-folders
  int error = 0;                     // errno when the folder could not be read; the lists are empty
};

// Reads a folder's next entry, as readdir(3) does; a seam, so tests can make a reading fail.
using ReadEntryCall = dirent* (*)(DIR* folder);

// Lists the folder open as `folder`, reading its entries through `readEntry`. A folder that can
// be read but not searched counts as unreadable: none of its entries could be opened.
FolderListing listFolder(int folder, ReadEntryCall readEntry);

}  // namespace sorvane
