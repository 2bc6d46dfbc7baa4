#include "engine/yielder.h"

#include "engine/host.h"

namespace sorvane {

Yielder::Yielder(ReplaceHost& host, std::chrono::nanoseconds interval)
    : host_(&host), interval_(interval), last_(std::chrono::steady_clock::now()) {}

Yielder::Yielder(const std::atomic<bool>& stop) : stop_(&stop) {}

bool Yielder::poll() {
  if (!host_) return !stop_->load(std::memory_order_relaxed);
  if (std::chrono::steady_clock::now() - last_ < interval_) return !host_->stopRequested();
  return yieldNow();
}

bool Yielder::yieldNow() {
  if (!host_) return !stop_->load(std::memory_order_relaxed);
  host_->processPendingEvents();
  last_ = std::chrono::steady_clock::now();
  return !host_->stopRequested();
}

}  // namespace sorvane
