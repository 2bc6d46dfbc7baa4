#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

namespace sorvane {

// Which occurrences of one file a run replaces, each named by its index in the file: 0 for the
// first one the run meets, counting every occurrence, chosen or not. Every occurrence is chosen
// but the ones dropped; the rest are copied through as they are.
class OccurrenceChoice {
 public:
  // Drops an occurrence; indexes may come in any order, and fastest in rising order. A negative
  // index names no occurrence and drops nothing.
  void drop(std::int64_t index);
  // Drops every occurrence from `first` on, however many the file holds.
  void dropFrom(std::int64_t first) { dropsFrom_ = std::min(dropsFrom_, std::max<std::int64_t>(first, 0)); }

  // Asks about the occurrences in the order a run meets them, index after index, from 0. Cheap
  // enough to ask for every occurrence of a file that holds millions.
  class Cursor {
   public:
    explicit Cursor(const OccurrenceChoice& choice);
    // Whether the next occurrence is replaced.
    bool nextIsChosen();

   private:
    const std::vector<std::int64_t>& dropped_;
    const std::int64_t dropsFrom_;
    std::size_t nextDropped_ = 0;
    std::int64_t index_ = 0;
  };

 private:
  static constexpr std::int64_t kNone = std::numeric_limits<std::int64_t>::max();
  std::vector<std::int64_t> dropped_;  // sorted, no repeats
  std::int64_t dropsFrom_ = kNone;
};

}  // namespace sorvane
