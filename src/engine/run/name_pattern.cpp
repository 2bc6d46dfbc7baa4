#include "engine/run/name_pattern.h"

#include "engine/text/utf8_units.h"

namespace sorvane {

NamePattern::NamePattern(std::string_view pattern) : pattern_(utf8::foldedUnits(pattern)) {
  if (pattern.size() >= 2 && pattern.ends_with(".*"))
    withoutDotStar_.assign(pattern_.begin(), pattern_.end() - 2);
}

bool NamePattern::matches(std::string_view name) const { return matchesFolded(utf8::foldedUnits(name)); }

bool NamePattern::matchesFolded(const std::vector<char32_t>& folded) const {
  if (pattern_.empty() || folded.empty()) return false;
  return matchUnits(pattern_, folded) || (!withoutDotStar_.empty() && matchUnits(withoutDotStar_, folded));
}

// Greedy matching that backtracks only to the last star: linear in practice, never exponential.
bool NamePattern::matchUnits(const std::vector<char32_t>& pattern, const std::vector<char32_t>& name) {
  std::size_t p = 0, n = 0;
  std::size_t starP = std::string::npos, starN = 0;
  while (n < name.size()) {
    // The pattern's star is tried first: a star in the name is an ordinary character, which
    // must not use up the pattern's wildcard.
    if (p < pattern.size() && pattern[p] == U'*') {
      starP = p++;
      starN = n;
    } else if (p < pattern.size() && (pattern[p] == U'?' || pattern[p] == name[n])) {
      ++p;
      ++n;
    } else if (starP != std::string::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == U'*') ++p;
  return p == pattern.size();
}

}  // namespace sorvane
