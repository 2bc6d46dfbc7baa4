#pragma once

#include <QProxyStyle>

namespace sorvane::ui {

// The desktop's style, with tick boxes and option dots no taller than their button: the design
// gives some of them the height of the classic 13-pixel tick box, lower than most styles draw
// theirs, and a taller one would lose its bottom edge.
class FittingIndicatorStyle final : public QProxyStyle {
  Q_OBJECT
 public:
  int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                  const QWidget* widget = nullptr) const override;
};

}  // namespace sorvane::ui
