#include "engine/preview/preview_builder.h"

#include "engine/text/utf16_units.h"

#include <algorithm>
#include <iterator>
#include <utility>
#include <vector>

namespace sorvane {
namespace {

constexpr char32_t CR = U'\r';
constexpr char32_t LF = U'\n';
constexpr const char* kCut = "\xE2\x80\xA6";  // where text was left out
constexpr std::size_t kContext = PreviewLine::kContext;

// In a room of its own size: a line keeps its texts for as long as the list shows it.
std::string joined(std::string_view first, std::string_view second) {
  std::string text;
  text.reserve(first.size() + second.size());
  return text.append(first).append(second);
}

}  // namespace

PreviewBuilder::PreviewBuilder(TextEncoding encoding, DisplayEncoding shown, std::optional<std::string> replacement,
                               PreviewLineSink& sink)
    : order_(utf16ByteOrderOf(encoding)),
      unitSize_(order_ ? 2 : 1),
      shown_(shown),
      sink_(sink),
      lineEndBytes_({'\r', '\n'}),
      markLeft_(byteOrderMarkLength(encoding)),
      replacement_(std::move(replacement)),
      countingOnly_(!sink.wantsLines()) {}

// The rewriter hands UTF-16 text on in whole code units, but for an odd last byte.
bool PreviewBuilder::keep(std::string_view bytes) {
  if (countingOnly_) return true;
  const std::size_t mark = std::min(markLeft_, bytes.size());
  markLeft_ -= mark;
  bytes.remove_prefix(mark);
  const std::size_t whole = bytes.size() - bytes.size() % unitSize_;
  if (whole < bytes.size()) oddLastByte_ = bytes.back();
  return keepUnits(bytes.substr(0, whole));
}

// An occurrence is whole code units. The matcher never lets one hold a CR, nor start with the LF
// of a CR LF: an LF is the only line end it can hold.
bool PreviewBuilder::replace(std::string_view occurrence, std::string_view replacement) {
  if (countingOnly_) return true;
  shownReplacement_.decode(replacement);
  return addOccurrence(occurrence, shownReplacement_.text());
}

bool PreviewBuilder::addOccurrence(std::string_view occurrence, std::string_view shownReplacement) {
  if (countingOnly_) return true;
  afterCr_ = false;
  if (occurrencesInPiece_ == PreviewLine::kMostOccurrences) {
    if (!handOn(true)) return false;
    piece_.continued = true;
  }
  if (occurrencesInPiece_ == 0) {
    piece_.number = lineNumber_;
    addText(textBefore());
  } else {
    addText(textBetween());
  }
  stretch_.clear();
  shownText_.decode(occurrence);
  piece_.segments.push_back(
      PreviewSegment{std::string(shownText_.text()), true, occurrences_++, std::string(shownReplacement)});
  ++occurrencesInPiece_;
  for (std::size_t at = 0; at < occurrence.size(); at += unitSize_)
    if (unitAt(occurrence, at) == LF) ++lineNumber_;
  return true;
}

// Zeros, which end no line. A hole is passed over only after zeros that were read, so no CR
// waits for its LF, and in UTF-16 it is whole code units.
bool PreviewBuilder::keepHole(std::uint64_t length) {
  if (countingOnly_) return true;
  stretch_.appendZeros(length);
  return true;
}

bool PreviewBuilder::finish() {
  if (countingOnly_) return true;
  if (oddLastByte_) stretch_.append(std::string_view(&*oddLastByte_, 1));
  return occurrencesInPiece_ == 0 || handOn(false);
}

bool PreviewBuilder::keepUnits(std::string_view units) {
  while (!units.empty()) {
    if (std::exchange(afterCr_, false) && unitAt(units, 0) == LF) {  // the second half of a CR LF
      units.remove_prefix(unitSize_);
      continue;
    }
    const std::size_t end = lineEndIn(units);
    stretch_.append(units.substr(0, end));
    if (end == units.size()) return true;
    afterCr_ = unitAt(units, end) == CR;
    units.remove_prefix(end + unitSize_);
    if (!endLine()) return false;
  }
  return true;
}

// Where the first CR or LF unit starts, or the size when there is none. A byte that looks like
// one may be half of another UTF-16 unit.
std::size_t PreviewBuilder::lineEndIn(std::string_view units) const {
  const auto* const first = reinterpret_cast<const unsigned char*>(units.data());
  const auto* const end = first + units.size();
  const unsigned char* p = first;
  while ((p = lineEndBytes_.find(p, end)) < end) {
    const std::size_t at = static_cast<std::size_t>(p - first) / unitSize_ * unitSize_;
    const char32_t unit = unitAt(units, at);
    if (unit == CR || unit == LF) return at;
    p = first + at + unitSize_;
  }
  return units.size();
}

char32_t PreviewBuilder::unitAt(std::string_view units, std::size_t at) const {
  const auto* const p = reinterpret_cast<const unsigned char*>(units.data()) + at;
  return order_ ? utf16::unitAt(p, *order_) : *p;
}

bool PreviewBuilder::endLine() {
  const bool goOn = occurrencesInPiece_ == 0 || handOn(false);
  stretch_.clear();
  ++lineNumber_;
  return goOn;
}

// Hands the piece to the sink, ended by the text after its last occurrence.
bool PreviewBuilder::handOn(bool lineGoesOn) {
  addText(textAfter(lineGoesOn));
  // The sink keeps the line: its segments move to a room of their own size, and the piece keeps
  // its room for the next.
  std::vector<PreviewSegment> segments(std::make_move_iterator(piece_.segments.begin()),
                                       std::make_move_iterator(piece_.segments.end()));
  declined_ = !sink_.line(PreviewLine{piece_.number, lineNumber_, piece_.continued, std::move(segments)});
  countingOnly_ = !sink_.wantsLines();
  piece_.segments.clear();
  piece_.continued = false;
  occurrencesInPiece_ = 0;
  return !declined_;
}

void PreviewBuilder::addText(std::string text) {
  if (!text.empty()) piece_.segments.push_back(PreviewSegment{std::move(text), false, -1, {}});
}

// The first and the last bytes of a stretch hold more than kContext characters when it is longer,
// whatever their encoding, and a character that their edge cuts into is never among those shown.
std::string PreviewBuilder::textBefore() {
  shownText_.decode(stretch_.last());
  const bool cut = piece_.continued || shownText_.length() > kContext;
  return joined(cut ? kCut : "", shownText_.last(kContext));
}

std::string PreviewBuilder::textAfter(bool lineGoesOn) {
  shownText_.decode(stretch_.first());
  const bool cut = lineGoesOn || shownText_.length() > kContext;
  return joined(shownText_.first(kContext), cut ? kCut : "");
}

std::string PreviewBuilder::textBetween() {
  if (stretch_.whole()) {
    const std::string all = stretch_.all();
    shownText_.decode(all);
    if (shownText_.length() <= 2 * kContext) return std::string(shownText_.text());
  }
  const std::string after = textAfter(true);
  shownText_.decode(stretch_.last());
  return joined(after, shownText_.last(kContext));
}

}  // namespace sorvane
