#pragma once

#include "engine/yielder.h"

#include <chrono>
#include <cstddef>

namespace sorvane::viewer {

// How a file is loaded into the viewer: read, then put into the text box, in chunks, handing
// the window its events by time, so a long file neither freezes the window nor pays for a
// yield per line.
struct LoadPacing {
  std::size_t chunkSize = 1024 * 1024;  // bytes read, then characters put into the box, at a time
  std::chrono::nanoseconds interval = Yielder::kDefaultInterval;
};

}  // namespace sorvane::viewer
