#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace sorvane::testing {

struct ProgramRun {
  int status = -1;  // exit status, or -1 when it did not exit normally
  int signal = 0;   // the signal that ended it, if one did
  std::string out;
  std::string err;
};

struct ProgramOptions {
  long fileSizeLimit = -1;  // bytes (RLIMIT_FSIZE), -1 for none
  bool asUnprivileged = false;  // as root, run as the user "nobody" (permission tests)
  int killAfterMicroseconds = -1;  // SIGKILL the program after this long, -1 never
};

// Runs `program` with `arguments`, capturing what it prints.
ProgramRun runProgram(const std::string& program, const std::vector<std::string>& arguments,
                      const ProgramOptions& options = {});

// The last line of a program's output, without its line end.
std::string lastLine(const std::string& text);

// The ids of the user "nobody", whom permission tests run as when they start as root.
uid_t unprivilegedUser();
gid_t unprivilegedGroup();

}  // namespace sorvane::testing
