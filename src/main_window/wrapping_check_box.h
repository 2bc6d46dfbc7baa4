#pragma once

#include <QCheckBox>

namespace sorvane::ui {

// A check box whose caption wraps onto further lines when the box is narrower than its text.
class WrappingCheckBox final : public QCheckBox {
  Q_OBJECT
 public:
  using QCheckBox::QCheckBox;
  // The smallest size, at least `designed`, that shows the whole caption at the box's own font:
  // wider, up to `widest`, when one word needs it, and then as high as its lines need.
  QSize sizeForCaption(QSize designed, int widest) const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool hitButton(const QPoint& position) const override;

 private:
  // The part of `box` right of the tick box, where the caption goes.
  QRect captionArea(const QRect& box) const;
};

}  // namespace sorvane::ui
