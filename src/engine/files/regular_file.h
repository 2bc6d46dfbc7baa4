#pragma once

#include "engine/files/file_descriptor.h"

#include <string>
#include <sys/stat.h>

namespace sorvane {

// Whether a symbolic link as the last part of the name is followed or refused (ELOOP).
enum class FinalLink { Follow, Refuse };

// A regular file open for reading and its status when opened, or the errno of why not.
struct OpenedFile {
  FileDescriptor descriptor;
  struct stat status {};
  int error = 0;
};

// Opens `name` in the folder open as `folder` (AT_FDCWD: `name` is a path) for reading, if it
// is a regular file: a folder fails with EISDIR, anything else (a pipe, a device) with ENXIO.
// A named pipe or a terminal is refused without waiting on it or taking it as the controlling one.
OpenedFile openRegularFile(int folder, const std::string& name, FinalLink link);

}  // namespace sorvane
