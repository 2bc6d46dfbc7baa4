#pragma once

#include <atomic>
#include <chrono>

namespace sorvane {

class ReplaceHost;

// Gives the host its pending events by time rather than by step, so a long run stays
// responsive without paying for a yield on every line.
class Yielder {
 public:
  static constexpr std::chrono::milliseconds kDefaultInterval{20};

  explicit Yielder(ReplaceHost& host, std::chrono::nanoseconds interval = kDefaultInterval);
  // For a helper thread, which must never call the host: it only stops once `stop` is set.
  explicit Yielder(const std::atomic<bool>& stop);

  // Yields when the interval has passed. False once the host asks the run to stop.
  bool poll();
  // Yields now. False once the host asks the run to stop.
  bool yieldNow();

 private:
  ReplaceHost* host_ = nullptr;
  const std::atomic<bool>* stop_ = nullptr;
  std::chrono::nanoseconds interval_{};
  std::chrono::steady_clock::time_point last_;
};

}  // namespace sorvane
