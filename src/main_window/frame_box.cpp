#include "main_window/frame_box.h"

#include <QPainter>
#include <QStyle>
#include <qdrawutil.h>

namespace sorvane::ui {
namespace {

constexpr int kCaptionLeft = 6;
constexpr int kCaptionPadding = 2;

}  // namespace

void FrameBox::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  QRect caption;
  if (!title().isEmpty()) {
    const QFontMetrics metrics(font());
    caption = QRect(kCaptionLeft, 0, metrics.horizontalAdvance(title()) + 2 * kCaptionPadding, metrics.height());
    painter.setClipRegion(QRegion(rect()).subtracted(caption));  // the border breaks for the caption
  }
  const int borderTop = caption.isNull() ? 0 : caption.center().y();
  qDrawShadeRect(&painter, rect().adjusted(0, borderTop, 0, 0), palette(), true, 1);
  if (caption.isNull()) return;
  painter.setClipping(false);
  style()->drawItemText(&painter, caption, Qt::AlignCenter, palette(), isEnabled(), title(), QPalette::WindowText);
}

}  // namespace sorvane::ui
