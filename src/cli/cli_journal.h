#pragma once

#include <iosfwd>
#include <string>

namespace sorvane::cli {

// --undo: takes back the newest run kept in the journal under `stateHome`, or with `dryRun`
// says what it would do. Returns the exit status.
int undoCommand(const std::string& stateHome, bool dryRun, std::ostream& out, std::ostream& err);

// --history: lists the kept runs, newest first. Returns the exit status.
int historyCommand(const std::string& stateHome, std::ostream& out, std::ostream& err);

}  // namespace sorvane::cli
