#include "engine/text/occurrence_choice.h"

#include <algorithm>

namespace sorvane {

void OccurrenceChoice::drop(std::int64_t index) {
  if (index < 0) return;
  const auto at = std::lower_bound(dropped_.begin(), dropped_.end(), index);
  if (at == dropped_.end() || *at != index) dropped_.insert(at, index);
}

OccurrenceChoice::Cursor::Cursor(const OccurrenceChoice& choice)
    : dropped_(choice.dropped_), dropsFrom_(choice.dropsFrom_) {}

bool OccurrenceChoice::Cursor::nextIsChosen() {
  const bool dropped = nextDropped_ < dropped_.size() && dropped_[nextDropped_] == index_;
  nextDropped_ += dropped ? 1 : 0;
  return index_++ < dropsFrom_ && !dropped;
}

}  // namespace sorvane
