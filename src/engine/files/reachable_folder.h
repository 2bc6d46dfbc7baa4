#pragma once

namespace sorvane {

// Opens the folder `name` within `parent` (or, with AT_FDCWD, the folder a path names) to reach
// the files in it, with `extraFlags` (O_NOFOLLOW, say) added. A folder the user may search but
// not read still leads to its files: it is opened as a path only (O_PATH), which can be neither
// listed nor flushed. The descriptor, or -1 with errno set.
int openFolderToReach(int parent, const char* name, int extraFlags = 0);

}  // namespace sorvane
