#include "engine/preview/shown_text.h"

#include "engine/display/display_form.h"
#include "engine/text/utf16_units.h"

#include <algorithm>

namespace sorvane {

void ShownText::decode(std::string_view bytes) {
  text_.clear();
  ends_.clear();
  decoder_.append(bytes);
  decoder_.finish();
}

std::string_view ShownText::first(std::size_t count) const {
  count = std::min(count, ends_.size());
  return std::string_view(text_).substr(0, count == 0 ? 0 : ends_[count - 1]);
}

std::string_view ShownText::last(std::size_t count) const {
  if (count >= ends_.size()) return text_;
  return std::string_view(text_).substr(count == 0 ? text_.size() : ends_[ends_.size() - count - 1]);
}

void ShownText::characters(std::u16string_view text) {
  for (std::size_t at = 0; at < text.size(); ++at) {
    char32_t character = text[at];
    if (utf16::isHighSurrogate(text[at])) {  // the decoder never splits a pair
      character = utf16::combine(text[at], text[at + 1]);
      ++at;
    }
    if (character == U'\n')
      text_ += '\n';
    else
      display::appendCharacter(text_, character);
    ends_.push_back(text_.size());
  }
}

void ShownText::lineEnd() {
  text_ += '\n';
  ends_.push_back(text_.size());
}

void ShownText::notCharacter(std::string_view bytes) {
  for (const char byte : bytes) display::appendEscaped(text_, static_cast<unsigned char>(byte));
  ends_.push_back(text_.size());
}

}  // namespace sorvane
