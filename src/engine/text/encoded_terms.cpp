#include "engine/text/encoded_terms.h"

#include "engine/text/case_variants.h"
#include "engine/text/utf16_units.h"
#include "engine/text/utf8_units.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <numeric>

namespace sorvane {
namespace {

// The fewest bytes of 8-bit text in which a unit folds to `folded`; a byte outside any
// character matches only itself.
std::size_t fewestBytesFoldingTo(char32_t folded) {
  if (folded >= utf8::kInvalidByteBase) return 1;
  std::size_t fewest = utf8::encodedLength(folded);
  for (const char32_t variant : caseVariants(folded)) fewest = std::min(fewest, utf8::encodedLength(variant));
  return fewest;
}

std::size_t shortestIn8BitText(const std::string& find, CompareMode compare) {
  if (compare == CompareMode::Binary || foldsLikeAscii(find)) return find.size();
  const std::vector<char32_t> folded = utf8::foldedUnits(find);
  return std::accumulate(folded.begin(), folded.end(), std::size_t{0},
                         [](std::size_t sum, char32_t unit) { return sum + fewestBytesFoldingTo(unit); });
}

std::size_t shortestMatchingFile(const std::string& find, CompareMode compare) {
  const std::size_t inBytes = shortestIn8BitText(find, compare);
  // Text that is not valid UTF-8 has no UTF-16 form to be found in. Case folding never moves a
  // character into or out of the Basic Multilingual Plane, so every case takes as many bytes.
  const std::optional<std::string> inUtf16 = utf16::fromUtf8(find, utf16::ByteOrder::LittleEndian);
  if (!inUtf16) return inBytes;
  return std::min(inBytes, byteOrderMarkLength(TextEncoding::Utf16LE) + inUtf16->size());
}

// A line as short as the shortest match: a pattern that matches the empty text needs a line.
std::size_t shortestMatchingFile(const Pattern& pattern) {
  std::uint32_t characters = 0;
  pcre2_pattern_info_8(pattern.forBytes(), PCRE2_INFO_MINLENGTH, &characters);
  return std::max<std::size_t>(characters, 1);
}

// A pattern made only of characters that stand for themselves.
bool isPlainText(const std::string& pattern) {
  return !pattern.empty() && std::all_of(pattern.begin(), pattern.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 0x80 || std::isalnum(byte) || std::strchr(" _-,;:'\"!@%&=<>/~`", c) != nullptr;
  });
}

}  // namespace

EncodedTerms::EncodedTerms(const SearchTerms& terms)
    : find_(terms.find), replace_(terms.replace), compare_(terms.compare), wholeWord_(terms.wholeWord) {
  shortestMatchingFile_ = sorvane::shortestMatchingFile(find_, compare_);
  // An empty pattern would match between every two characters; like an empty term, it finds nothing.
  if (!terms.pattern || find_.empty()) return;
  PatternError error;
  pattern_ = Pattern::compile(find_, compare_, terms.wholeWord, error);
  if (pattern_) template_ = ReplacementTemplate::parse(replace_, *pattern_, error);
  if (!template_) {
    fault_ = TermsFault{pattern_ != nullptr, error};
    pattern_.reset();
    shortestMatchingFile_ = 0;
    return;
  }
  // Plain characters replaced by plain text are a term: the literal search finds the same
  // occurrences, faster.
  if (template_->isConstant() && isPlainText(find_)) {
    replace_.clear();
    template_->expand({}, TextEncoding::Bytes, replace_);
    pattern_.reset();
    template_.reset();
    return;
  }
  shortestMatchingFile_ = sorvane::shortestMatchingFile(*pattern_);
}

EncodedTerms::Form& EncodedTerms::form(TextEncoding encoding) {
  const auto index = static_cast<std::size_t>(encoding);
  std::call_once(formsMade_[index], [&] {
    const std::optional<utf16::ByteOrder> order = utf16ByteOrderOf(encoding);
    std::optional<std::string> replacement = order ? utf16::fromUtf8(replace_, *order) : replace_;
    forms_[index] = std::make_unique<Form>(Form{TermMatcher(find_, compare_, encoding, wholeWord_), std::move(replacement)});
  });
  return *forms_[index];
}

}  // namespace sorvane
