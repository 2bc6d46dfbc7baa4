#include "main_window/elided_path_delegate.h"

#include <QHelpEvent>
#include <QListWidget>
#include <QToolTip>

namespace sorvane::ui {

QSize ElidedPathDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
  return {0, QStyledItemDelegate::sizeHint(option, index).height()};
}

bool ElidedPathDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                                   const QModelIndex& index) {
  if (event->type() != QEvent::ToolTip || !index.isValid())
    return QStyledItemDelegate::helpEvent(event, view, option, index);
  QToolTip::showText(event->globalPos(), index.data(Qt::DisplayRole).toString(), view, option.rect);
  return true;
}

void showEntriesElided(QListWidget& list) {
  list.setItemDelegate(new ElidedPathDelegate(&list));
  list.setTextElideMode(Qt::ElideMiddle);
  list.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

}  // namespace sorvane::ui
