#include "cli/cli_host.h"

#include <algorithm>
#include <csignal>
#include <ostream>

namespace sorvane::cli {
namespace {

volatile std::sig_atomic_t stopSignal = 0;

void onStopSignal(int) { stopSignal = 1; }

}  // namespace

CliHost::CliHost(const CliOptions& options, std::ostream& out, std::ostream& err)
    : options_(options), out_(out), err_(err) {}

int CliHost::showMessage(const std::string& text, int style, const std::string&) {
  std::string lines = text;
  std::replace(lines.begin(), lines.end(), '\r', '\n');
  if (style == kStyleInformation) {
    out_ << lines << '\n' << std::flush;
    return kButtonOk;
  }
  anyFailure_ = true;
  err_ << lines << '\n' << std::flush;
  if (style == kStyleAbortRetryIgnore) return options_.stopOnError ? kButtonAbort : kButtonIgnore;
  return kButtonOk;
}

bool CliHost::stopRequested() const { return stopSignal != 0; }

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
