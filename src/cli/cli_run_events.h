#pragma once

#include "cli/cli_options.h"
#include "cli/preview_printer.h"
#include "cli/terminal_progress.h"
#include "engine/run/run_events.h"

#include <iosfwd>
#include <optional>
#include <string>

namespace sorvane::cli {

// What a run tells, on a terminal: reports go to standard output, failures to standard error,
// one line each, and each failure is answered as the options say. With `showProgress`, a long
// run keeps a line of progress on standard error. With --preview, each file that holds the term
// is previewed as it is counted, in the run's order; `colour` marks the preview's texts.
class CliRunEvents final : public RunEvents {
 public:
  CliRunEvents(const CliOptions& options, std::ostream& out, std::ostream& err, bool showProgress = false,
               bool colour = false);

  MessageAnswer fileFailed(const std::string& fileName, const Failure& failure) override;
  void stoppedByFailure(std::int64_t replacements) override;
  void fileDone(const std::string& fileName, std::int64_t replacements) override;
  void folderNotListed(const std::string& folder, const Failure& failure) override;
  RunCourse takeEvents() override;

  // Prints a line of the run's report, or a message, on standard output.
  void report(const std::string& text);
  bool anyFailure() const { return anyFailure_; }
  // What the undo journal says: its own failure, or a file it cannot take back. The run's
  // outcome stays as it is.
  void journalSaid(const std::string& report) override;
  // Clears the progress line before the program prints a line of its own.
  void eraseProgress() { progress_.erase(); }

 private:
  void reportFailure(const std::string& path, const Failure& failure);

  const CliOptions& options_;
  std::ostream& out_;
  std::ostream& err_;
  TerminalProgress progress_;
  std::optional<PreviewPrinter> preview_;
  bool anyFailure_ = false;
};

// Makes SIGINT and SIGTERM ask the run to stop, so an interrupted run leaves every file whole,
// and lets a write past a file-size limit fail as a write rather than end the program.
void installStopSignals();

}  // namespace sorvane::cli
