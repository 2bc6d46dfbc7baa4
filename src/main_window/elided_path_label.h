#pragma once

#include <QLabel>

namespace sorvane::ui {

// A label that holds a whole path but paints it with its middle left out when it is too long,
// so both the start of the path and the folder's own name stay in sight; its tooltip holds the
// whole path. The text stays whole: it is what a run reads and what is saved.
class ElidedPathLabel final : public QLabel {
  Q_OBJECT
 public:
  using QLabel::QLabel;
  // What the label shows in its present width.
  QString shownText() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QRect textArea() const;
};

}  // namespace sorvane::ui
