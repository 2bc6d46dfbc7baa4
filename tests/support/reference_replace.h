#pragma once

#include <cstdint>
#include <string>

namespace sorvane::testing {

struct ReferenceResult {
  std::string output;
  std::int64_t count = 0;
};

// A deliberately plain model of a replace over a whole text, written apart from the engine
// to check it: split into lines (ended by CR LF or a lone CR), replace each line's
// occurrences left to right without overlap, keep every line end as it was.
ReferenceResult referenceReplace(const std::string& text, const std::string& find, const std::string& replace,
                                 bool ignoreCase);

}  // namespace sorvane::testing
