#include "main_window/frame_box.h"

#include <QEvent>
#include <QPainter>
#include <QStyle>
#include <algorithm>
#include <qdrawutil.h>

namespace sorvane::ui {
namespace {

constexpr int kCaptionLeft = 6;
constexpr int kCaptionPadding = 2;
constexpr int kBorderLine = 1;  // each of the etched border's two lines

}  // namespace

QRect FrameBox::captionRect() const {
  if (title().isEmpty()) return {};
  const QFontMetrics metrics(font());
  return {kCaptionLeft, 0, metrics.horizontalAdvance(title()) + 2 * kCaptionPadding, metrics.height()};
}

QRect FrameBox::innerRect() const {
  constexpr int border = 2 * kBorderLine;
  return rect().adjusted(border, std::max(border, captionRect().bottom() + 1), -border, -border);
}

bool FrameBox::event(QEvent* event) {
  // A frame has no check box to press: keys its widgets pass on go on to the window, whatever keys the
  // platform theme lets press a button (Enter, under some, which would otherwise stop here).
  if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) return QWidget::event(event);
  return QGroupBox::event(event);
}

void FrameBox::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QRect caption = captionRect();
  if (!caption.isNull()) painter.setClipRegion(QRegion(rect()).subtracted(caption));  // the border breaks for it
  const int borderTop = caption.isNull() ? 0 : caption.center().y();
  qDrawShadeRect(&painter, rect().adjusted(0, borderTop, 0, 0), palette(), true, kBorderLine);
  if (caption.isNull()) return;
  painter.setClipping(false);
  style()->drawItemText(&painter, caption, Qt::AlignCenter, palette(), isEnabled(), title(), QPalette::WindowText);
}

}  // namespace sorvane::ui
