#include "cli/terminal_progress.h"

#include <ostream>
#include <sys/ioctl.h>
#include <unistd.h>

namespace sorvane::cli {
namespace {

constexpr const char* kEraseLine = "\r\x1b[K";

// A path fitted to `width` bytes with its middle left out, and nothing that would move the
// cursor: a control character in a name would break the line.
std::string fitted(const std::string& path, std::size_t width) {
  std::string shown;
  for (const char c : path) shown += static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? '?' : c;
  if (shown.size() <= width) return shown;
  if (width < 4) return shown.substr(shown.size() - width);
  const std::size_t head = (width - 3) / 2, tail = width - 3 - head;
  return shown.substr(0, head) + "..." + shown.substr(shown.size() - tail);
}

}  // namespace

TerminalProgress::TerminalProgress(std::ostream& terminal, bool enabled, int columns,
                                   std::function<Clock::time_point()> now)
    : terminal_(terminal),
      enabled_(enabled),
      columns_(columns > 1 ? static_cast<std::size_t>(columns) : 80),
      now_(std::move(now)),
      started_(now_()) {}

void TerminalProgress::fileDone(const std::string& path, std::int64_t replacements) {
  ++files_;
  replacements_ += replacements;
  if (!enabled_) return;
  const Clock::time_point at = now_();
  if (at - started_ < kShownAfter || (shown_ && at - drawn_ < kRedrawEvery)) return;
  drawn_ = at;
  draw(path);
}

void TerminalProgress::draw(const std::string& path) {
  const std::string counts = std::to_string(files_) + (files_ == 1 ? " file, " : " files, ") +
                             std::to_string(replacements_) + (replacements_ == 1 ? " replacement: " : " replacements: ");
  // One column short of the width: a line that fills it would wrap on some terminals.
  const std::size_t room = columns_ - 1 > counts.size() ? columns_ - 1 - counts.size() : 0;
  terminal_ << kEraseLine << counts << fitted(path, room) << std::flush;
  shown_ = true;
}

void TerminalProgress::erase() {
  if (!shown_) return;
  terminal_ << kEraseLine << std::flush;
  shown_ = false;
}

bool standardOutputIsTerminal() { return ::isatty(STDOUT_FILENO) == 1; }
bool standardErrorIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

int standardErrorColumns() {
  winsize size{};
  return ::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0 ? size.ws_col : 80;
}

}  // namespace sorvane::cli
