#pragma once

#include "engine/text/utf16_units.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace sorvane {

// Finds a fixed byte string, optionally ignoring the case of ASCII letters. Compares two of the
// needle's bytes, the rarest in common text, sixteen positions at a time and checks the rest
// only where both agree; nothing is prepared per call, which matters when occurrences are dense.
class ExactSearcher {
 public:
  // `needle` must not be empty. A needle in UTF-16 gives its byte order, so that the bytes
  // chosen to look for are ones that tell characters apart.
  ExactSearcher(std::string_view needle, bool ignoreAsciiCase,
                std::optional<utf16::ByteOrder> utf16Order = std::nullopt);

  // The first position in [begin, end) where the needle starts in full, or end.
  const char* find(const char* begin, const char* end) const;

 private:
  bool matchesAt(const char* p, std::size_t from, std::size_t to) const;

  std::string needle_;  // letters lowered when case is ignored
  std::string fold_;    // per byte: 0x20 where a letter's case is ignored, else 0
  std::size_t rare_ = 0;      // where the needle's rarest byte is
  std::size_t nextRare_ = 0;  // where its next rarest is: the same place only in a one-byte needle
};

}  // namespace sorvane
