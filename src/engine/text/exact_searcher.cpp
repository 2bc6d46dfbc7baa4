#include "engine/text/exact_searcher.h"

#include "engine/text/byte_frequency.h"

#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace sorvane {
namespace {

bool isAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

}  // namespace

ExactSearcher::ExactSearcher(std::string_view needle, bool ignoreAsciiCase, std::optional<utf16::ByteOrder> utf16Order)
    : needle_(needle), fold_(needle.size(), '\0') {
  // x | 0x20 equals a lower-case letter exactly when x is that letter in either case.
  for (std::size_t i = 0; ignoreAsciiCase && i < needle_.size(); ++i) {
    if (!isAsciiLetter(needle_[i])) continue;
    fold_[i] = 0x20;
    needle_[i] = static_cast<char>(needle_[i] | 0x20);
  }

  // In UTF-16 only the low byte of a code unit tells characters apart: the high byte is shared
  // by a whole script (zero for ASCII), so it is never the rare one.
  const std::size_t n = needle_.size();
  const std::size_t step = utf16Order ? 2 : 1;
  const std::size_t from = utf16Order == utf16::ByteOrder::BigEndian ? 1 : 0;
  const auto rank = [&](std::size_t i) { return kByteFrequencyRank[static_cast<unsigned char>(needle_[i])]; };
  rare_ = from;
  for (std::size_t i = from; i < n; i += step)
    if (rank(i) < rank(rare_)) rare_ = i;
  nextRare_ = rare_ == n - 1 ? 0 : n - 1;  // a needle of one code unit has no other to choose
  bool chosen = false;
  for (std::size_t i = from; i < n; i += step) {
    if (i == rare_ || (chosen && rank(i) >= rank(nextRare_))) continue;
    nextRare_ = i;
    chosen = true;
  }
}

// Candidates are frequent and needles short: an inline loop beats a call to memcmp.
bool ExactSearcher::matchesAt(const char* p, std::size_t from, std::size_t to) const {
  for (std::size_t i = from; i < to; ++i)
    if ((p[i] | fold_[i]) != needle_[i]) return false;
  return true;
}

const char* ExactSearcher::find(const char* begin, const char* end) const {
  const std::size_t n = needle_.size();
  if (static_cast<std::size_t>(end - begin) < n) return end;
  const char* const lastStart = end - n;  // the last position where the needle fits
  const char* p = begin;
#ifdef __SSE2__
  const __m128i rare = _mm_set1_epi8(needle_[rare_]);
  const __m128i rareFold = _mm_set1_epi8(fold_[rare_]);
  const __m128i nextRare = _mm_set1_epi8(needle_[nextRare_]);
  const __m128i nextRareFold = _mm_set1_epi8(fold_[nextRare_]);
  while (lastStart - p >= 15) {  // sixteen candidate starts, all with room for the needle
    const __m128i at = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + rare_)), rareFold);
    const __m128i atNext =
        _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + nextRare_)), nextRareFold);
    auto mask = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(at, rare), _mm_cmpeq_epi8(atNext, nextRare))));
    while (mask != 0) {
      const char* candidate = p + __builtin_ctz(mask);
      if (matchesAt(candidate, 0, n)) return candidate;
      mask &= mask - 1;
    }
    p += 16;
  }
#endif
  for (; p <= lastStart; ++p)
    if (matchesAt(p, 0, n)) return p;
  return end;
}

}  // namespace sorvane
