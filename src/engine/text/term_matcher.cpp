#include "engine/text/term_matcher.h"

#include "engine/text/case_variants.h"
#include "engine/text/utf16_units.h"
#include "engine/text/utf8_units.h"
#include "engine/text/word_characters.h"

#include <algorithm>
#include <cstring>

namespace sorvane {
namespace {

constexpr char CR = '\r';
constexpr char LF = '\n';
constexpr std::size_t kLongestSequence = 4;  // bytes of one UTF-8 character

// Every byte that can begin a unit whose folded form is `folded`.
std::vector<unsigned char> leadBytesFoldingTo(char32_t folded) {
  if (folded >= utf8::kInvalidByteBase) return {static_cast<unsigned char>(folded - utf8::kInvalidByteBase)};
  std::vector<unsigned char> bytes;
  for (const char32_t variant : caseVariants(folded)) bytes.push_back(utf8::leadByte(variant));
  return bytes;  // duplicates are harmless: the scanner keeps each byte once
}

bool isContinuationByte(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Every CR of a text is part of a line end, so a term holding one never occurs.
bool termFindsNothing(std::string_view term, TextEncoding encoding) {
  if (term.empty() || term.find(CR) != std::string_view::npos) return true;
  if (encoding == TextEncoding::Utf32) return true;
  return utf16ByteOrderOf(encoding) && !utf16::fromUtf8(term, utf16::ByteOrder::LittleEndian);
}

}  // namespace

TermMatcher::TermMatcher(std::string_view term, CompareMode compare, TextEncoding encoding, bool wholeWord)
    : term_(term),
      compare_(compare),
      findsNothing_(termFindsNothing(term, encoding)),
      occursInZeros_(!findsNothing_ && term.find_first_not_of('\0') == std::string_view::npos),
      startsWithLineFeed_(!term.empty() && term.front() == LF),
      maxLength_(term.size()),
      wholeWord_(wholeWord),
      unitSize_(utf16ByteOrderOf(encoding) ? 2 : 1),
      bigEndian_(encoding == TextEncoding::Utf16BE) {
  if (findsNothing_) return;
  // The character after an occurrence is read with it, to tell a whole word.
  const std::size_t after = wholeWord ? 4 : 0;
  if (const std::optional<utf16::ByteOrder> order = utf16ByteOrderOf(encoding)) {
    utf16_.emplace(term, compare_ == CompareMode::Text, *order);
    maxLength_ = utf16_->maxOccurrenceLength();
  } else if (compare_ == CompareMode::Binary) {
    exact_.emplace(term, false);
  } else if (foldsLikeAscii(term)) {
    exact_.emplace(term, true);
  } else {
    foldedTerm_ = utf8::foldedUnits(term);
    maxLength_ = foldedTerm_.size() * 4;  // a unit of the text takes at most four bytes
    firstUnitBytes_.emplace(leadBytesFoldingTo(foldedTerm_.front()));
    const char32_t first = foldedTerm_.front();
    startsWithStrayContinuation_ =
        first >= utf8::kInvalidByteBase && isContinuationByte(static_cast<unsigned char>(first - utf8::kInvalidByteBase));
  }
  maxLength_ += after;
}

TermMatcher::Result TermMatcher::findWholeWord(const char* data, std::size_t from, std::size_t to, bool atEnd) const {
  const auto* bytes = reinterpret_cast<const unsigned char*>(data);
  for (std::size_t at = from;;) {
    const Result found = find(data, at, to, atEnd);
    if (found.kind != Result::Kind::Found) return found;
    const std::size_t end = found.position + found.length;
    const std::optional<bool> wordAfter = wordCharacterAt(bytes, end, to, atEnd, unitSize_, bigEndian_);
    if (!wordAfter) return Result{Result::Kind::NeedMore, found.position};
    if (!*wordAfter && !wordCharacterBefore(bytes, found.position, unitSize_, bigEndian_)) return found;
    at = found.position + unitSize_;
  }
}

TermMatcher::Result TermMatcher::find(const char* data, std::size_t from, std::size_t to, bool atEnd) const {
  if (findsNothing_) return Result{Result::Kind::Settled, to};
  if (exact_) return findExact(data, from, to, atEnd);
  if (utf16_) return utf16_->find(reinterpret_cast<const unsigned char*>(data), from, to, atEnd);
  return findFolded(reinterpret_cast<const unsigned char*>(data), from, to, atEnd);
}

TermMatcher::Result TermMatcher::findExact(const char* data, std::size_t from, std::size_t to, bool atEnd) const {
  std::size_t at = from;
  while (at < to) {
    const std::size_t position = exact_->find(data + at, data + to) - data;
    if (position == to) break;
    // A leading LF right after a CR belongs to a line end.
    if (startsWithLineFeed_ && position > 0 && data[position - 1] == CR) {
      at = position + 1;
      continue;
    }
    return Result{Result::Kind::Found, position, term_.size()};
  }
  // Only the last term-length-minus-one bytes may still begin an occurrence.
  const std::size_t unsettled = atEnd ? 0 : term_.size() - 1;
  return Result{Result::Kind::Settled, std::max(from, to > unsettled ? to - unsettled : 0)};
}

TermMatcher::Result TermMatcher::findFolded(const unsigned char* data, std::size_t from, std::size_t to,
                                            bool atEnd) const {
  std::size_t at = from;
  while (at < to) {
    at = firstUnitBytes_->find(data + at, data + to) - data;
    if (at == to) break;
    bool needMore = false;
    if (startsWithLineFeed_ && at > 0 && data[at - 1] == CR) {
      ++at;
      continue;
    }
    if (startsWithStrayContinuation_ && insideCharacter(data, at, to, atEnd, needMore)) {
      ++at;
      continue;
    }
    if (needMore) return Result{Result::Kind::NeedMore, at};
    std::size_t length = 0;
    switch (matchFoldedAt(data, at, to, atEnd, length)) {
      case Verdict::Match:
        return Result{Result::Kind::Found, at, length};
      case Verdict::NeedMore:
        return Result{Result::Kind::NeedMore, at};
      case Verdict::Mismatch:
        ++at;
        break;
    }
  }
  return Result{Result::Kind::Settled, to};
}

TermMatcher::Verdict TermMatcher::matchFoldedAt(const unsigned char* data, std::size_t at, std::size_t to,
                                                bool atEnd, std::size_t& length) const {
  std::size_t p = at;
  for (const char32_t wanted : foldedTerm_) {
    if (p == to) return atEnd ? Verdict::Mismatch : Verdict::NeedMore;
    const unsigned char byte = data[p];
    if (byte < 0x80) {  // the common case needs no decoding
      const char32_t folded = byte >= 'A' && byte <= 'Z' ? byte + ('a' - 'A') : byte;
      if (folded != wanted) return Verdict::Mismatch;
      ++p;
      continue;
    }
    const utf8::Unit unit = utf8::decodeUnit(data + p, data + to);
    if (unit.truncated && !atEnd) return Verdict::NeedMore;
    if (utf8::foldUnit(unit.value) != wanted) return Verdict::Mismatch;
    p += unit.length;
  }
  length = p - at;
  return Verdict::Match;
}

// A stray continuation byte of the term matches only a byte that is not part of a valid
// character; looks back for a valid sequence that covers `at`.
bool TermMatcher::insideCharacter(const unsigned char* data, std::size_t at, std::size_t to, bool atEnd,
                                  bool& needMore) const {
  for (std::size_t back = 1; back < kLongestSequence && back <= at; ++back) {
    const utf8::Unit unit = utf8::decodeUnit(data + at - back, data + to);
    if (unit.truncated && !atEnd) {
      needMore = true;
      return false;
    }
    if (!unit.truncated && unit.length > back) return true;
  }
  return false;
}

bool containsTerm(std::string_view text, std::string_view term, CompareMode compare) {
  if (text.empty()) return false;
  if (compare == CompareMode::Binary) return text.find(term) != std::string_view::npos;
  const std::vector<char32_t> haystack = utf8::foldedUnits(text);
  const std::vector<char32_t> needle = utf8::foldedUnits(term);
  return std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end()) != haystack.end();
}

}  // namespace sorvane
