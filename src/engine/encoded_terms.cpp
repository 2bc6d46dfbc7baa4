#include "engine/encoded_terms.h"

#include "engine/utf16_units.h"

namespace sorvane {

EncodedTerms::EncodedTerms(std::string find, std::string replace, CompareMode compare)
    : find_(std::move(find)), replace_(std::move(replace)), compare_(compare) {}

EncodedTerms::Form& EncodedTerms::form(TextEncoding encoding) {
  const std::lock_guard lock(formsMutex_);
  std::unique_ptr<Form>& slot = forms_[static_cast<std::size_t>(encoding)];
  if (slot) return *slot;
  std::optional<std::string> replacement = replace_;
  if (encoding == TextEncoding::Utf16LE) replacement = utf16::fromUtf8(replace_, utf16::ByteOrder::LittleEndian);
  if (encoding == TextEncoding::Utf16BE) replacement = utf16::fromUtf8(replace_, utf16::ByteOrder::BigEndian);
  slot = std::make_unique<Form>(Form{TermMatcher(find_, compare_, encoding), std::move(replacement)});
  return *slot;
}

}  // namespace sorvane
