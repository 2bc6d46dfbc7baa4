#pragma once

#include <QProxyStyle>

namespace sorvane::preview {

// The desktop's style, with an edge around each list row's tick box drawn from the text colour.
// Styles draw the edge of an empty box from the window colour, which a dark palette puts right
// beside the list's ground: cleared boxes would vanish there.
class TickBoxEdgeStyle final : public QProxyStyle {
  Q_OBJECT
 public:
  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
};

}  // namespace sorvane::preview
