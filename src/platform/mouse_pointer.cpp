#include "platform/mouse_pointer.h"

#include <QWidget>

namespace sorvane::platform {

MousePointer mousePointer(const QWidget& window) {
  return window.cursor().shape() == Qt::WaitCursor ? MousePointer::Hourglass : MousePointer::Default;
}

void setMousePointer(QWidget& window, MousePointer pointer) {
  if (pointer == MousePointer::Hourglass)
    window.setCursor(Qt::WaitCursor);
  else
    window.unsetCursor();
}

}  // namespace sorvane::platform
