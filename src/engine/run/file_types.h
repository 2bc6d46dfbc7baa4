#pragma once

#include "engine/run/file_masks.h"

#include <string>
#include <variant>

namespace sorvane {

// The file-name pattern of a file-type caption of kFileTypes (compared exactly); any other
// text gives the empty pattern, which matches no file.
std::string patternForFileType(const std::string& fileTypeText);

// True for the caption of one of kFileTypes, compared exactly.
bool isFileTypeCaption(const std::string& text);

// The files the window's file-type box names: a listed type's pattern; any other text is a list
// of masks over all files ("*.cpp; !build/"), or the fault that keeps the run from starting. An
// empty box, as no type chosen, names no file.
struct FilesOfType {
  std::string namePattern;
  FileMasks masks;
};
std::variant<FilesOfType, MaskFault> filesOfTypeText(const std::string& text);

}  // namespace sorvane
