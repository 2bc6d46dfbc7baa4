#pragma once

#include <cstddef>

namespace sorvane {

// What a search of a window of a stream found.
struct MatchResult {
  enum class Kind {
    Found,     // an occurrence at [position, position + length)
    Settled,   // no occurrence starts before `position`; the bytes before it are final
    NeedMore,  // an occurrence may start at `position` but runs past the data
  };
  Kind kind;
  std::size_t position;
  std::size_t length = 0;
};

}  // namespace sorvane
