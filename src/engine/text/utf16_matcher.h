#pragma once

#include "engine/text/exact_searcher.h"
#include "engine/text/match_result.h"
#include "engine/text/utf16_units.h"

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

namespace sorvane {

// Finds occurrences of a term in UTF-16 text, on whole code units: an occurrence starts at an
// even offset, never inside a surrogate pair, and never takes in a lone surrogate or a last odd
// byte. Line ends bound occurrences as in 8-bit text, on code units: U+000D, and the U+000A
// that follows one. Case is ignored by Unicode simple case folding of whole characters.
class Utf16Matcher {
 public:
  // `term` is valid UTF-8, not empty, and holds no CR.
  Utf16Matcher(std::string_view term, bool ignoreCase, utf16::ByteOrder order);

  // As TermMatcher::find. data[0] begins a code unit and `from` is even; data[from - 2, from)
  // is the code unit before `from`, where there is one.
  MatchResult find(const unsigned char* data, std::size_t from, std::size_t to, bool atEnd) const;

  std::size_t maxOccurrenceLength() const { return maxLength_; }

 private:
  MatchResult findExact(const unsigned char* data, std::size_t from, std::size_t to, bool atEnd) const;
  MatchResult findFolded(const unsigned char* data, std::size_t from, std::size_t to, bool atEnd) const;
  enum class Verdict { Match, Mismatch, NeedMore };
  Verdict matchFoldedAt(const unsigned char* data, std::size_t at, std::size_t to, bool atEnd,
                        std::size_t& length) const;
  bool followsCarriageReturn(const unsigned char* data, std::size_t at) const;
  char16_t unitAt(const unsigned char* data, std::size_t at) const { return utf16::unitAt(data + at, order_); }

  utf16::ByteOrder order_;
  bool startsWithLineFeed_;
  std::size_t termBytes_ = 0;
  std::size_t maxLength_ = 0;
  std::optional<ExactSearcher> exact_;
  std::vector<char32_t> foldedTerm_;
  std::vector<char16_t> firstUnits_;  // every code unit that can begin an occurrence
};

}  // namespace sorvane
