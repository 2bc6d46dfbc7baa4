#pragma once

#include <cstddef>
#include <optional>

namespace sorvane {

// A word character: a letter, a mark, a decimal digit or connector punctuation (such as _), by
// its Unicode general category. Whole-word matching takes an occurrence only between characters
// that are not.
bool isWordCharacter(char32_t character);

// Whether a word character ends right before `at` in text of code units of `unitSize` bytes
// (1: UTF-8, 2: UTF-16 in `bigEndian` order or not); the text starts at `data`. A byte or unit
// that is no character is not one.
bool wordCharacterBefore(const unsigned char* data, std::size_t at, std::size_t unitSize, bool bigEndian);

// Whether a word character starts at `at`, the data ending at `to`; nothing when the data ends
// inside the character and more of it may follow (`atEnd` false).
std::optional<bool> wordCharacterAt(const unsigned char* data, std::size_t at, std::size_t to, bool atEnd,
                                    std::size_t unitSize, bool bigEndian);

}  // namespace sorvane
