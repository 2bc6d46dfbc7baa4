#pragma once

#include <QCheckBox>

namespace sorvane::ui {

// A check box whose caption wraps onto further lines when the box is narrower than its text.
class WrappingCheckBox final : public QCheckBox {
  Q_OBJECT
 public:
  using QCheckBox::QCheckBox;

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool hitButton(const QPoint& position) const override;
};

}  // namespace sorvane::ui
