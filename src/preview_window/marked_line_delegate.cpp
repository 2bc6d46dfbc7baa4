#include "preview_window/marked_line_delegate.h"

#include "preview_window/mark_colours.h"
#include "preview_window/preview_model.h"

#include <QApplication>
#include <QPainter>
#include <QPoint>
#include <QStyle>
#include <algorithm>

namespace sorvane::preview {

MarkedLineDelegate::MarkedLineDelegate(Side side, QObject* parent) : QStyledItemDelegate(parent), side_(side) {}

void MarkedLineDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  const QVariant mark = index.data(PreviewModel::MarkRole);
  if (!mark.isValid()) {
    QStyledItemDelegate::paint(painter, option, index);
    return;
  }
  QStyleOptionViewItem item = option;
  initStyleOption(&item, index);
  const QString text = item.text;
  item.text.clear();
  const QWidget* widget = option.widget;
  QStyle* style = widget ? widget->style() : QApplication::style();
  style->drawControl(QStyle::CE_ItemViewItem, &item, painter, widget);

  const QRect area = style->subElementRect(QStyle::SE_ItemViewItemText, &item, widget).adjusted(2, 0, -2, 0);
  const QPoint range = mark.toPoint();
  const QString before = text.left(range.x());
  const QString marked = text.mid(range.x(), range.y());
  const QString after = text.mid(range.x() + range.y());
  const QFontMetrics metrics(item.font);
  painter->save();
  painter->setClipRect(area);
  painter->setFont(item.font);
  const bool selected = (option.state & QStyle::State_Selected) != 0;
  painter->setPen(item.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
  const int beforeWidth = metrics.horizontalAdvance(before);
  const int markWidth = metrics.horizontalAdvance(marked);
  // A mark past the column's right edge is brought into view, a quarter of the column in.
  const int shift = std::clamp(beforeWidth + markWidth - area.width() * 3 / 4, 0, beforeWidth);
  int x = area.left() - shift;
  const int baseline = area.top() + (area.height() + metrics.ascent() - metrics.descent()) / 2;
  painter->drawText(x, baseline, before);
  x += beforeWidth;
  const bool kept = index.siblingAtColumn(PreviewModel::LineColumn).data(Qt::CheckStateRole).toInt() == Qt::Unchecked;
  const MarkColours colours = markColours(item.palette);
  const MarkColour& colour = side_ == Side::AsItIs ? colours.occurrence : kept ? colours.kept : colours.replacement;
  painter->fillRect(QRect(x, area.top() + 1, markWidth, area.height() - 2), colour.ground);
  painter->setPen(colour.text);
  painter->drawText(x, baseline, marked);
  painter->setPen(item.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
  x += markWidth;
  painter->drawText(x, baseline, after);
  painter->restore();
}

}  // namespace sorvane::preview
