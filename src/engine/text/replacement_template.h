#pragma once

#include "engine/text/pattern.h"
#include "engine/text/text_encoding.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace sorvane {

// What replaces each match of a pattern: text, with $1 to $99, ${1}, ${name}, $0 and ${0} for
// the groups and the whole match, $$ for a dollar; \U and \L upper- and lower-case what follows
// up to \E or the end, \u and \l the next character only (full Unicode case mapping, not a
// locale's); \\, \n, \t and \r for a backslash, a line feed, a tab and a carriage return.
class ReplacementTemplate {
 public:
  // Nothing, with `error` set, when the text is not a template for `pattern`: an unknown escape,
  // a group the pattern does not have, or a number a letter or digit runs on from ($1x: write
  // ${1}x).
  static std::optional<ReplacementTemplate> parse(std::string_view text, const Pattern& pattern, PatternError& error);

  // True when every match is replaced by the same text; it is then expand()'s with no groups.
  bool isConstant() const { return constant_; }

  // Appends the replacement of one match to `out`, in `encoding`'s code units. `groups` holds
  // the bytes of the whole match and of each group in the text's own code units; a group that
  // took no part in the match is empty. Group text is copied as it is, invalid bytes and lone
  // surrogates included, but for the case changes, which pass them over. False when the text of
  // the template has no form in `encoding` (UTF-16 takes valid UTF-8 only).
  bool expand(std::span<const std::string_view> groups, TextEncoding encoding, std::string& out) const;

 private:
  enum class Case { Kept, Upper, Lower };
  struct Piece {
    enum class Kind { Text, Group, Mode, Next } kind;
    // Text: the text in 8-bit, UTF-16 LE and UTF-16 BE code units (none where it has no form).
    std::array<std::optional<std::string>, 3> text;
    std::uint32_t group = 0;
    Case changeTo = Case::Kept;
  };
  class CasedOutput;
  void addText(std::string text);

  std::vector<Piece> pieces_;
  bool constant_ = true;
};

}  // namespace sorvane
