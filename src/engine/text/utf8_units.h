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
Unit decodeUnit(const unsigned char* p, const unsigned char* end);

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
