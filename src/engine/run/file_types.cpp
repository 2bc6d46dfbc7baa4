#include "engine/run/file_types.h"

#include "vocabulary/vocabulary.h"

namespace sorvane {

std::string patternForFileType(const std::string& fileTypeText) {
  for (const FileType& type : kFileTypes)
    if (fileTypeText == type.caption) return type.pattern;
  return {};
}

}  // namespace sorvane
