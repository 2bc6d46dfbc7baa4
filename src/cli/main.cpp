#include "cli/cli_run_events.h"
#include "cli/cli_journal.h"
#include "cli/cli_options.h"
#include "cli/distinct_files.h"
#include "cli/printed_line.h"
#include "engine/run/file_types.h"
#include "engine/run/messages.h"
#include "engine/run/replace_run.h"
#include "journal/run_recorder.h"
#include "sorvane/version.h"

#include <iostream>
#include <optional>

namespace {

sorvane::RunRequest requestOf(const sorvane::cli::CliOptions& options) {
  using namespace sorvane;
  RunRequest request{options.searchTerms(), {}, options.dryRun};
  if (options.folder)
    request.over = FolderRun{*options.folder, patternForFileType(options.fileType), options.recursive, options.masks,
                             options.binary};
  else
    request.over = FileList::of(options.files);
  return request;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace sorvane;
  std::ios::sync_with_stdio(false);

  std::string error;
  auto options = cli::parseArguments(std::vector<std::string>(argv + 1, argv + argc), error);
  if (!options) {
    cli::printLine(std::cerr, "sorvane-cli: " + error) << '\n' << cli::kUsage;
    return 2;
  }
  if (options->help) {
    std::cout << cli::kUsage;
    return 0;
  }
  if (options->version) {
    std::cout << "sorvane-cli " << kVersionText << '\n';
    return 0;
  }
  const std::string stateHome = journal::defaultStateHome();
  if (options->undo) return cli::undoCommand(stateHome, options->dryRun, std::cout, std::cerr);
  if (options->history) return cli::historyCommand(stateHome, std::cout, std::cerr);
  options->files = cli::distinctFiles(options->files);

  cli::installStopSignals();
  const bool colour = options->color == cli::ColorChoice::Always ||
                      (options->color == cli::ColorChoice::Auto && cli::standardOutputIsTerminal());
  cli::CliRunEvents events(*options, std::cout, std::cerr, !options->noProgress && cli::standardErrorIsTerminal(),
                           colour);
  EngineOptions engineOptions;
  engineOptions.jobs = options->jobs;
  std::optional<journal::RunRecorder> recorder;
  if (!options->noUndo) {
    recorder.emplace(stateHome, "sorvane-cli");
    engineOptions.undoRecord = &*recorder;
  }
  const RunOutcome outcome = ReplaceRun(engineOptions).run(requestOf(*options), events);
  events.eraseProgress();
  if (outcome.abandoned) {
    std::cerr << "Operation stopped.\n";
    return 1;
  }
  // Said where a user looks before a run, and apart from the report, which stays as it was.
  if (outcome.binaryPassedOver > 0 && (options->dryRun || options->list))
    std::cerr << "sorvane-cli: " << messages::binaryPassedOver(outcome.binaryPassedOver) << '\n';
  events.report(options->dryRun ? messages::dryRunReport(outcome.replacements) : messages::report(outcome.replacements));
  return events.anyFailure() || outcome.stopped ? 1 : 0;
}
