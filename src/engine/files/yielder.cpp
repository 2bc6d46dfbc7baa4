#include "engine/files/yielder.h"

#include <utility>

namespace sorvane {

Yielder::Yielder(std::function<bool()> yield, std::chrono::nanoseconds interval)
    : yield_(std::move(yield)), interval_(interval), last_(std::chrono::steady_clock::now()) {}

bool Yielder::poll() {
  // Yielding at every poll needs no clock: a helper polls at every read of every file.
  const bool timed = interval_ > std::chrono::nanoseconds::zero();
  if (timed && std::chrono::steady_clock::now() - last_ < interval_) return goOn_;
  goOn_ = yield_();
  if (timed) last_ = std::chrono::steady_clock::now();
  return goOn_;
}

}  // namespace sorvane
