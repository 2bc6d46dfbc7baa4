#pragma once

#include "vocabulary/vocabulary.h"

#include <string>

namespace sorvane {

// What a run looks for and what it puts in its place.
struct SearchTerms {
  std::string find;
  std::string replace;
  CompareMode compare = CompareMode::Text;
  bool pattern = false;    // `find` is a regular expression and `replace` a template
  bool wholeWord = false;  // an occurrence counts only with no word character right beside it
};

}  // namespace sorvane
