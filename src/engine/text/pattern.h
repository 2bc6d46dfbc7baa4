#pragma once

#include "vocabulary/vocabulary.h"

#include <pcre2.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace sorvane {

// Why a pattern or a template cannot be used: the message names the fault, the offset is the
// byte of the text where it lies.
struct PatternError {
  std::string message;
  std::size_t offset = 0;

  std::string described() const { return message + " at offset " + std::to_string(offset); }
};

// A regular expression compiled for the engine: Perl's syntax, Unicode-aware (UTF mode with
// Unicode properties for \w, \d, \b and case), matched with the JIT over one line at a time,
// where a line ends at a CR, and invalid UTF-8 or a lone surrogate is never part of a match.
// One compiled form for 8-bit text and one for UTF-16. Matching it from several threads is
// safe; each needs its own match data.
class Pattern {
 public:
  // Nothing, with `error` set, when the pattern does not compile, names a carriage return (no
  // line holds one), uses \C, or the JIT cannot take it. With `wholeWord`, a match counts only
  // where no word character (a letter, a mark, a decimal digit or connector punctuation) comes
  // right before it or right after it in its line.
  static std::unique_ptr<Pattern> compile(std::string_view text, CompareMode compare, bool wholeWord,
                                          PatternError& error);
  ~Pattern();
  Pattern(const Pattern&) = delete;
  Pattern& operator=(const Pattern&) = delete;

  const pcre2_code_8* forBytes() const { return bytes_; }
  const pcre2_code_16* forUtf16() const { return utf16_; }

  std::uint32_t groupCount() const { return groupCount_; }
  // The number of the group called `name`; nothing when the pattern has none of that name.
  std::optional<std::uint32_t> groupNumber(const std::string& name) const;
  // The most characters any part of the pattern looks back from where it is tried.
  std::size_t longestLookbehind() const { return longestLookbehind_; }

 private:
  Pattern(pcre2_code_8* bytes, pcre2_code_16* utf16);

  pcre2_code_8* bytes_;
  pcre2_code_16* utf16_;
  std::uint32_t groupCount_ = 0;
  std::size_t longestLookbehind_ = 0;
};

// True when this PCRE2 can compile patterns to machine code; the engine matches no pattern
// without it.
bool patternMachineCodeAvailable();

}  // namespace sorvane
