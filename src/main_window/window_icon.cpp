#include "main_window/window_icon.h"

#include <QSize>
#include <QString>

// The icons live in a resource file that may be linked from a static library, whose
// registration the linker would otherwise drop; the macro must be called outside any namespace.
static void registerIconResources() { Q_INIT_RESOURCE(icons); }

namespace sorvane::ui {

QIcon windowIcon() {
  static const bool registered = (registerIconResources(), true);
  static_cast<void>(registered);
  QIcon icon;
  icon.addFile(QStringLiteral(":/icons/sorvane-16.xpm"), QSize(16, 16));
  icon.addFile(QStringLiteral(":/icons/sorvane-32.xpm"), QSize(32, 32));
  return icon;
}

}  // namespace sorvane::ui
