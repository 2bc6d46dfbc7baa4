#pragma once

#include <string_view>
#include <vector>

namespace sorvane {

// Every character whose Unicode simple case folding is `folded`, `folded` itself first. The
// candidate scans of case-insensitive search look for the first of these units.
std::vector<char32_t> caseVariants(char32_t folded);

// True when every text that matches the UTF-8 `term` ignoring case is the term with some ASCII
// letters in the other case. K and S are out: the Kelvin sign and the long s fold to them.
bool foldsLikeAscii(std::string_view term);

}  // namespace sorvane
