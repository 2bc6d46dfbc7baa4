#include "engine/text/utf16_matcher.h"

#include "engine/text/case_variants.h"
#include "engine/text/utf8_units.h"

#include <algorithm>

namespace sorvane {
namespace {

constexpr char16_t CR = u'\r';

char16_t firstUnitOf(char32_t character) {
  return static_cast<char16_t>(character < 0x10000 ? character : 0xD800 + ((character - 0x10000) >> 10));
}

std::size_t roundUpToEven(std::size_t offset) { return offset + offset % 2; }

}  // namespace

Utf16Matcher::Utf16Matcher(std::string_view term, bool ignoreCase, utf16::ByteOrder order)
    : order_(order), startsWithLineFeed_(term.front() == '\n') {
  if (!ignoreCase || foldsLikeAscii(term)) {
    // Byte-wise folding of ASCII letters is right here too: their high bytes must be zero.
    const std::string bytes = utf16::fromUtf8(term, order).value();
    termBytes_ = maxLength_ = bytes.size();
    exact_.emplace(bytes, ignoreCase, order);
    return;
  }
  foldedTerm_ = utf8::foldedUnits(term);
  maxLength_ = foldedTerm_.size() * 4;  // a character takes at most two code units
  for (const char32_t variant : caseVariants(foldedTerm_.front())) firstUnits_.push_back(firstUnitOf(variant));
}

MatchResult Utf16Matcher::find(const unsigned char* data, std::size_t from, std::size_t to, bool atEnd) const {
  return exact_ ? findExact(data, from, to, atEnd) : findFolded(data, from, to, atEnd);
}

MatchResult Utf16Matcher::findExact(const unsigned char* data, std::size_t from, std::size_t to, bool atEnd) const {
  const char* const bytes = reinterpret_cast<const char*>(data);
  std::size_t at = from;
  while (at < to) {
    const std::size_t position = exact_->find(bytes + at, bytes + to) - bytes;
    if (position == to) break;
    if (position % 2 != 0) {  // the term's bytes straddle two code units
      at = position + 1;
      continue;
    }
    if (startsWithLineFeed_ && followsCarriageReturn(data, position)) {
      at = position + 2;
      continue;
    }
    return MatchResult{MatchResult::Kind::Found, position, termBytes_};
  }
  if (atEnd) return MatchResult{MatchResult::Kind::Settled, to};
  // An occurrence not found yet runs past `to`, so it starts after to - termBytes_.
  const std::size_t firstOpen = to >= termBytes_ ? roundUpToEven(to - termBytes_ + 1) : 0;
  return MatchResult{MatchResult::Kind::Settled, std::max(from, firstOpen)};
}

MatchResult Utf16Matcher::findFolded(const unsigned char* data, std::size_t from, std::size_t to,
                                     bool atEnd) const {
  for (std::size_t at = from; at + 2 <= to; at += 2) {
    if (std::find(firstUnits_.begin(), firstUnits_.end(), unitAt(data, at)) == firstUnits_.end()) continue;
    if (startsWithLineFeed_ && followsCarriageReturn(data, at)) continue;
    std::size_t length = 0;
    switch (matchFoldedAt(data, at, to, atEnd, length)) {
      case Verdict::Match:
        return MatchResult{MatchResult::Kind::Found, at, length};
      case Verdict::NeedMore:
        return MatchResult{MatchResult::Kind::NeedMore, at};
      case Verdict::Mismatch:
        break;
    }
  }
  // A last odd byte may still become a code unit.
  return MatchResult{MatchResult::Kind::Settled, atEnd ? to : to - (to - from) % 2};
}

Utf16Matcher::Verdict Utf16Matcher::matchFoldedAt(const unsigned char* data, std::size_t at, std::size_t to,
                                                  bool atEnd, std::size_t& length) const {
  std::size_t p = at;
  for (const char32_t wanted : foldedTerm_) {
    if (p + 2 > to) return atEnd ? Verdict::Mismatch : Verdict::NeedMore;
    const char16_t unit = unitAt(data, p);
    char32_t character = unit;
    std::size_t size = 2;
    if (utf16::isHighSurrogate(unit)) {
      if (p + 4 > to) return atEnd ? Verdict::Mismatch : Verdict::NeedMore;
      const char16_t next = unitAt(data, p + 2);
      if (!utf16::isLowSurrogate(next)) return Verdict::Mismatch;  // a lone surrogate is no character
      character = utf16::combine(unit, next);
      size = 4;
    }
    // A lone low surrogate folds to itself, which no character of the term is.
    if (utf8::foldUnit(character) != wanted) return Verdict::Mismatch;
    p += size;
  }
  length = p - at;
  return Verdict::Match;
}

bool Utf16Matcher::followsCarriageReturn(const unsigned char* data, std::size_t at) const {
  return at >= 2 && unitAt(data, at - 2) == CR;
}

}  // namespace sorvane
