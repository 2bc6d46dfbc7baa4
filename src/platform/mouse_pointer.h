#pragma once

#include "vocabulary/vocabulary.h"

class QWidget;

namespace sorvane::platform {

// A window's mouse pointer: the hourglass is Qt's wait cursor, anything else the default.
MousePointer mousePointer(const QWidget& window);
void setMousePointer(QWidget& window, MousePointer pointer);

}  // namespace sorvane::platform
