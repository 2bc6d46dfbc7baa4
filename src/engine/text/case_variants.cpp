#include "engine/text/case_variants.h"

#include "engine/text/utf8_units.h"

#include <algorithm>
#include <unordered_map>

namespace sorvane {
namespace {

// The characters whose simple case folding is another character, by what they fold to.
const std::unordered_multimap<char32_t, char32_t>& foldedFrom() {
  static const auto table = [] {
    std::unordered_multimap<char32_t, char32_t> inverse;
    for (char32_t c = 0; c <= 0x10FFFF; ++c) {
      if (c == 0xD800) c = 0xE000;  // surrogates are never decoded
      if (const char32_t folded = utf8::foldUnit(c); folded != c) inverse.emplace(folded, c);
    }
    return inverse;
  }();
  return table;
}

}  // namespace

std::vector<char32_t> caseVariants(char32_t folded) {
  std::vector<char32_t> variants = {folded};
  const auto [first, last] = foldedFrom().equal_range(folded);
  for (auto it = first; it != last; ++it) variants.push_back(it->second);
  return variants;
}

bool foldsLikeAscii(std::string_view term) {
  return std::all_of(term.begin(), term.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x80 && byte != 'k' && byte != 'K' && byte != 's' && byte != 'S';
  });
}

}  // namespace sorvane
