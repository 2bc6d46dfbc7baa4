#include "main_window/elided_path_label.h"

#include <QPainter>
#include <QStyle>

namespace sorvane::ui {

QRect ElidedPathLabel::textArea() const {
  // As a framed label indents its text: half an "x" unless told otherwise.
  const int indentation =
      indent() >= 0 ? indent() : (frameWidth() > 0 ? fontMetrics().horizontalAdvance(QLatin1Char('x')) / 2 : 0);
  return contentsRect().adjusted(margin() + indentation, margin(), -margin() - indentation, -margin());
}

QString ElidedPathLabel::shownText() const {
  return fontMetrics().elidedText(text(), Qt::ElideMiddle, textArea().width());
}

void ElidedPathLabel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  drawFrame(&painter);
  style()->drawItemText(&painter, textArea(), QStyle::visualAlignment(layoutDirection(), alignment()), palette(),
                        isEnabled(), shownText(), foregroundRole());
}

}  // namespace sorvane::ui
