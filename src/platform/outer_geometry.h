#pragma once

#include "platform/twips.h"

#include <QSize>
#include <optional>

class QRect;
class QWidget;

namespace sorvane::platform {

// A top-level window's outer size in twips and its place when first shown. The outer size is
// the client area plus the frame the window system draws; where it reports none (before the
// window is shown, or without a window manager), the designed border and title bar stand in.
// A size asked for comes back exactly while the window keeps the pixels it came to, whatever
// the rounding to pixels lost.
class OuterGeometry {
 public:
  explicit OuterGeometry(QWidget& window) : window_(window) {}
  OuterGeometry(const OuterGeometry&) = delete;  // bound to one window
  OuterGeometry& operator=(const OuterGeometry&) = delete;

  Twips width() const;
  Twips height() const;
  void resize(Twips width, Twips height);

  // The window system reports its frame with a move or a show: a size asked for on the designed
  // frame is asked for again on the real one.
  void frameReported();
  // The first time the window is shown in the normal state, centres it on `area`; a null area
  // (no screen, no owner) leaves it where it is. Later shows keep where the user put it.
  void centreOnFirstShow(const QRect& area);

 private:
  struct Requested {
    Twips width;
    Twips height;
    QSize pixels;
    bool frameKnown;
  };

  QWidget& window_;
  std::optional<Requested> requested_;
  bool shownBefore_ = false;
};

}  // namespace sorvane::platform
