#pragma once

namespace sorvane::platform {

// Lets the window process its pending events (repaint, resize, a close request) in the
// middle of a long operation.
class EventPump {
 public:
  virtual ~EventPump() = default;
  virtual void processPendingEvents() = 0;
};

class QtEventPump final : public EventPump {
 public:
  void processPendingEvents() override;
};

}  // namespace sorvane::platform
