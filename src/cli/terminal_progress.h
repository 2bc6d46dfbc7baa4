#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>

namespace sorvane::cli {

// One line of progress on a terminal for a run that lasts: files done, replacements so far and
// the file last done, redrawn in place a few times a second once the run has taken a second. It
// is erased before any other line is printed, so a report or an error line never shares it.
class TerminalProgress {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr std::chrono::milliseconds kShownAfter{1000};
  static constexpr std::chrono::milliseconds kRedrawEvery{100};

  // Shows nothing unless `enabled` (standard error is a terminal and progress was not declined).
  // `columns` is the terminal's width.
  TerminalProgress(std::ostream& terminal, bool enabled, int columns,
                   std::function<Clock::time_point()> now = &Clock::now);

  void fileDone(const std::string& path, std::int64_t replacements);
  // Clears the line, if one is shown, before something else is printed.
  void erase();

 private:
  void draw(const std::string& path);

  std::ostream& terminal_;
  bool enabled_;
  std::size_t columns_;
  std::function<Clock::time_point()> now_;
  Clock::time_point started_;
  Clock::time_point drawn_{};
  bool shown_ = false;
  std::int64_t files_ = 0;
  std::int64_t replacements_ = 0;
};

// Whether standard output or error is a terminal, and the latter's width in columns (80 when it
// does not say).
bool standardOutputIsTerminal();
bool standardErrorIsTerminal();
int standardErrorColumns();

}  // namespace sorvane::cli
