#include "cli/preview_printer.h"

#include "engine/display/display_form.h"

#include <ostream>
#include <utility>

namespace sorvane::cli {
namespace {

// Select Graphic Rendition sequences; each marked text is followed by the reset.
constexpr const char* kOccurrenceColour = "\x1b[1;31m";
constexpr const char* kReplacementColour = "\x1b[1;32m";
constexpr const char* kPathColour = "\x1b[35m";
constexpr const char* kReset = "\x1b[0m";

}  // namespace

PreviewPrinter::PreviewPrinter(const CliOptions& options, std::ostream& out, bool colour, std::function<bool()> goOn)
    : list_(options.list),
      terms_(options.searchTerms()),
      out_(out),
      colour_(colour),
      yielder_(std::move(goOn)) {}

Result<FilePreview> PreviewPrinter::print(const FileToRewrite& file, std::int64_t occurrences) {
  printMarked(display::shown(file.path), kPathColour);
  if (list_) out_ << ": " << occurrences;
  out_ << '\n';
  linesAdded_ = 0;
  Result<FilePreview> previewed = previewFile(file, terms_, *this, yielder_, buffers_);
  out_ << std::flush;
  return previewed;
}

bool PreviewPrinter::line(PreviewLine&& line) {
  printSide(line, false, line.number);
  const std::int64_t lastAsItWillBe = printSide(line, true, line.number + linesAdded_);
  linesAdded_ = lastAsItWillBe - line.lastNumber;
  return true;
}

std::int64_t PreviewPrinter::printSide(const PreviewLine& line, bool asItWillBe, std::int64_t number) {
  const char side = asItWillBe ? '+' : '-';
  out_ << number << side << ": ";
  for (const PreviewSegment& piece : line.segments) {
    const std::string_view text = asItWillBe && piece.occurrence ? piece.replacement : piece.text;
    const char* const colour = !piece.occurrence ? nullptr : asItWillBe ? kReplacementColour : kOccurrenceColour;
    // Only an occurrence or a replacement holds a line end, as one LF.
    std::size_t from = 0;
    for (std::size_t end = 0; (end = text.find('\n', from)) != std::string_view::npos; from = end + 1) {
      printMarked(text.substr(from, end - from), colour);
      out_ << '\n' << ++number << side << ": ";
    }
    printMarked(text.substr(from), colour);
  }
  out_ << '\n';
  return number;
}

void PreviewPrinter::printMarked(std::string_view text, const char* colour) {
  if (colour_ && colour && !text.empty())
    out_ << colour << text << kReset;
  else
    out_ << text;
}

}  // namespace sorvane::cli
