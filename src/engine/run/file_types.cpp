#include "engine/run/file_types.h"

#include "vocabulary/vocabulary.h"

namespace sorvane {

std::string patternForFileType(const std::string& fileTypeText) {
  for (const FileType& type : kFileTypes)
    if (fileTypeText == type.caption) return type.pattern;
  return {};
}

bool isFileTypeCaption(const std::string& text) { return !patternForFileType(text).empty(); }

std::variant<FilesOfType, MaskFault> filesOfTypeText(const std::string& text) {
  if (text.empty() || isFileTypeCaption(text)) return FilesOfType{patternForFileType(text), {}};
  auto masks = FileMasks::parse(text);
  if (auto* fault = std::get_if<MaskFault>(&masks)) return *fault;
  return FilesOfType{kFileTypes[0].pattern, std::get<FileMasks>(std::move(masks))};
}

}  // namespace sorvane
