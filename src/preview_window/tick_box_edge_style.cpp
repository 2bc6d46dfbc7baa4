#include "preview_window/tick_box_edge_style.h"

#include <QPainter>
#include <QStyleOption>

namespace sorvane::preview {
namespace {

// Between the ground and the text: plain beside the ground, never as loud as the text.
QColor edgeColour(const QPalette& palette) {
  const QColor ground = palette.color(QPalette::Base), text = palette.color(QPalette::Text);
  const auto mix = [](float from, float to) { return from + (to - from) * 0.6f; };
  return QColor::fromRgbF(mix(ground.redF(), text.redF()), mix(ground.greenF(), text.greenF()),
                          mix(ground.blueF(), text.blueF()));
}

}  // namespace

void TickBoxEdgeStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                                     const QWidget* widget) const {
  QProxyStyle::drawPrimitive(element, option, painter, widget);
  if (element != PE_IndicatorItemViewItemCheck) return;
  painter->save();
  painter->setPen(edgeColour(option->palette));
  painter->setBrush(Qt::NoBrush);
  painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
  painter->restore();
}

}  // namespace sorvane::preview
