#pragma once

#include <QCheckBox>

namespace sorvane::ui {

// A check box whose caption wraps onto further lines when the box is narrower than its text.
// It reports the height its lines need at a width, so whoever places it can let it grow.
class WrappingCheckBox final : public QCheckBox {
  Q_OBJECT
 public:
  using QCheckBox::QCheckBox;
  bool hasHeightForWidth() const override { return true; }
  int heightForWidth(int width) const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool hitButton(const QPoint& position) const override;

 private:
  // The part of `box` right of the tick box, where the caption goes.
  QRect captionArea(const QRect& box) const;
};

}  // namespace sorvane::ui
