#pragma once

#include <QStyledItemDelegate>

namespace sorvane::preview {

// Draws a line of text with one part of it, the occurrence or its replacement, on a ground
// tinted from the palette, so the eye finds it in a long line. On the line as it will be, an
// occurrence whose box is cleared is marked as kept instead: it stays as it is.
class MarkedLineDelegate final : public QStyledItemDelegate {
  Q_OBJECT
 public:
  enum class Side { AsItIs, AsItWillBe };
  MarkedLineDelegate(Side side, QObject* parent);
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

 private:
  Side side_;
};

}  // namespace sorvane::preview
