#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace sorvane {

// Where a pattern names a carriage return outright outside a character class: the character
// itself, \r, \x0d, \x{d}, \o{15}, \015, \cM or \N{U+D}. No line holds one, so such a pattern
// could only mean to match across lines, which no match does. `groupCount` tells a back
// reference (\15 with fifteen groups) from an octal escape. Classes are not looked into: a
// class that names a CR matches the other characters it holds.
std::optional<std::size_t> carriageReturnInPattern(std::string_view pattern, std::uint32_t groupCount);

}  // namespace sorvane
