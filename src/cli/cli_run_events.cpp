#include "cli/cli_run_events.h"

#include "cli/printed_line.h"
#include "engine/run/messages.h"

#include <csignal>
#include <ostream>

namespace sorvane::cli {
namespace {

volatile std::sig_atomic_t stopSignal = 0;

void onStopSignal(int) { stopSignal = 1; }

}  // namespace

CliRunEvents::CliRunEvents(const CliOptions& options, std::ostream& out, std::ostream& err, bool showProgress,
                           bool colour)
    : options_(options), out_(out), err_(err), progress_(err, showProgress, standardErrorColumns()) {
  if (options.preview) preview_.emplace(options, out, colour, [] { return stopSignal == 0; });
}

void CliRunEvents::report(const std::string& text) {
  progress_.erase();
  // A message breaks its lines with a lone CR; a line feed in it belongs to a name.
  std::size_t from = 0;
  for (std::size_t end = 0; (end = text.find('\r', from)) != std::string::npos; from = end + 1)
    printLine(out_, std::string_view(text).substr(from, end - from));
  printLine(out_, std::string_view(text).substr(from)) << std::flush;
}

void CliRunEvents::stoppedByFailure(std::int64_t replacements) { report(messages::operationStopped(replacements)); }

MessageAnswer CliRunEvents::fileFailed(const std::string& fileName, const Failure& failure) {
  reportFailure(fileName, failure);
  if (!failure.isFileSystemFailure()) return MessageAnswer::Ok;
  return options_.stopOnError ? MessageAnswer::Abort : MessageAnswer::Ignore;
}

void CliRunEvents::fileDone(const std::string& fileName, std::int64_t replacements) {
  if (preview_ && replacements > 0) {
    progress_.erase();
    FileToRewrite file = FileToRewrite::named(fileName);
    file.foundUnder = options_.folder.value_or("");  // so that no depth is too deep to open
    const Result<FilePreview> previewed = preview_->print(file, replacements);
    if (previewed.failure()) reportFailure(fileName, *previewed.failure());
  } else if (options_.list && replacements > 0) {
    progress_.erase();
    printLine(out_, fileName + ": " + std::to_string(replacements)) << std::flush;
  }
  progress_.fileDone(fileName, replacements);
}

void CliRunEvents::folderNotListed(const std::string& folder, const Failure& failure) { reportFailure(folder, failure); }

void CliRunEvents::reportFailure(const std::string& path, const Failure& failure) {
  progress_.erase();
  anyFailure_ = true;
  printLine(err_, "sorvane-cli: " + path + ": " + failure.description + " (error " + std::to_string(failure.number) + ")")
      << std::flush;
}

void CliRunEvents::journalSaid(const std::string& report) {
  progress_.erase();
  printLine(err_, "sorvane-cli: undo journal: " + report) << std::flush;
}

// A signal ends the run as the program going away would: the files stay whole, no report.
RunCourse CliRunEvents::takeEvents() { return stopSignal != 0 ? RunCourse::Abandon : RunCourse::GoOn; }

void installStopSignals() {
  struct sigaction action {};
  action.sa_handler = onStopSignal;
  sigemptyset(&action.sa_mask);
  ::sigaction(SIGINT, &action, nullptr);
  ::sigaction(SIGTERM, &action, nullptr);
  // Past a file-size limit a write should fail and be reported, not kill the program.
  ::signal(SIGXFSZ, SIG_IGN);
}

}  // namespace sorvane::cli
