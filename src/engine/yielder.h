#pragma once

#include <chrono>

namespace sorvane {

class ReplaceHost;

// Gives the host its pending events by time rather than by step, so a long run stays
// responsive without paying for a yield on every line.
class Yielder {
 public:
  static constexpr std::chrono::milliseconds kDefaultInterval{20};

  explicit Yielder(ReplaceHost& host, std::chrono::nanoseconds interval = kDefaultInterval);

  // Yields when the interval has passed. False once the host asks the run to stop.
  bool poll();
  // Yields now. False once the host asks the run to stop.
  bool yieldNow();

 private:
  ReplaceHost& host_;
  std::chrono::nanoseconds interval_;
  std::chrono::steady_clock::time_point last_;
};

}  // namespace sorvane
