#pragma once

#include "platform/event_pump.h"
#include "platform/file_dialogs.h"
#include "platform/help_window.h"
#include "platform/message_boxes.h"
#include "platform/services.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimerEvent>
#include <algorithm>

namespace sorvane::bench {

// The program's own desktop services, for the windows a bench opens.
struct DesktopServices {
  platform::QtMessageBoxes messageBoxes;
  platform::QtEventPump eventPump;
  platform::HelpWindowEngine helpEngine;
  platform::QtFileDialogs fileDialogs;

  platform::Services services() { return {messageBoxes, eventPump, helpEngine, fileDialogs}; }
};

// A timer of the window's thread that notes the longest gap between its turns: how long an
// event of the window would have waited.
class EventWait final : public QObject {
 public:
  EventWait() {
    clock_.start();
    startTimer(1, Qt::PreciseTimer);
  }
  qint64 longestMs() const { return longest_; }

 protected:
  void timerEvent(QTimerEvent*) override {
    const qint64 now = clock_.elapsed();
    longest_ = std::max(longest_, now - last_);
    last_ = now;
  }

 private:
  QElapsedTimer clock_;
  qint64 last_ = 0;
  qint64 longest_ = 0;
};

}  // namespace sorvane::bench
