#include "cli/terminal_progress.h"

#include <gtest/gtest.h>

#include <sstream>

namespace sorvane::testing {
namespace {

using namespace std::chrono_literals;

// Nothing for a short run or off a terminal; then one line, redrawn in place at most ten times a
// second, fitted to the terminal with the path's middle left out (never within a character or an
// escape), and erased before anything else.
TEST(TerminalProgress, ALongRunKeepsOneFittedLineThatIsErasedBeforeOtherLines) {
  for (const bool enabled : {false, true}) {
    std::ostringstream terminal;
    cli::TerminalProgress::Clock::time_point now{};
    cli::TerminalProgress progress(terminal, enabled, 40, [&] { return now; });
    progress.fileDone("/early.txt", 1);
    now += 1s;
    progress.fileDone("/data/a-rather-long-folder/b\x1B.t", 2);
    now += 50ms;
    progress.fileDone("/too-soon.txt", 0);
    progress.erase();
    progress.erase();
    const std::string expected = enabled ? "\r\x1b[K2 files, 3 replacements: /data...\\x1B.t\r\x1b[K" : "";
    EXPECT_EQ(terminal.str(), expected) << enabled;
  }
}

}  // namespace
}  // namespace sorvane::testing
