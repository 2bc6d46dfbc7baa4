#include "engine/exact_searcher.h"

#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace sorvane {
namespace {

bool isAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

}  // namespace

ExactSearcher::ExactSearcher(std::string_view needle, bool ignoreAsciiCase)
    : needle_(needle), fold_(needle.size(), '\0') {
  if (!ignoreAsciiCase) return;
  // x | 0x20 equals a lower-case letter exactly when x is that letter in either case.
  for (std::size_t i = 0; i < needle_.size(); ++i) {
    if (!isAsciiLetter(needle_[i])) continue;
    fold_[i] = 0x20;
    needle_[i] = static_cast<char>(needle_[i] | 0x20);
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
  const __m128i first = _mm_set1_epi8(needle_.front());
  const __m128i firstFold = _mm_set1_epi8(fold_.front());
  const __m128i last = _mm_set1_epi8(needle_.back());
  const __m128i lastFold = _mm_set1_epi8(fold_.back());
  while (lastStart - p >= 15) {  // sixteen candidate starts, all with room for the needle
    const __m128i heads = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), firstFold);
    const __m128i tails = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + n - 1)), lastFold);
    auto mask = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(heads, first), _mm_cmpeq_epi8(tails, last))));
    while (mask != 0) {
      const char* candidate = p + __builtin_ctz(mask);
      if (matchesAt(candidate, 1, n - 1)) return candidate;
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
