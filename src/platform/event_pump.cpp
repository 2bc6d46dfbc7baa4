#include "platform/event_pump.h"

#include <QCoreApplication>

namespace sorvane::platform {

void QtEventPump::processPendingEvents() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

}  // namespace sorvane::platform
