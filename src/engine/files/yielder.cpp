#include "engine/files/yielder.h"

#include <utility>

namespace sorvane {

Yielder::Yielder(std::function<bool()> yield, std::chrono::nanoseconds interval)
    : yield_(std::move(yield)), interval_(interval), last_(std::chrono::steady_clock::now()) {}

bool Yielder::poll() {
  if (std::chrono::steady_clock::now() - last_ < interval_) return goOn_;
  goOn_ = yield_();
  last_ = std::chrono::steady_clock::now();
  return goOn_;
}

}  // namespace sorvane
