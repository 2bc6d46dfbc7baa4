#include "engine/display/display_form.h"

#include "engine/text/utf8_units.h"

namespace sorvane::display {
namespace {

bool isControl(char32_t character) {
  return (character < 0x20 && character != U'\t') || (character >= 0x7F && character < 0xA0);
}

}  // namespace

void appendEscaped(std::string& out, unsigned char byte) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  out += "\\x";
  out += kDigits[byte >> 4];
  out += kDigits[byte & 0xF];
}

void appendCharacter(std::string& out, char32_t character) {
  if (isControl(character))
    appendEscaped(out, static_cast<unsigned char>(character));
  else if (character < 0x80)  // most of what a preview shows
    out += static_cast<char>(character);
  else
    utf8::appendCharacter(out, character);
}

std::string shown(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
  const auto* const end = p + utf8.size();
  while (p < end) {
    const utf8::Unit unit = utf8::decodeUnit(p, end);
    if (unit.value >= utf8::kInvalidByteBase)
      appendEscaped(out, *p);
    else
      appendCharacter(out, unit.value);
    p += unit.length;
  }
  return out;
}

}  // namespace sorvane::display
