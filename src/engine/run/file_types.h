#pragma once

#include <string>

namespace sorvane {

// The file-name pattern of a file-type caption of kFileTypes (compared exactly); any other
// text gives the empty pattern, which matches no file.
std::string patternForFileType(const std::string& fileTypeText);

}  // namespace sorvane
