#include "engine/preview/shown_text.h"

#include "engine/display/display_form.h"
#include "engine/text/utf16_units.h"

#include <algorithm>
#include <iterator>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace sorvane {
namespace {

// Printable ASCII, most of what a preview shows, shows as itself, one byte a character.
bool showsAsItself(char32_t character) {
  return (character >= 0x20 && character < 0x7F) || character == U'\t' || character == U'\n';
}

bool allShowAsThemselves(std::string_view bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const auto* const end = p + bytes.size();
#ifdef __SSE2__
  const __m128i space = _mm_set1_epi8(0x20);
  const __m128i del = _mm_set1_epi8(0x7F);
  for (; end - p >= 16; p += 16) {
    const __m128i sixteen = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    // Compared as signed, a byte above ASCII is below a space too; a tab or an LF is looked at
    // one byte at a time.
    if (_mm_movemask_epi8(_mm_or_si128(_mm_cmplt_epi8(sixteen, space), _mm_cmpeq_epi8(sixteen, del))) != 0) break;
  }
#endif
  return std::all_of(p, end, showsAsItself);
}

}  // namespace

void ShownText::decode(std::string_view bytes) {
  length_ = 0;
  wide_.clear();
  if (eightBit_ && allShowAsThemselves(bytes)) {
    shown_ = bytes;
    length_ = bytes.size();
    return;
  }
  text_.clear();
  decoder_.append(bytes);
  decoder_.finish();
  shown_ = text_;
}

std::string_view ShownText::first(std::size_t count) const {
  return shown_.substr(0, startOf(std::min(count, length_)));
}

std::string_view ShownText::last(std::size_t count) const {
  if (count >= length_) return shown_;
  return shown_.substr(startOf(length_ - count));
}

std::size_t ShownText::startOf(std::size_t count) const {
  const auto after = std::lower_bound(wide_.begin(), wide_.end(), count,
                                      [](const Wide& wide, std::size_t number) { return wide.character < number; });
  return count + (after == wide_.begin() ? 0 : std::prev(after)->extraBytes);
}

void ShownText::counted(std::size_t start) {
  if (const std::size_t bytes = text_.size() - start; bytes != 1)
    wide_.push_back({length_, (wide_.empty() ? 0 : wide_.back().extraBytes) + bytes - 1});
  ++length_;
}

void ShownText::characters(std::u16string_view text) {
  for (std::size_t at = 0; at < text.size(); ++at) {
    char32_t character = text[at];
    if (showsAsItself(character)) {
      text_ += static_cast<char>(character);
      ++length_;
      continue;
    }
    if (utf16::isHighSurrogate(text[at])) {  // the decoder never splits a pair
      character = utf16::combine(text[at], text[at + 1]);
      ++at;
    }
    const std::size_t start = text_.size();
    display::appendCharacter(text_, character);
    counted(start);
  }
}

void ShownText::lineEnd() {
  text_ += '\n';
  ++length_;
}

void ShownText::notCharacter(std::string_view bytes) {
  const std::size_t start = text_.size();
  for (const char byte : bytes) display::appendEscaped(text_, static_cast<unsigned char>(byte));
  counted(start);
}

}  // namespace sorvane
