#pragma once

#include <cstddef>

namespace sorvane {

// How many files a run puts in place at once, and undo puts back at once: each holds a few
// descriptors until it is in place.
inline constexpr std::size_t kFilesPerBatch = 64;

}  // namespace sorvane
