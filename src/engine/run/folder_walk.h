#pragma once

#include "engine/files/failure.h"
#include "engine/files/file_rewrite.h"
#include "engine/run/folder_listing.h"
#include "engine/run/run_request.h"

#include <string>

namespace sorvane {

// Meets what a folder walk finds, in run order; either call returns false to end the walk.
class FolderVisitor {
 public:
  virtual ~FolderVisitor() = default;
  virtual bool file(FileToRewrite file) = 0;
  virtual bool folderNotListed(const std::string& folder, const Failure& failure) = 0;
};

// Walks a folder run's folders, each listed once and in name order, and hands on each file that
// matches its pattern and masks, marked to be passed over should it look binary unless the run
// takes binary files as text; a run and a preview meet the same files in the same order. Each
// folder is opened within its parent, so no limit on a path's length applies; the version-control
// folders, the folders the masks leave out and the run's own temporary files are passed over.
// False when the visitor ended it.
bool walkFolders(const FolderRun& run, ReadEntryCall readEntry, FolderVisitor& visitor);

}  // namespace sorvane
