#include "engine/file_types.h"

namespace sorvane {

std::string patternForFileType(const std::string& fileTypeText) {
  static constexpr std::array<const char*, kFileTypeTexts.size()> patterns = {"*.*", "*.htm*", "*.js", "*.txt"};
  for (std::size_t i = 0; i < kFileTypeTexts.size(); ++i)
    if (fileTypeText == kFileTypeTexts[i]) return patterns[i];
  return {};
}

}  // namespace sorvane
