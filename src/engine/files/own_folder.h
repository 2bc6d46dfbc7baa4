#pragma once

#include "engine/files/file_rewrite.h"
#include "engine/files/rewrite_result.h"

namespace sorvane {

// Opens the folder of a file named by a path, so the file is read, and rewritten, as a name in
// it: a path that is a symbolic link names the link's target. The file's name in the folder
// replaces `file.name`. A file a walk found is reached as the walk reached it, however deep.
Result<FileToRewrite> withOwnFolder(FileToRewrite file);

}  // namespace sorvane
