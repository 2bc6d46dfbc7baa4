#pragma once

#include "engine/text/pattern_trouble.h"

#include <string>

namespace sorvane {

// A failure as the user is shown it: a conventional number, a source and a description.
struct Failure {
  int number = 0;
  std::string source;
  std::string description;

  // File-system failures let the user retry or skip the file; any other stops the run.
  bool isFileSystemFailure() const { return number >= 52 && number <= 76; }
};

// Maps an operating-system error (errno) met while working on `path` to a failure.
Failure failureFromErrno(int error, const std::string& path);

Failure outOfMemoryFailure();

// The file may be written, but its folder may not: the new content cannot be made beside it.
Failure unwritableFolderFailure();

// A file whose byte order mark announces UTF-32: not text this program reads or writes.
Failure notTextFailure();

// A file a preview showed is no longer as the preview read it: its choice of occurrences may
// no longer name the same text.
Failure changedSincePreviewFailure();

// A UTF-16 file holds an occurrence, but the replacement is not valid UTF-8 and so has no
// UTF-16 form.
Failure unwritableReplacementFailure();

// A pattern's search of a file ended early, for a reason of the pattern's own.
Failure patternFailure(PatternTrouble trouble);

}  // namespace sorvane
