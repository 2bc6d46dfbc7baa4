#include "platform/outer_geometry.h"

#include <QWidget>

namespace sorvane::platform {
namespace {

constexpr Twips kDesignedBorder = 60;
constexpr Twips kDesignedTitleBar = 285;

bool frameKnown(const QWidget& window) { return window.frameGeometry().size() != window.geometry().size(); }

Twips frameExtraWidth(const QWidget& window) {
  return frameKnown(window) ? toTwips(window.frameGeometry().width() - window.width()) : 2 * kDesignedBorder;
}

Twips frameExtraHeight(const QWidget& window) {
  return frameKnown(window) ? toTwips(window.frameGeometry().height() - window.height())
                            : 2 * kDesignedBorder + kDesignedTitleBar;
}

}  // namespace

Twips OuterGeometry::width() const {
  if (requested_ && requested_->pixels == window_.size()) return requested_->width;
  return toTwips(window_.width()) + frameExtraWidth(window_);
}

Twips OuterGeometry::height() const {
  if (requested_ && requested_->pixels == window_.size()) return requested_->height;
  return toTwips(window_.height()) + frameExtraHeight(window_);
}

void OuterGeometry::resize(Twips width, Twips height) {
  const QSize pixels(toPixels(width - frameExtraWidth(window_)), toPixels(height - frameExtraHeight(window_)));
  requested_ = Requested{width, height, pixels, frameKnown(window_)};
  window_.resize(pixels);
}

void OuterGeometry::frameReported() {
  if (!requested_ || requested_->frameKnown || !frameKnown(window_)) return;
  if (requested_->pixels != window_.size() || window_.windowState() != Qt::WindowNoState) return;
  resize(requested_->width, requested_->height);
}

void OuterGeometry::centreOnFirstShow(const QRect& area) {
  if (shownBefore_) return;
  shownBefore_ = true;
  if (area.isNull() || window_.windowState() != Qt::WindowNoState) return;
  const QRect outer = window_.frameGeometry();
  window_.move(area.center() - QPoint(outer.width() / 2, outer.height() / 2));
}

}  // namespace sorvane::platform
