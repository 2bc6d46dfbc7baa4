#include "main_window/window_frame.h"

#include <QWidget>

namespace sorvane::ui {

bool frameKnown(const QWidget& window) { return window.frameGeometry().size() != window.geometry().size(); }

Twips frameExtraWidth(const QWidget& window) {
  return frameKnown(window) ? toTwips(window.frameGeometry().width() - window.width()) : 2 * kDesignedBorder;
}

Twips frameExtraHeight(const QWidget& window) {
  return frameKnown(window) ? toTwips(window.frameGeometry().height() - window.height())
                            : 2 * kDesignedBorder + kDesignedTitleBar;
}

}  // namespace sorvane::ui
