#pragma once

#include <cstdint>
#include <set>
#include <string>

namespace sorvane::testing {

struct ReferenceResult {
  std::string output;
  std::int64_t count = 0;
  bool refused = false;  // the text is left as it was
};

// A deliberately plain model of a replace over a whole file, written apart from the engine to
// check it. The first bytes tell the encoding: FF FE and FE FF UTF-16 (LE, BE), EF BB BF UTF-8,
// FF FE 00 00 and 00 00 FE FF UTF-32 (refused), anything else 8-bit bytes; the byte order mark
// is kept and never searched. The text is split into lines (ended by CR LF or a lone CR), each
// line's occurrences are replaced left to right without overlap, and every line end is kept as
// it was. For UTF-16 the UTF-8 terms are converted: a find term that is not valid UTF-8 matches
// nothing, and a text with an occurrence of a replacement that is not is refused. An occurrence
// whose index (from 0, in the order they are met) is in `dropped` stays as it is, uncounted.
ReferenceResult referenceReplace(const std::string& text, const std::string& find, const std::string& replace,
                                 bool ignoreCase, const std::set<std::int64_t>& dropped = {});

}  // namespace sorvane::testing
