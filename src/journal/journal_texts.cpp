#include "journal/journal_texts.h"

#include "engine/display/display_form.h"

#include <cstdint>
#include <ctime>

namespace sorvane::journal::texts {
namespace {

constexpr std::size_t kNamedInMessage = 10;

// A term in quotes, in display form, so it stays on its line.
std::string shownTerm(const std::string& term) { return "\"" + display::shown(term) + "\""; }

// A pattern between slashes, as a user writes one: /ne+dle/ → "pin".
std::string terms(const RunRecord& run) {
  const std::string find = run.pattern ? "/" + display::shown(run.find) + "/" : shownTerm(run.find);
  return find + " \u2192 " + shownTerm(run.replace) + (run.compareMode == CompareMode::Text ? " (ignoring case)" : "") +
         (run.wholeWord ? " (whole words)" : "");
}

// "1 file", "2 files"; "1 replacement", "2 replacements".
std::string counted(std::int64_t count, const std::string& noun) {
  return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}
std::string files(std::size_t count) { return counted(static_cast<std::int64_t>(count), "file"); }

}  // namespace

std::string localTime(const timespec& when) {
  tm local{};
  ::localtime_r(&when.tv_sec, &local);
  char text[32];
  return std::string(text, std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local));
}

std::string runTitle(const RunRecord& run) { return localTime(run.started) + ", " + terms(run); }

std::string historyLine(const RunRecord& run, bool inProgress) {
  const std::string replacements =
      run.replacements ? counted(*run.replacements, "replacement") : std::string("did not finish");
  const char* state = inProgress ? "in progress" : run.undone ? "taken back" : "not taken back";
  const std::int64_t replaced = run.filesReplaced.value_or(run.filesPutInPlace());
  const std::int64_t withoutCopy = run.filesWithoutCopy();
  return localTime(run.started) + "  " + run.frontEnd + "  " + terms(run) + "  " + counted(replaced, "file") +
         (withoutCopy > 0 ? " (" + std::to_string(withoutCopy) + " without a copy)" : "") + "  " + replacements + "  " +
         state;
}

std::string undoSubject(const RunRecord& run) {
  const std::size_t placed = static_cast<std::size_t>(run.filesPutInPlace());
  if (run.undoAttempts == 0) return "the run of " + runTitle(run) + ", " + files(placed);
  return "the rest of the run of " + runTitle(run) + ", " + std::to_string(filesToTry(run).size()) + " of " +
         files(placed);
}

std::string undoQuestion(const RunRecord& run) { return "Take back " + undoSubject(run) + "?"; }

std::string takingBack(const RunRecord& run) { return "Taking back " + undoSubject(run) + "."; }

std::string undoReport(const UndoOutcome& outcome, bool dryRun) {
  const std::string leftAlone = std::to_string(outcome.leftAlone.size());
  if (dryRun) {
    return "Would restore " + files(outcome.restored.size()) + "." +
           (outcome.leftAlone.empty() ? "" : " " + leftAlone + " would be left alone.");
  }
  const std::string before = outcome.restoredBefore == 0 ? ""
                             : " " + std::to_string(outcome.restoredBefore) + " more had been restored by an undo that was cut off.";
  return "Restored " + files(outcome.restored.size()) + "." + before +
         (outcome.leftAlone.empty()  ? ""
          : outcome.triesAgain       ? " " + leftAlone + " left alone; the next undo tries the rest of the run."
                                     : " " + leftAlone + " left alone.");
}

std::string originalNote(const LeftAlone& file) {
  return file.original.empty() ? "" : "; its original is kept as " + file.original;
}

Message undoMessage(const UndoOutcome& outcome) {
  switch (outcome.kind) {
    case UndoOutcome::Kind::NothingToUndo:
      return {kNothingToUndo, false};
    case UndoOutcome::Kind::InProgress:
      return {"The run of " + runTitle(outcome.run) + " is still in progress, so nothing was taken back.", true};
    case UndoOutcome::Kind::Refused:
      return {"The undo journal cannot be used, so nothing was taken back:\r" + outcome.error, true};
    case UndoOutcome::Kind::TakenBack:
      break;
  }
  Message message{std::string(outcome.triesAgain ? "Took back part of " : "Took back ") + undoSubject(outcome.run) +
                      ".\r\r" + undoReport(outcome, false),
                  false};
  if (!outcome.leftAlone.empty()) message.text += "\r";
  for (std::size_t i = 0; i < outcome.leftAlone.size() && i < kNamedInMessage; ++i)
    message.text += "\r" + outcome.leftAlone[i].path + ": " + outcome.leftAlone[i].reason + originalNote(outcome.leftAlone[i]);
  if (outcome.leftAlone.size() > kNamedInMessage)
    message.text += "\rand " + std::to_string(outcome.leftAlone.size() - kNamedInMessage) + " more";
  if (!outcome.error.empty()) message.text += "\r\r" + outcome.error;
  message.critical = !outcome.leftAlone.empty() || !outcome.error.empty();
  return message;
}

}  // namespace sorvane::journal::texts
