#pragma once

#include <QString>

namespace sorvane::platform {

// A failure raised by a dialog component: a number, a source and a description, as the
// handlers that call the component expect to catch them.
struct DialogError {
  int number = 0;
  QString source;
  QString description;
};

}  // namespace sorvane::platform
