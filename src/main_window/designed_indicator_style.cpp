#include "main_window/designed_indicator_style.h"

#include "main_window/twips.h"

#include <algorithm>

namespace sorvane::ui {
namespace {

constexpr Twips kIndicatorSize = 195;
constexpr Twips kCaptionSpacing = 60;

}  // namespace

int DesignedIndicatorStyle::pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const {
  const int size = QProxyStyle::pixelMetric(metric, option, widget);
  switch (metric) {
    case PM_IndicatorWidth:
    case PM_IndicatorHeight:
    case PM_ExclusiveIndicatorWidth:
    case PM_ExclusiveIndicatorHeight:
      return std::min(size, toPixels(kIndicatorSize));
    case PM_CheckBoxLabelSpacing:
    case PM_RadioButtonLabelSpacing:
      return std::min(size, toPixels(kCaptionSpacing));
    default:
      return size;
  }
}

}  // namespace sorvane::ui
