#include "engine/text/byte_set_scanner.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace sorvane {

ByteSetScanner::ByteSetScanner(const std::vector<unsigned char>& bytes) {
  for (const unsigned char byte : bytes) {
    if (!member_[byte]) needles_.push_back(byte);
    member_[byte] = true;
  }
}

const unsigned char* ByteSetScanner::find(const unsigned char* p, const unsigned char* end) const {
#ifdef __SSE2__
  if (!needles_.empty() && needles_.size() <= kVectorNeedles) {
    __m128i wanted[kVectorNeedles];
    for (std::size_t i = 0; i < kVectorNeedles; ++i)  // unused lanes repeat the first needle
      wanted[i] = _mm_set1_epi8(static_cast<char>(needles_[i < needles_.size() ? i : 0]));
    while (end - p >= 16) {
      const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
      __m128i hits = _mm_cmpeq_epi8(chunk, wanted[0]);
      hits = _mm_or_si128(hits, _mm_cmpeq_epi8(chunk, wanted[1]));
      hits = _mm_or_si128(hits, _mm_cmpeq_epi8(chunk, wanted[2]));
      hits = _mm_or_si128(hits, _mm_cmpeq_epi8(chunk, wanted[3]));
      const int mask = _mm_movemask_epi8(hits);
      if (mask != 0) return p + __builtin_ctz(static_cast<unsigned>(mask));
      p += 16;
    }
  }
#endif
  while (p < end && !member_[*p]) ++p;
  return p;
}

}  // namespace sorvane
