#pragma once

#include <QGroupBox>

namespace sorvane::ui {

// A frame drawn as the window was designed around: an etched border whose top line runs through
// the middle of the caption. Qt's styles put the caption above the border instead, where it
// takes the room the widgets at the designed top need.
class FrameBox final : public QGroupBox {
  Q_OBJECT
 public:
  using QGroupBox::QGroupBox;
  // The part inside the border and below the caption, where the frame's widgets belong.
  QRect innerRect() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool event(QEvent* event) override;

 private:
  QRect captionRect() const;  // empty without a caption
};

}  // namespace sorvane::ui
