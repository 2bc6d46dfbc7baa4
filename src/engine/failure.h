#pragma once

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

}  // namespace sorvane
