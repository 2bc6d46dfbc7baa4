#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace sorvane {

// A file-name pattern with `*` (any run of characters) and `?` (one character), matched
// without regard to letter case. A trailing ".*" also matches a name without a dot, so "*.*"
// matches every name. The empty pattern matches nothing.
class NamePattern {
 public:
  explicit NamePattern(std::string_view pattern);
  bool matches(std::string_view name) const;
  // The same, for a name already folded by utf8::foldedUnits: many patterns, one fold.
  bool matchesFolded(const std::vector<char32_t>& folded) const;

 private:
  static bool matchUnits(const std::vector<char32_t>& pattern, const std::vector<char32_t>& name);

  std::vector<char32_t> pattern_;
  std::vector<char32_t> withoutDotStar_;  // the pattern less a trailing ".*", when it has one
};

}  // namespace sorvane
