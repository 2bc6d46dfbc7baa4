#include "engine/text/word_characters.h"

#include "engine/text/utf16_units.h"
#include "engine/text/utf8_units.h"

#include <unicode/uchar.h>

namespace sorvane {
namespace {

bool isContinuationByte(unsigned char byte) { return (byte & 0xC0) == 0x80; }

utf16::ByteOrder orderOf(bool bigEndian) { return bigEndian ? utf16::ByteOrder::BigEndian : utf16::ByteOrder::LittleEndian; }

}  // namespace

bool isWordCharacter(char32_t character) {
  if (character < 0x80) return (character | 0x20) - 'a' < 26 || character - '0' < 10 || character == '_';
  if (character > 0x10FFFF) return false;
  constexpr std::uint32_t kWord = U_GC_L_MASK | U_GC_M_MASK | U_GC_ND_MASK | U_GC_PC_MASK;
  return (U_GET_GC_MASK(static_cast<UChar32>(character)) & kWord) != 0;
}

bool wordCharacterBefore(const unsigned char* data, std::size_t at, std::size_t unitSize, bool bigEndian) {
  if (at < unitSize) return false;
  if (unitSize == 2) {
    const char16_t last = utf16::unitAt(data + at - 2, orderOf(bigEndian));
    if (!utf16::isLowSurrogate(last)) return !utf16::isHighSurrogate(last) && isWordCharacter(last);
    if (at < 4) return false;
    const char16_t high = utf16::unitAt(data + at - 4, orderOf(bigEndian));
    return utf16::isHighSurrogate(high) && isWordCharacter(utf16::combine(high, last));
  }
  // The character that ends at `at`, if one does: its lead byte is at most three bytes back.
  std::size_t lead = at - 1;
  while (lead > 0 && at - lead < 4 && isContinuationByte(data[lead])) --lead;
  const utf8::Unit unit = utf8::decodeUnit(data + lead, data + at);
  return lead + unit.length == at && unit.value < utf8::kInvalidByteBase && isWordCharacter(unit.value);
}

std::optional<bool> wordCharacterAt(const unsigned char* data, std::size_t at, std::size_t to, bool atEnd,
                                    std::size_t unitSize, bool bigEndian) {
  if (at + unitSize > to) return atEnd ? std::optional(false) : std::nullopt;
  if (unitSize == 2) {
    const char16_t unit = utf16::unitAt(data + at, orderOf(bigEndian));
    if (!utf16::isHighSurrogate(unit)) return !utf16::isLowSurrogate(unit) && isWordCharacter(unit);
    if (at + 4 > to) return atEnd ? std::optional(false) : std::nullopt;
    const char16_t low = utf16::unitAt(data + at + 2, orderOf(bigEndian));
    return utf16::isLowSurrogate(low) && isWordCharacter(utf16::combine(unit, low));
  }
  const utf8::Unit unit = utf8::decodeUnit(data + at, data + to);
  if (unit.truncated && !atEnd) return std::nullopt;
  return unit.value < utf8::kInvalidByteBase && isWordCharacter(unit.value);
}

}  // namespace sorvane
