#include "engine/text/utf8_units.h"

#include <algorithm>

#include <unicode/uchar.h>

namespace sorvane::utf8 {

std::size_t encodedLength(char32_t character) {
  return character < 0x80 ? 1 : character < 0x800 ? 2 : character < 0x10000 ? 3 : 4;
}

unsigned char leadByte(char32_t character) {
  // By length: the marks of the lead byte, above the character's highest bits.
  static constexpr unsigned char kMarks[] = {0, 0x00, 0xC0, 0xE0, 0xF0};
  const std::size_t length = encodedLength(character);
  return static_cast<unsigned char>(kMarks[length] | character >> (6 * (length - 1)));
}

void appendCharacter(std::string& out, char32_t character) {
  out += static_cast<char>(leadByte(character));
  for (std::size_t rest = encodedLength(character) - 1; rest-- > 0;)
    out += static_cast<char>(0x80 | ((character >> (6 * rest)) & 0x3F));
}

char32_t foldUnit(char32_t unit) {
  if (unit < 0x80) return unit >= 'A' && unit <= 'Z' ? unit + ('a' - 'A') : unit;
  if (unit >= kInvalidByteBase) return unit;
  return static_cast<char32_t>(u_foldCase(static_cast<UChar32>(unit), U_FOLD_CASE_DEFAULT));
}

std::vector<char32_t> foldedUnits(std::string_view text) {
  std::vector<char32_t> units;
  // A unit takes at least a byte: one allocation, where growing would take several per name.
  units.reserve(text.size());
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const auto* end = p + text.size();
  while (p < end) {
    const Unit unit = decodeUnit(p, end);
    units.push_back(foldUnit(unit.value));
    p += unit.length;
  }
  return units;
}

std::string foldedText(std::string_view text) {
  // Most names are ASCII, which folds byte by byte: a walk sorts every name it lists.
  const auto ascii = [](char byte) { return static_cast<unsigned char>(byte) < 0x80; };
  if (std::all_of(text.begin(), text.end(), ascii)) {
    std::string out(text);
    for (char& byte : out) byte = static_cast<char>(foldUnit(static_cast<unsigned char>(byte)));
    return out;
  }
  std::string out;
  out.reserve(text.size());
  for (const char32_t unit : foldedUnits(text)) {
    if (unit >= kInvalidByteBase)
      out += static_cast<char>(unit - kInvalidByteBase);
    else
      appendCharacter(out, unit);
  }
  return out;
}

}  // namespace sorvane::utf8
