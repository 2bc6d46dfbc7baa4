#pragma once

#include "engine/run/engine_options.h"
#include "engine/run/host.h"
#include "engine/run/replace_run.h"
#include "engine/run/run_request.h"

#include <string>

namespace sorvane {

// The window's Replace command, from the click to the report: it reads the window through its
// host in the designed order (the checks, the recent terms, DisableControls), runs the request
// it has read, reports and gives the window back.
class ReplaceCommand {
 public:
  explicit ReplaceCommand(ReplaceHost& host, EngineOptions options = {});

  // The Replace command: the whole run, report included.
  void cmdReplace_Click();
  // The Replace of a preview: the same run over exactly the files it names, in its order, with
  // its terms. A file no longer as previewed fails; only its chosen occurrences are replaced.
  void replacePreviewed(const RunRequest& request);
  // What Replace checks first, and the Preview command too: that there is a file list or a
  // folder to work on (else the user is told so, and the answer is false), and that a pattern
  // and its template can be used (else the user is told why and shown where); then the terms go
  // into the recent lists.
  bool checkInputsAndRecordTerms();
  // The run the window's inputs ask for now.
  RunRequest requestFromWindow() const;

  // Appends `sItem` to a recent-term list unless an entry already contains it.
  static void ListAddItem(RecentTermList& lst, const std::string& sItem, CompareMode CaseSense);

  const EngineOptions& options() const { return run_.options(); }
  // The last run's outcome.
  const RunOutcome& outcome() const { return outcome_; }

 private:
  void runAndReport(const RunRequest& request);
  SearchTerms termsFromWindow() const;

  ReplaceHost& host_;
  ReplaceRun run_;
  RunOutcome outcome_;
};

}  // namespace sorvane
