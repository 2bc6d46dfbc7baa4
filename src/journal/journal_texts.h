#pragma once

#include "journal/manifest.h"
#include "journal/undo.h"

#include <string>

// How runs and their undo are told to the user, on a terminal and in a message box.
namespace sorvane::journal::texts {

inline constexpr const char* kNothingToUndo = "Nothing to undo.";

// When the run started, in local time: "2026-01-05 14:03:22".
std::string localTime(const timespec& when);
// The run as the user knows it: its time and "find" → "replace".
std::string runTitle(const RunRecord& run);
// One line of the history: time, front end, terms, files and how many have no copy to undo
// them with, replacements, taken back or not.
std::string historyLine(const RunRecord& run, bool inProgress);
// What an undo of the run takes back: "the run of <title>, 3 files", or, once an undo left some
// of its files to try again, "the rest of the run of <title>, 1 of 3 files".
std::string undoSubject(const RunRecord& run);
// The question the desktop asks before it takes the run back.
std::string undoQuestion(const RunRecord& run);
// "Taking back <subject>.", as the undo starts.
std::string takingBack(const RunRecord& run);
// "Restored N files." and how many were left alone, or what a dry run would do.
std::string undoReport(const UndoOutcome& outcome, bool dryRun);
// "; its original is kept as PATH" where the original of a file left alone is named, else nothing.
std::string originalNote(const LeftAlone& file);

struct Message {
  std::string text;  // lines broken by a lone CR
  bool critical = false;
};
// What the desktop's undo action shows; only the first few files left alone are named.
Message undoMessage(const UndoOutcome& outcome);

}  // namespace sorvane::journal::texts
