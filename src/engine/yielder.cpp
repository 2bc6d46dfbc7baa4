#include "engine/yielder.h"

#include "engine/host.h"

namespace sorvane {

Yielder::Yielder(ReplaceHost& host, std::chrono::nanoseconds interval)
    : host_(host), interval_(interval), last_(std::chrono::steady_clock::now()) {}

bool Yielder::poll() {
  if (std::chrono::steady_clock::now() - last_ < interval_) return !host_.stopRequested();
  return yieldNow();
}

bool Yielder::yieldNow() {
  host_.processPendingEvents();
  last_ = std::chrono::steady_clock::now();
  return !host_.stopRequested();
}

}  // namespace sorvane
