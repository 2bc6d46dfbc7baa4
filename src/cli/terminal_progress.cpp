#include "cli/terminal_progress.h"

#include "engine/display/display_form.h"
#include "engine/text/utf8_units.h"

#include <ostream>
#include <vector>
#include <sys/ioctl.h>
#include <unistd.h>

namespace sorvane::cli {
namespace {

constexpr const char* kEraseLine = "\r\x1b[K";

// The path in display form, a piece for each character or escape, so that fitting it to the
// line never cuts one.
std::vector<std::string> shownPieces(const std::string& path) {
  std::vector<std::string> pieces;
  const auto* p = reinterpret_cast<const unsigned char*>(path.data());
  const auto* const end = p + path.size();
  while (p < end) {
    const std::size_t length = utf8::decodeUnit(p, end).length;
    pieces.push_back(display::shown(std::string_view(reinterpret_cast<const char*>(p), length)));
    p += length;
  }
  return pieces;
}

// An escape takes a column for each of its characters; a character takes one.
std::size_t columns(const std::string& piece) { return piece.front() == '\\' ? piece.size() : 1; }

// A path fitted to `width` columns with its middle left out.
std::string fitted(const std::string& path, std::size_t width) {
  const std::vector<std::string> pieces = shownPieces(path);
  std::size_t total = 0;
  for (const std::string& piece : pieces) total += columns(piece);
  const bool whole = total <= width;
  const std::size_t head = whole ? total : width < 4 ? 0 : (width - 3) / 2;
  const std::size_t tail = whole ? 0 : width < 4 ? width : width - 3 - head;
  std::string front, back;
  std::size_t first = 0;
  for (std::size_t used = 0; first < pieces.size() && used + columns(pieces[first]) <= head; ++first) {
    used += columns(pieces[first]);
    front += pieces[first];
  }
  if (whole) return front;
  std::size_t last = pieces.size();
  for (std::size_t used = 0; last > first && used + columns(pieces[last - 1]) <= tail; --last)
    used += columns(pieces[last - 1]);
  for (std::size_t i = last; i < pieces.size(); ++i) back += pieces[i];
  return width < 4 ? back : front + "..." + back;
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
