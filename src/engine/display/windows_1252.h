#pragma once

#include <array>

namespace sorvane {

// Bytes 0x80 to 0x9F of the Windows code page 1252; every other byte is the character of the
// same number. Its five unassigned bytes become the C1 controls of the same value.
inline constexpr std::array<char16_t, 32> kWindows1252HighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// The character a byte of Windows-1252 stands for: the 8-bit code page that files which are
// not UTF-8 most often come from. Every byte is a character.
inline char16_t fromWindows1252(unsigned char byte) {
  return byte >= 0x80 && byte < 0xA0 ? kWindows1252HighControls[byte - 0x80] : char16_t{byte};
}

}  // namespace sorvane
