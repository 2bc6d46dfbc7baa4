#include "engine/files/failure.h"

#include "vocabulary/vocabulary.h"

#include <cerrno>
#include <sys/stat.h>

namespace sorvane {
namespace {

Failure make(int number, const char* description) {
  return Failure{number, kApplicationTitle, description};
}

// ENOENT means "file not found" only when the folder that should hold the file exists.
bool parentFolderExists(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return true;  // relative to the current folder
  const std::string parent = slash == 0 ? "/" : path.substr(0, slash);
  struct stat st {};
  return ::stat(parent.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

Failure failureFromErrno(int error, const std::string& path) {
  switch (error) {
    case ENOENT:
      return parentFolderExists(path) ? make(53, "File not found") : make(76, "Path not found");
    case ENOTDIR:
      return make(76, "Path not found");
    case EACCES:
    case EPERM:
      return make(70, "Permission denied");
    case EROFS:
      return make(75, "Path/File access error: read-only file system");
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return make(61, "Disk full");
    case EIO:
      return make(57, "Device I/O error");
    case EMFILE:
    case ENFILE:
      return make(67, "Too many files");
    case ENXIO:
    case ENODEV:
      return make(68, "Device unavailable");
    case EXDEV:
      return make(74, "Can't rename with different drive");
    case ENOMEM:
      return outOfMemoryFailure();
    case EINVAL:
      return make(5, "Invalid procedure call or argument");
    case EBUSY:
      // What the rewrite reports when the file changed under it: another program wrote to it.
      return make(75, "Path/File access error: changed while it was being read");
    default:
      return make(75, "Path/File access error");
  }
}

Failure unwritableFolderFailure() { return make(70, "Permission denied (its folder cannot be written)"); }

Failure outOfMemoryFailure() { return make(7, "Out of memory"); }

Failure changedSincePreviewFailure() { return make(75, "Path/File access error: changed since the preview"); }

Failure notTextFailure() { return make(75, "Path/File access error: not a text file (UTF-32)"); }

Failure unwritableReplacementFailure() {
  return make(75, "Path/File access error: the replacement is not valid UTF-8, so it cannot be written as UTF-16");
}

Failure patternFailure(PatternTrouble trouble) {
  switch (trouble) {
    case PatternTrouble::MatchTooLong:
      return make(75, "Path/File access error: a match runs on past what the search can hold of a line");
    case PatternTrouble::TooComplex:
      return make(75, "Path/File access error: the pattern takes too many steps to match on a line");
    case PatternTrouble::OverBudget:
      return make(75, "Path/File access error: the pattern took too long on this file");
    case PatternTrouble::UnwritableReplacement:
    case PatternTrouble::None:
      break;
  }
  return unwritableReplacementFailure();
}

}  // namespace sorvane
