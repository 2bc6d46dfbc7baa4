#include "main_window/fitting_indicator_style.h"

#include <QWidget>
#include <algorithm>

namespace sorvane::ui {

int FittingIndicatorStyle::pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const {
  const int size = QProxyStyle::pixelMetric(metric, option, widget);
  switch (metric) {
    case PM_IndicatorWidth:
    case PM_IndicatorHeight:
    case PM_ExclusiveIndicatorWidth:
    case PM_ExclusiveIndicatorHeight:
      return widget != nullptr ? std::min(size, widget->height()) : size;  // square, as high as the button
    default:
      return size;
  }
}

}  // namespace sorvane::ui
