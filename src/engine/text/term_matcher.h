#pragma once

#include "engine/text/byte_set_scanner.h"
#include "engine/text/exact_searcher.h"
#include "engine/text/match_result.h"
#include "engine/text/text_encoding.h"
#include "engine/text/utf16_matcher.h"
#include "vocabulary/vocabulary.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sorvane {

// Finds occurrences of one term in a window of a stream of text in one encoding (the text
// after any byte order mark). Line ends (CR LF, or CR alone) bound occurrences: an occurrence
// never includes a CR, nor the LF that follows one. An empty term has no occurrence, and a term
// that is not valid UTF-8 has none in UTF-16 text.
class TermMatcher {
 public:
  // Bytes before `from` that find() may read to judge where an occurrence may start. Even, so
  // that a stream that keeps them keeps two-byte code units at even offsets.
  static constexpr std::size_t kLookback = 4;

  using Result = MatchResult;

  // `term` is UTF-8. Text with a UTF-8 byte order mark is searched as 8-bit text; UTF-32 text
  // is never searched. With `wholeWord`, an occurrence counts only with no word character right
  // before or after it; one that fails does not hide a later one that starts inside it.
  TermMatcher(std::string_view term, CompareMode compare, TextEncoding encoding = TextEncoding::Bytes,
              bool wholeWord = false);

  // Searches data[from, to) for the leftmost occurrence. data[from - kLookback, from) must be
  // the bytes that precede `from` in the stream, where there are any. `atEnd` says that no byte
  // follows `to`; then the result is never NeedMore. find() takes any occurrence; a matcher of
  // whole words is asked with findWholeWord(), which a stream chooses once for all its finds.
  Result find(const char* data, std::size_t from, std::size_t to, bool atEnd) const;
  Result findWholeWord(const char* data, std::size_t from, std::size_t to, bool atEnd) const;
  bool wholeWord() const { return wholeWord_; }

  // The longest stretch of the stream an occurrence can cover.
  std::size_t maxOccurrenceLength() const { return maxLength_; }

  bool findsNothing() const { return findsNothing_; }
  // True when a run of zero bytes can hold an occurrence: only a term of NUL characters does,
  // in any encoding and either comparison.
  bool occursInZeros() const { return occursInZeros_; }

 private:
  Result findExact(const char* data, std::size_t from, std::size_t to, bool atEnd) const;
  Result findFolded(const unsigned char* data, std::size_t from, std::size_t to, bool atEnd) const;
  enum class Verdict { Match, Mismatch, NeedMore };
  Verdict matchFoldedAt(const unsigned char* data, std::size_t at, std::size_t to, bool atEnd,
                        std::size_t& length) const;
  bool insideCharacter(const unsigned char* data, std::size_t at, std::size_t to, bool atEnd,
                       bool& needMore) const;

  std::string term_;
  CompareMode compare_;
  bool findsNothing_;
  bool occursInZeros_;
  bool startsWithLineFeed_;
  std::size_t maxLength_;
  std::vector<char32_t> foldedTerm_;
  std::optional<ExactSearcher> exact_;
  std::optional<ByteSetScanner> firstUnitBytes_;
  std::optional<Utf16Matcher> utf16_;
  bool startsWithStrayContinuation_ = false;
  bool wholeWord_;
  std::size_t unitSize_;  // of the text's code units
  bool bigEndian_;
};

// True when `text` contains `term` under the comparison mode (an empty term is in every
// non-empty text; nothing is in an empty text).
bool containsTerm(std::string_view text, std::string_view term, CompareMode compare);

}  // namespace sorvane
