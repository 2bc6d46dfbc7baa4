#include "engine/text/carriage_return_in_pattern.h"

#include <cctype>

namespace sorvane {
namespace {

constexpr unsigned long kCarriageReturn = 0x0D;

bool isOctal(char c) { return c >= '0' && c <= '7'; }

// Reads digits of `base` from text[at] on, at most `most` of them; the position after them.
std::size_t readNumber(std::string_view text, std::size_t at, int base, std::size_t most, unsigned long& value) {
  value = 0;
  std::size_t read = 0;
  while (at < text.size() && read < most) {
    const char c = text[at];
    int digit = -1;
    if (std::isdigit(static_cast<unsigned char>(c))) digit = c - '0';
    else if (base == 16 && std::isxdigit(static_cast<unsigned char>(c))) digit = std::tolower(c) - 'a' + 10;
    if (digit < 0 || digit >= base) break;
    value = value * static_cast<unsigned long>(base) + static_cast<unsigned long>(digit);
    ++at;
    ++read;
  }
  return at;
}

// Reads "{digits}" from text[at] on; the position after the brace, or `at` when there is none.
std::size_t readBraced(std::string_view text, std::size_t at, int base, unsigned long& value) {
  if (at >= text.size() || text[at] != '{') return at;
  const std::size_t end = readNumber(text, at + 1, base, 8, value);
  return end < text.size() && text[end] == '}' ? end + 1 : at;
}

// The character an escape at text[at] (its backslash) stands for, if it is one character;
// `next` is where the pattern goes on.
std::optional<unsigned long> escapedCharacter(std::string_view text, std::size_t at, std::uint32_t groupCount,
                                              std::size_t& next) {
  next = at + 2;
  if (at + 1 >= text.size()) return std::nullopt;
  unsigned long value = 0;
  switch (const char c = text[at + 1]) {
    case 'r':
      return kCarriageReturn;
    case 'x':
      next = text.size() > next && text[next] == '{' ? readBraced(text, next, 16, value)
                                                       : readNumber(text, next, 16, 2, value);
      return value;
    case 'o':
      next = readBraced(text, next, 8, value);
      return value;
    case 'c':
      if (next >= text.size()) return std::nullopt;
      ++next;
      return static_cast<unsigned long>(std::toupper(static_cast<unsigned char>(text[at + 2]))) ^ 0x40;
    case 'N':
      if (text.substr(next, 3) != "{U+") return std::nullopt;
      {
        const std::size_t end = readNumber(text, next + 3, 16, 8, value);
        if (end < text.size() && text[end] == '}') next = end + 1;
      }
      return value;
    case '0':
      next = readNumber(text, next, 8, 2, value);
      return value;
    default:
      if (c < '1' || c > '9') return std::nullopt;
      {
        // Outside a class, \1 to \9 are back references, as is any number up to the groups'.
        const std::size_t end = readNumber(text, at + 1, 10, 8, value);
        if (value < 10 || value <= groupCount) {
          next = end;
          return std::nullopt;
        }
        if (!isOctal(c)) return std::nullopt;
        next = readNumber(text, at + 1, 8, 3, value);
        return value;
      }
  }
}

// The position after a character class that opens at text[at].
std::size_t afterClass(std::string_view text, std::size_t at) {
  std::size_t i = at + 1;
  if (i < text.size() && text[i] == '^') ++i;
  if (i < text.size() && text[i] == ']') ++i;  // a ']' first is one of the class's characters
  while (i < text.size() && text[i] != ']') {
    if (text[i] == '\\') {
      i += 2;
    } else if (text.substr(i, 2) == "[:") {
      const std::size_t close = text.find(":]", i + 2);
      i = close == std::string_view::npos ? i + 1 : close + 2;
    } else {
      ++i;
    }
  }
  return i + 1;
}

}  // namespace

std::optional<std::size_t> carriageReturnInPattern(std::string_view pattern, std::uint32_t groupCount) {
  std::size_t i = 0;
  while (i < pattern.size()) {
    const char c = pattern[i];
    if (c == '\r') return i;
    if (c == '[') {
      i = afterClass(pattern, i);
    } else if (pattern.substr(i, 3) == "(?#") {
      const std::size_t close = pattern.find(')', i);
      i = close == std::string_view::npos ? pattern.size() : close + 1;
    } else if (pattern.substr(i, 2) == "\\Q") {
      const std::size_t close = pattern.find("\\E", i + 2);
      const std::size_t end = close == std::string_view::npos ? pattern.size() : close;
      const std::size_t cr = pattern.substr(0, end).find('\r', i + 2);
      if (cr != std::string_view::npos) return cr;
      i = close == std::string_view::npos ? end : close + 2;
    } else if (c == '\\') {
      std::size_t next = 0;
      if (escapedCharacter(pattern, i, groupCount, next) == kCarriageReturn) return i;
      i = next;
    } else {
      ++i;
    }
  }
  return std::nullopt;
}

}  // namespace sorvane
