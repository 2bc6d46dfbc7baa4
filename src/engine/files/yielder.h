#pragma once

#include <chrono>
#include <functional>

namespace sorvane {

// Yields by time rather than by step, so a long task stays responsive without paying for a
// yield on every line.
class Yielder {
 public:
  static constexpr std::chrono::milliseconds kDefaultInterval{20};

  // `yield` hands out the pending events and says whether to go on.
  explicit Yielder(std::function<bool()> yield, std::chrono::nanoseconds interval = kDefaultInterval);

  // Yields when the interval has passed; says what the last yield said.
  bool poll();

 private:
  std::function<bool()> yield_;
  std::chrono::nanoseconds interval_;
  std::chrono::steady_clock::time_point last_;
  bool goOn_ = true;
};

}  // namespace sorvane
