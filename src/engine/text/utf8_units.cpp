#include "engine/text/utf8_units.h"

#include <algorithm>

#include <unicode/uchar.h>

namespace sorvane::utf8 {
namespace {

bool inRange(unsigned char byte, unsigned char low, unsigned char high) {
  return byte >= low && byte <= high;
}

Unit invalid(unsigned char byte, bool truncated = false) {
  return Unit{kInvalidByteBase + byte, 1, truncated};
}

}  // namespace

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

Unit decodeUnit(const unsigned char* p, const unsigned char* end) {
  const unsigned char lead = p[0];
  if (lead < 0x80) return Unit{lead, 1, false};

  std::size_t length = 0;
  unsigned char secondLow = 0x80, secondHigh = 0xBF;  // the second byte's range rules out
  char32_t value = 0;                                 // overlongs and surrogates
  if (inRange(lead, 0xC2, 0xDF)) {
    length = 2;
    value = lead & 0x1F;
  } else if (inRange(lead, 0xE0, 0xEF)) {
    length = 3;
    value = lead & 0x0F;
    if (lead == 0xE0) secondLow = 0xA0;
    if (lead == 0xED) secondHigh = 0x9F;
  } else if (inRange(lead, 0xF0, 0xF4)) {
    length = 4;
    value = lead & 0x07;
    if (lead == 0xF0) secondLow = 0x90;
    if (lead == 0xF4) secondHigh = 0x8F;
  } else {
    return invalid(lead);
  }

  for (std::size_t i = 1; i < length; ++i) {
    if (p + i >= end) return invalid(lead, true);
    const unsigned char byte = p[i];
    const bool ok = i == 1 ? inRange(byte, secondLow, secondHigh) : inRange(byte, 0x80, 0xBF);
    if (!ok) return invalid(lead);
    value = (value << 6) | (byte & 0x3F);
  }
  return Unit{value, length, false};
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
