#pragma once

#include <QProxyStyle>

namespace sorvane::ui {

// The desktop's style with tick boxes and option dots of the classic 13 pixels, 4 pixels from
// their caption, as the window is measured for. Most styles draw them larger and further off:
// a tick box then loses its bottom edge in the designed 195-twip rows, and a wrapped caption
// loses the room its longest word needs.
class DesignedIndicatorStyle final : public QProxyStyle {
  Q_OBJECT
 public:
  int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                  const QWidget* widget = nullptr) const override;
};

}  // namespace sorvane::ui
