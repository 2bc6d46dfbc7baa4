#pragma once

#include <string>
#include <string_view>

namespace sorvane::testing {

// A UTF-16 file's bytes: its byte order mark, then the code units.
inline std::string utf16File(std::u16string_view units, bool bigEndian) {
  std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (const char16_t unit : units) {
    const auto high = static_cast<char>(unit >> 8);
    const auto low = static_cast<char>(unit & 0xFF);
    bytes += bigEndian ? std::string{high, low} : std::string{low, high};
  }
  return bytes;
}

}  // namespace sorvane::testing
