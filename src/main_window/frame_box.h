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

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace sorvane::ui
