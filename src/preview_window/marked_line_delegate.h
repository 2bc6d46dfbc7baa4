#pragma once

#include <QColor>
#include <QStyledItemDelegate>

namespace sorvane::preview {

// Draws a line of text with one part of it, the occurrence or its replacement, on a coloured
// ground, so the eye finds it in a long line. Where `keptColor` is given, an occurrence whose box
// is cleared is marked in it instead: it stays as it is.
class MarkedLineDelegate final : public QStyledItemDelegate {
  Q_OBJECT
 public:
  MarkedLineDelegate(QColor markColor, QColor keptColor, QObject* parent);
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

 private:
  QColor markColor_;
  QColor keptColor_;
};

}  // namespace sorvane::preview
