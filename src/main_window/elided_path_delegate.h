#pragma once

#include <QStyledItemDelegate>

class QListWidget;

namespace sorvane::ui {

// Shows an entry too long for its list with its middle left out and the whole text as its
// tooltip, so the list never grows a horizontal scroll bar: the start of a path and the file's
// name are what tell entries apart.
class ElidedPathDelegate final : public QStyledItemDelegate {
  Q_OBJECT
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  // Every entry asks for no width of its own, so each takes the list's width.
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                 const QModelIndex& index) override;
};

// Gives `list` the delegate, elision in the middle and no horizontal scroll bar.
void showEntriesElided(QListWidget& list);

}  // namespace sorvane::ui
