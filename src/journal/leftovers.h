#pragma once

#include "engine/files/file_descriptor.h"
#include "journal/manifest.h"

#include <string>

namespace sorvane::journal {

// Opens an absolute folder one step at a time, each relative to the one before, so no limit on
// a path's length applies and no symbolic link is followed.
FileDescriptor openAbsoluteFolder(const std::string& path);

// Removes what a run or an undo cut off by a kill left beside the run's files: each temporary
// name recorded as given that still names a file. A name since renamed over its file is gone.
void removeLeftovers(const RunRecord& run);

// Removes what a kill left beside the files of the run open as `runFolder`, locked, once, and
// says so on its manifest.
void tidyCutOffRun(int runFolder, const RunRecord& run);

}  // namespace sorvane::journal
