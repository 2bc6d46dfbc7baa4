#include "preview_window/tick_box_edge_style.h"

#include "preview_window/mark_colours.h"

#include <QPainter>
#include <QStyleOption>

namespace sorvane::preview {

void TickBoxEdgeStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                                     const QWidget* widget) const {
  QProxyStyle::drawPrimitive(element, option, painter, widget);
  if (element != PE_IndicatorItemViewItemCheck) return;
  painter->save();
  // Between the ground and the text: plain beside the ground, never as loud as the text.
  painter->setPen(blend(option->palette.color(QPalette::Base), option->palette.color(QPalette::Text), 0.6));
  painter->setBrush(Qt::NoBrush);
  painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
  painter->restore();
}

}  // namespace sorvane::preview
