#pragma once

#include <optional>
#include <string>
#include <string_view>

// UTF-16 text as bytes in either order: a code unit is two bytes at an even offset from the
// start of the text.
namespace sorvane::utf16 {

enum class ByteOrder { LittleEndian, BigEndian };

inline char16_t unitAt(const unsigned char* p, ByteOrder order) {
  return order == ByteOrder::LittleEndian ? static_cast<char16_t>(p[0] | p[1] << 8)
                                          : static_cast<char16_t>(p[0] << 8 | p[1]);
}

inline bool isHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
inline bool isLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

inline char32_t combine(char16_t high, char16_t low) {
  return 0x10000 + ((static_cast<char32_t>(high) - 0xD800) << 10) + (low - 0xDC00);
}

// Appends the code units of one character, as bytes in `order`.
void appendCharacter(std::string& out, char32_t character, ByteOrder order);

// A UTF-8 text as UTF-16 bytes; nothing when the text is not valid UTF-8.
std::optional<std::string> fromUtf8(std::string_view text, ByteOrder order);

}  // namespace sorvane::utf16
