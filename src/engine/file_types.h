#pragma once

#include <array>
#include <string>

namespace sorvane {

// The file types a folder run offers, in the order the window lists them.
inline constexpr std::array<const char*, 4> kFileTypeTexts = {
    "All Files (*.*)",
    "HTML Files (*.htm, *.html)",
    "JavaScript Files (*.js)",
    "Text Files (*.txt)",
};

// The file-name pattern of a file-type text (compared exactly); any other text gives the
// empty pattern, which matches no file.
std::string patternForFileType(const std::string& fileTypeText);

}  // namespace sorvane
