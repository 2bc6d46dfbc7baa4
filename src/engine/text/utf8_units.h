#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Text is read as a sequence of units: a valid UTF-8 sequence is one unit (its code point);
// any byte that is not part of one is a unit of its own that equals only itself.
namespace sorvane::utf8 {

// Invalid bytes are numbered above the code space, so they never equal a character.
inline constexpr char32_t kInvalidByteBase = 0x200000;

struct Unit {
  char32_t value = 0;
  std::size_t length = 0;  // bytes taken
  bool truncated = false;  // a valid sequence may follow, but the data ends first
};

// Decodes the unit that starts at `p`; requires p < end. When the data ends inside what could
// still become a valid sequence, `truncated` is set and the unit is the first byte alone.
// Inline: the viewer's and the matcher's loops call it for every character outside ASCII.
inline Unit decodeUnit(const unsigned char* p, const unsigned char* end) {
  const auto inRange = [](unsigned char byte, unsigned char low, unsigned char high) {
    return byte >= low && byte <= high;
  };
  const unsigned char lead = p[0];
  if (lead < 0x80) return Unit{lead, 1, false};
  const Unit invalid{kInvalidByteBase + lead, 1, false};

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
    return invalid;
  }

  for (std::size_t i = 1; i < length; ++i) {
    if (p + i >= end) return Unit{invalid.value, 1, true};
    const unsigned char byte = p[i];
    const bool ok = i == 1 ? inRange(byte, secondLow, secondHigh) : inRange(byte, 0x80, 0xBF);
    if (!ok) return invalid;
    value = (value << 6) | (byte & 0x3F);
  }
  return Unit{value, length, false};
}

// The bytes a character takes in UTF-8, the first of them, and the character appended as UTF-8.
std::size_t encodedLength(char32_t character);
unsigned char leadByte(char32_t character);
void appendCharacter(std::string& out, char32_t character);

// Unicode simple case folding of one unit; invalid bytes fold to themselves.
char32_t foldUnit(char32_t unit);

// The folded units of a whole text (a text's end completes any truncated sequence as invalid).
std::vector<char32_t> foldedUnits(std::string_view text);

// The folded form of a text as bytes, for case-insensitive ordering and name matching.
std::string foldedText(std::string_view text);

}  // namespace sorvane::utf8
